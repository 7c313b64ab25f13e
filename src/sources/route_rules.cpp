// Route lines: the DefaultRoute keyword and the lines of route files.
#include "driver/keywords.hpp"
#include "model/tables.hpp"
#include "platform/platform.hpp"
#include "sources/sources.hpp"

namespace {

bool atLineEnd(std::string_view text, std::size_t cursor) {
    return cursor >= text.size() || text[cursor] == ';' || text[cursor] == '\n';
}

} // namespace

bool readRouteLine(RoutingState& state, std::string_view text) {
    std::size_t cursor = 0;
    skipBlanks(text, cursor);
    if (atLineEnd(text, cursor)) {
        return true;
    }
    state.abbrevContext = state.mainAddress();
    bool arrow = false;
    if (text[cursor] == '>') {
        arrow = true;
        ++cursor;
        skipBlanks(text, cursor);
        if (atLineEnd(text, cursor)) {
            return true; // an arrow and nothing after it
        }
    }
    FtnAddress viaNode = parseAddress(state, text, cursor);
    if (arrow && isOwnAddress(state, viaNode)) {
        skipBlanks(text, cursor);
        if (atLineEnd(text, cursor)) {
            return true; // an own address and no node reached from it
        }
        viaNode = parseAddress(state, text, cursor);
        routeVia(state, findOrAddItem(state, state.mainAddress()), viaNode);
    }
    std::uint16_t via = findOrAddItem(state, viaNode);
    for (;;) {
        skipBlanks(text, cursor);
        if (atLineEnd(text, cursor)) {
            return true;
        }
        routeVia(state, via, parseAddress(state, text, cursor));
    }
}

bool defaultRouteKeyword(RoutingState& state, std::string_view rest, KeywordTarget) {
    return readRouteLine(state, rest);
}

// Reads a file named by the first word of `rest` line by line, announcing it.
bool readSourceFile(RoutingState& state, std::string_view rest,
                    bool (*applyLine)(RoutingState&, std::string_view)) {
    std::string name;
    copyFileName(rest, name);
    std::unique_ptr<TextReader> file = TextReader::open(name);
    if (!file) {
        printTaggedError(state, ErrOpenFile);
        return false;
    }
    say(state, "\nScanning route file " + name + "...");
    std::string line;
    while (file->readLine(line, 29999)) {
        applyLine(state, line);
    }
    if (file->failed()) {
        printTaggedError(state, ErrOpenFile);
        return false;
    }
    return true;
}

bool routeFileKeyword(RoutingState& state, std::string_view rest, KeywordTarget) {
    return readSourceFile(state, rest, readRouteLine);
}
