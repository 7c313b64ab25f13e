// Trust files: route a node via the last of its listed addresses that is a link.
#include <cstddef>

#include "model/tables.hpp"
#include "sources/sources.hpp"

namespace {

bool atLineEnd(std::string_view text, std::size_t cursor) {
    return cursor >= text.size() || text[cursor] == ';' || text[cursor] == '\n';
}

} // namespace

bool readTrustLine(RoutingState& state, std::string_view text) {
    // Only a ';' in the first column makes a comment.
    if (atLineEnd(text, 0)) {
        return true;
    }
    state.abbrevContext = state.mainAddress();
    std::size_t cursor = 0;
    const FtnAddress trusted = parseAddress(state, text, cursor);
    for (;;) {
        skipBlanks(text, cursor);
        if (atLineEnd(text, cursor)) {
            return true;
        }
        FtnAddress listed = parseAddress(state, text, cursor);
        if (isLinkAddress(state, listed)) {
            routeVia(state, findOrAddItem(state, listed), trusted);
        }
    }
}

bool trustFileKeyword(RoutingState& state, std::string_view rest, KeywordTarget) {
    // Trust files are announced with the same words as route files.
    return readSourceFile(state, rest, readTrustLine);
}
