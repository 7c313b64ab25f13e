// BPack: every address in full; the links by flavour on Direct lines, the
// links without archiving on a NoArcSend line, one Route line per link.
#include "writers/writers.hpp"

#include "model/tables.hpp"

namespace {

void writeDirectBlock(RoutingState& state) {
    static const struct {
        const char* prefix;
        std::uint16_t bit;
    } lines[] = {
        {"Direct crash  ", FlavourCrash},  {"Direct direct ", FlavourDirect},
        {"Direct        ", FlavourNormal}, {"Direct hold   ", FlavourHold},
        {"NoArcSend     ", FlavourNoArc},
    };
    state.abbrevContext = state.mainAddress();
    for (const auto& line : lines) {
        writeLinkLine(state, line.bit, line.bit, line.prefix);
    }
}

void writeRouteLine(RoutingState& state, const LinkEntry& link) {
    writeLinkLines(state, std::string("Route ") + flavourWord(link, RouteFlavourWords), link, " ",
                   false);
}

} // namespace

void writeBpack(RoutingState& state) {
    setAddressStyle(state, 1, 0, 0, 1, 0, 0);
    writeHeader(state, ';', "BPack");
    writeText(state, "; *** Direct links\n");
    writeDirectBlock(state);
    for (state.wildcardPass = 0; state.wildcardPass < 4; ++state.wildcardPass) {
        writePassComment(state, ';');
        if (state.wildcardPass != 0) {
            writeDirectBlock(state);
        }
        for (const LinkEntry& link : state.links) {
            writeRouteLine(state, link);
        }
    }
}
