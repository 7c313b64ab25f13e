// Route lines (DefaultRoute arguments and route file lines) and the reading
// of route and trust files.
#include "model/tables.hpp"
#include "sources/sources.hpp"

namespace {

bool atLineEnd(std::string_view text, std::size_t cursor) {
    return cursor >= text.size() || text[cursor] == ';' || text[cursor] == '\n';
}

bool readSourceFile(RoutingState& state, Console& console, Disk& disk, const std::string& name,
                    void (*applyLine)(RoutingState&, Console&, std::string_view)) {
    std::unique_ptr<TextReader> file = openText(disk, name);
    if (!file) {
        return false;
    }
    console.say("\nScanning route file " + name + "...");
    Diagnostics& diagnostics = console.diagnostics();
    const Diagnostics::Place outer = diagnostics.place();
    std::string line;
    unsigned long number = 0;
    while (file->readLine(line, 29999)) {
        diagnostics.setPlace({name, ++number});
        applyLine(state, console, line);
    }
    diagnostics.setPlace(outer);
    return !file->failed();
}

} // namespace

FtnAddress readCheckedAddress(AddressNotation& notation, Console& console, std::string_view text,
                              std::size_t& cursor) {
    const std::size_t start = cursor;
    const FtnAddress address = parseAddress(notation, text, cursor);
    const std::string fault = addressFault(text, start, cursor, address);
    if (!fault.empty()) {
        console.diagnostics().warn(fault);
    }
    if (hasWildcard(address)) {
        console.diagnostics().mention(plainAddressText(address));
    }
    return address;
}

void readRouteLine(RoutingState& state, Console& console, std::string_view text) {
    std::size_t cursor = 0;
    skipBlanks(text, cursor);
    if (atLineEnd(text, cursor)) {
        return;
    }
    AddressNotation notation;
    notation.main = notation.context = state.mainAddress();
    bool arrow = false;
    if (text[cursor] == '>') {
        arrow = true;
        ++cursor;
        skipBlanks(text, cursor);
        if (atLineEnd(text, cursor)) {
            return; // an arrow and nothing after it
        }
    }
    FtnAddress viaNode = readCheckedAddress(notation, console, text, cursor);
    if (arrow && isOwnAddress(state, viaNode)) {
        skipBlanks(text, cursor);
        if (atLineEnd(text, cursor)) {
            return; // an own address and no node reached from it
        }
        viaNode = readCheckedAddress(notation, console, text, cursor);
        routeVia(state, console, findOrAddItem(state, state.mainAddress()), viaNode);
    }
    std::uint16_t via = findOrAddItem(state, viaNode);
    for (;;) {
        skipBlanks(text, cursor);
        if (atLineEnd(text, cursor)) {
            return;
        }
        routeVia(state, console, via, readCheckedAddress(notation, console, text, cursor));
    }
}

bool readRouteFile(RoutingState& state, Console& console, Disk& disk, const std::string& name) {
    return readSourceFile(state, console, disk, name, readRouteLine);
}

// Trust files are announced with the same words as route files.
bool readTrustFile(RoutingState& state, Console& console, Disk& disk, const std::string& name) {
    return readSourceFile(state, console, disk, name, readTrustLine);
}
