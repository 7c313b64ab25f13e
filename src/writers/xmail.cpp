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
    for (const LinkEntry& link : state.LinkTable) {
        state.lineBuffer.clear();
        if (formatAddress(state, link.address, state.lineBuffer, RelativeForm) != 0) {
            writeAddressLine(state);
        }
    }
}

void writeRouteLines(RoutingState& state) {
    for (std::size_t index = 0; index < state.ItemTable.size(); ++index) {
        const RouteItem item = state.ItemTable[index];
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
        formatAddress(state, state.ItemTable[item.via].address, state.lineBuffer, FullForm);
        state.lineBuffer += " /NC";
        writeAddressLine(state);
    }
}

} // namespace

void writeXmail(RoutingState& state) {
    setAddressStyle(state, 0, 0, 0, 1, 0, 0);
    state.ReportCommentChar = ';';
    writeHeader(state, ';', "Xmail");
    writeText(state, "; *** Directs\n");
    state.WildcardPass = 0;
    writeLinksList(state);
    for (state.WildcardPass = 0; state.WildcardPass < 4; ++state.WildcardPass) {
        writePassComment(state, ';');
        if (state.WildcardPass != 0) {
            writeLinksList(state);
        }
        writeRouteLines(state);
    }
}
