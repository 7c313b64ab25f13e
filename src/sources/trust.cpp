// Trust files: route a node via the last of its listed addresses that is a link.
#include <cstddef>

#include "model/tables.hpp"
#include "sources/sources.hpp"

namespace {

bool atLineEnd(std::string_view text, std::size_t cursor) {
    return cursor >= text.size() || text[cursor] == ';' || text[cursor] == '\n';
}

} // namespace

void readTrustLine(RoutingState& state, Console& console, std::string_view text) {
    // Only a ';' in the first column makes a comment.
    if (atLineEnd(text, 0)) {
        return;
    }
    AddressNotation notation;
    notation.main = notation.context = state.mainAddress();
    std::size_t cursor = 0;
    const FtnAddress trusted = readCheckedAddress(notation, console, text, cursor);
    for (;;) {
        skipBlanks(text, cursor);
        if (atLineEnd(text, cursor)) {
            return;
        }
        FtnAddress listed = readCheckedAddress(notation, console, text, cursor);
        if (isLinkAddress(state, listed)) {
            routeVia(state, console, findOrAddItem(state, listed), trusted);
        }
    }
}
