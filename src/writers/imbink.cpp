// Imbink: the file links and the links whose mail is compressed, then one
// Static line per link and pass with the point masks of the link and of
// everything routed via it, each abbreviated against the one before.
#include "writers/writers.hpp"

#include "model/tables.hpp"

namespace {

void writeStaticLine(RoutingState& state, const LinkEntry& link) {
    // The link's own mask is abbreviated against the link itself.
    writeLinkLines(state, std::string("Static ") + flavourWord(link, RouteFlavourWords), link, "  ",
                   true);
}

} // namespace

void writeImbink(RoutingState& state) {
    setAddressStyle(state, 1, 1, 0, 0, 0, 0);
    state.reportCommentChar = '#';
    writeHeader(state, '#', "Imbink");
    writeLinkLine(state, FlavourFile, FlavourFile, "FSENDTO ");
    writeLinkLine(state, FlavourNoArc, 0, "Compress ZIP ");
    for (state.wildcardPass = 0; state.wildcardPass < 4; ++state.wildcardPass) {
        writePassComment(state, '#');
        for (const LinkEntry& link : state.links) {
            writeStaticLine(state, link);
        }
    }
}
