// Route lines (DefaultRoute arguments and route file lines) and the reading
// of route and trust files.
#include <algorithm>

#include "model/tables.hpp"
#include "sources/sources.hpp"

namespace {

bool atLineEnd(std::string_view text, std::size_t cursor) {
    return cursor >= text.size() || text[cursor] == ';' || text[cursor] == '\n';
}

} // namespace

FtnAddress readCheckedAddress(AddressNotation& notation, Console& console, std::string_view text,
                              std::size_t& cursor) {
    const std::size_t start = cursor;
    const FtnAddress address = parseAddress(notation, text, cursor);
    if (!console.diagnostics().collecting()) {
        return address;
    }
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
    bool routesSome = false;
    for (;;) {
        skipBlanks(text, cursor);
        if (atLineEnd(text, cursor)) {
            return;
        }
        if (!routesSome && console.diagnostics().collecting() && isOwnAddress(state, viaNode)) {
            console.diagnostics().warn(
                "the via node" + addressText(viaNode) +
                " is an own address: what the line routes becomes links of the default flavour "
                "(a link is a Link line; \"> own-address node ...\" routes via a node reached "
                "directly)");
        }
        routesSome = true;
        routeVia(state, console, via, readCheckedAddress(notation, console, text, cursor));
    }
}

RouteFileReader::RouteFileReader(Disk& disk) : disk_(disk) {}

bool RouteFileReader::read(RoutingState& state, Console& console, const std::string& name,
                           LineRule applyLine) {
    // A small file is read whole first: the same lines applied to a table
    // they left unchanged before are left out (a file named many times).
    auto sameTable = [&](const AppliedSourceFile& entry) {
        return entry.applyLine == applyLine && entry.changes == state.itemChanges &&
               entry.links == state.links.size() && entry.akas == state.akas.size();
    };
    auto appliedBefore = [&](const TextReader::Identity& identity) {
        return !(identity == TextReader::Identity{}) &&
               std::ranges::any_of(applied_, [&](const AppliedSourceFile& entry) {
                   return sameTable(entry) && entry.file == identity;
               });
    };
    const std::string announcement = "\nScanning route file " + name + "...";
    // The same file as before, not changed since (not even its mode), is
    // not opened again.
    TextReader::Identity now;
    if (disk_.fileIdentity(name, now) && appliedBefore(now)) {
        console.sayLater(announcement);
        return true;
    }
    std::unique_ptr<TextReader> file = openText(disk_, name);
    if (!file) {
        return false;
    }
    console.say(announcement);
    const TextReader::Identity identity = file->identity();
    if (appliedBefore(identity)) {
        return true;
    }
    std::string text;
    std::vector<std::size_t> lineEnds;
    std::string line;
    bool whole = true;
    while (whole && file->readLine(line)) {
        if (lineEnds.empty()) {
            skipByteOrderMark(line);
        }
        text += line;
        lineEnds.push_back(text.size());
        whole = text.size() + lineEnds.size() * sizeof(std::size_t) <= AppliedFileLimit;
    }
    if (whole && !file->failed()) {
        for (AppliedSourceFile& entry : applied_) {
            if (sameTable(entry) && entry.text == text && entry.lineEnds == lineEnds) {
                entry.file = identity;
                return true;
            }
        }
    }
    const std::uint64_t changesBefore = state.itemChanges;
    Diagnostics& diagnostics = console.diagnostics();
    const Diagnostics::Place outer = diagnostics.place();
    Provenance& provenance = state.provenance;
    const std::uint32_t fileNumber = provenance.fileNumber(name);
    unsigned long number = 0;
    std::size_t start = 0;
    for (std::size_t end : lineEnds) {
        diagnostics.setPlace({name, ++number});
        provenance.setCurrent(Origin{fileNumber, static_cast<std::uint32_t>(number)});
        applyLine(state, console, std::string_view(text).substr(start, end - start));
        start = end;
    }
    while (!whole && file->readLine(line)) {
        diagnostics.setPlace({name, ++number});
        provenance.setCurrent(Origin{fileNumber, static_cast<std::uint32_t>(number)});
        applyLine(state, console, line);
    }
    diagnostics.setPlace(outer);
    if (file->failed()) {
        return false;
    }
    if (whole && state.itemChanges == changesBefore) {
        // A handful at most: the oldest gives way.
        if (applied_.size() >= 8) {
            applied_.erase(applied_.begin());
        }
        applied_.push_back(AppliedSourceFile{applyLine, identity, std::move(text),
                                             std::move(lineEnds), changesBefore, state.links.size(),
                                             state.akas.size()});
    }
    return true;
}

bool RouteFileReader::readRouteFile(RoutingState& state, Console& console,
                                    const std::string& name) {
    return read(state, console, name, readRouteLine);
}

// Trust files are announced with the same words as route files.
bool RouteFileReader::readTrustFile(RoutingState& state, Console& console,
                                    const std::string& name) {
    return read(state, console, name, readTrustLine);
}
