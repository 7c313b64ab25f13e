// iTrack: one line per link and pass, the flavour, the link, then the point
// masks of the link itself and of everything routed via it.
#include "writers/writers.hpp"

#include "model/tables.hpp"

namespace {

void writeLinkMasks(RoutingState& state, const LinkEntry& link) {
    writeLinkLines(state, flavourWord(link, ShortFlavourWords), link, "  ", true);
}

} // namespace

void writeItrack(RoutingState& state) {
    setAddressStyle(state, 1, 1, 0, 1, 0, 0);
    writeHeader(state, ';', "iTrack");
    for (state.wildcardPass = 0; state.wildcardPass < 4; ++state.wildcardPass) {
        writePassComment(state, ';');
        for (const LinkEntry& link : state.links) {
            writeLinkMasks(state, link);
        }
    }
}
