#include "writers/writers.hpp"

namespace {

void writeSendBlock(LineWriter& w) {
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
        writeLinkLine(w, line.mask, line.value, line.prefix);
    }
}

void writeRouteLine(LineWriter& w, const LinkEntry& link) {
    writeLinkLines(w,
                   std::string("Route ") + flavourWord(link, RouteFlavourWords) +
                       ((link.flavour & FlavourFile) ? " file" : "     ") +
                       ((link.flavour & FlavourNoArc) ? " NoArc" : "      "),
                   link, " ", false);
}

} // namespace

void writeSquish(LineWriter& w) {
    w.notation.style = AddressStyle{};
    writeHeader(w, ';', "Squish");
    writeText(w, "; *** Direct links\n;\n");
    writeSendBlock(w);
    writeText(w, ";\n; *** Route\n;\n");
    for (w.notation.pass = 0; w.notation.pass < 4; ++w.notation.pass) {
        writePassComment(w, ';');
        if (w.notation.pass != 0) {
            writeSendBlock(w);
        }
        for (const LinkEntry& link : w.tables.links) {
            writeRouteLine(w, link);
        }
    }
}
