// Xmail: no wrapped lists; one line per direct link and one line per routed
// node naming the item it goes via.
#include "writers/writers.hpp"

#include <string_view>

#include "model/tables.hpp"

namespace {

// Writes the line buffer without the blank the first address began with.
void writeAddressLine(RoutingState& state) {
    writeText(state, std::string_view(state.lineBuffer).substr(1));
    writeText(state, "\n");
}

void writeLinksList(RoutingState& state) {
    for (const LinkEntry& link : state.links) {
        state.lineBuffer.clear();
        if (formatAddress(state, link.address, state.lineBuffer, RelativeForm) != 0) {
            writeAddressLine(state);
        }
    }
}

void writeRouteLines(RoutingState& state) {
    for (std::size_t index = 0; index < state.items.size(); ++index) {
        const RouteItem item = state.items[index];
        if (item.via == NoVia || item.via == Covered) {
            continue;
        }
        if (isLinkItem(state, static_cast<std::uint16_t>(index))) {
            continue;
        }
        state.lineBuffer.clear();
        if (formatAddress(state, item.address, state.lineBuffer, RelativeForm) == 0) {
            continue;
        }
        state.lineBuffer += " VIA ";
        formatAddress(state, state.items[item.via].address, state.lineBuffer, FullForm);
        state.lineBuffer += " /NC";
        writeAddressLine(state);
    }
}

} // namespace

void writeXmail(RoutingState& state) {
    setAddressStyle(state, 0, 0, 0, 1, 0, 0);
    state.reportCommentChar = ';';
    writeHeader(state, ';', "Xmail");
    writeText(state, "; *** Directs\n");
    state.wildcardPass = 0;
    writeLinksList(state);
    for (state.wildcardPass = 0; state.wildcardPass < 4; ++state.wildcardPass) {
        writePassComment(state, ';');
        if (state.wildcardPass != 0) {
            writeLinksList(state);
        }
        writeRouteLines(state);
    }
}
