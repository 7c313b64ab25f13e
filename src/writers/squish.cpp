#include "writers/writers.hpp"

#include "model/tables.hpp"

namespace {

void writeSendBlock(RoutingState& state) {
    static const struct {
        const char* prefix;
        std::uint16_t mask;
        std::uint16_t value;
    } lines[] = {
        {"Send Crash  ", 0x42, 0x02},       {"Send Direct ", 0x41, 0x01},
        {"Send Hold   ", 0x44, 0x04},       {"Send Normal ", 0x50, 0x10},
        {"Send Crash  NoArc ", 0x42, 0x42}, {"Send Direct NoArc ", 0x41, 0x41},
        {"Send Hold   NoArc ", 0x44, 0x44}, {"Send Normal NoArc ", 0x50, 0x50},
    };
    for (const auto& line : lines) {
        writeLinkLine(state, line.mask, line.value, line.prefix);
    }
}

void writeRouteLine(RoutingState& state, const LinkEntry& link) {
    writeLinkLines(state,
                   std::string("Route ") + flavourWord(link, RouteFlavourWords) +
                       ((link.flavour & FlavourFile) ? " file" : "     ") +
                       ((link.flavour & FlavourNoArc) ? " NoArc" : "      "),
                   link, " ", false);
}

} // namespace

void writeSquish(RoutingState& state) {
    setAddressStyle(state, 0, 0, 0, 0, 0, 0);
    writeHeader(state, ';', "Squish");
    writeText(state, "; *** Direct links\n;\n");
    writeSendBlock(state);
    writeText(state, ";\n; *** Route\n;\n");
    for (state.wildcardPass = 0; state.wildcardPass < 4; ++state.wildcardPass) {
        writePassComment(state, ';');
        if (state.wildcardPass != 0) {
            writeSendBlock(state);
        }
        for (const LinkEntry& link : state.links) {
            writeRouteLine(state, link);
        }
    }
}
