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
    // A line longer than a piece is read in pieces; each counts as its line.
    Provenance& provenance = state.provenance;
    provenance.setCurrent(Origin{provenance.fileNumber(name), 1});
    std::string line;
    while (file->readLine(line, 29999)) {
        applyLine(state, console, line);
        if (!line.empty() && line.back() == '\n') {
            provenance.setCurrentLine(provenance.current().line + 1);
        }
    }
    return !file->failed();
}

} // namespace

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
    FtnAddress viaNode = parseAddress(notation, text, cursor);
    if (arrow && isOwnAddress(state, viaNode)) {
        skipBlanks(text, cursor);
        if (atLineEnd(text, cursor)) {
            return; // an own address and no node reached from it
        }
        viaNode = parseAddress(notation, text, cursor);
        routeVia(state, console, findOrAddItem(state, state.mainAddress()), viaNode);
    }
    std::uint16_t via = findOrAddItem(state, viaNode);
    for (;;) {
        skipBlanks(text, cursor);
        if (atLineEnd(text, cursor)) {
            return;
        }
        routeVia(state, console, via, parseAddress(notation, text, cursor));
    }
}

bool readRouteFile(RoutingState& state, Console& console, Disk& disk, const std::string& name) {
    return readSourceFile(state, console, disk, name, readRouteLine);
}

// Trust files are announced with the same words as route files.
bool readTrustFile(RoutingState& state, Console& console, Disk& disk, const std::string& name) {
    return readSourceFile(state, console, disk, name, readTrustLine);
}
