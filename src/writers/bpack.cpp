// BPack: every address in full; the links by flavour on Direct lines, the
// links without archiving on a NoArcSend line, one Route line per link.
#include "writers/writers.hpp"

namespace {

void writeDirectBlock(LineWriter& w) {
    static const struct {
        const char* prefix;
        std::uint16_t bit;
    } lines[] = {
        {"Direct crash  ", FlavourCrash},  {"Direct direct ", FlavourDirect},
        {"Direct        ", FlavourNormal}, {"Direct hold   ", FlavourHold},
        {"NoArcSend     ", FlavourNoArc},
    };
    w.notation.context = w.notation.main;
    for (const auto& line : lines) {
        writeLinkLine(w, line.bit, line.bit, line.prefix);
    }
}

void writeRouteLine(LineWriter& w, const LinkEntry& link) {
    writeLinkLines(w, std::string("Route ") + flavourWord(link, RouteFlavourWords), link, " ",
                   false);
}

} // namespace

void writeBpack(LineWriter& w) {
    w.notation.style = AddressStyle{.starWildcards = true, .fullAddresses = true};
    writeHeader(w, ';', "BPack");
    writeText(w, "; *** Direct links\n");
    writeDirectBlock(w);
    for (w.notation.pass = 0; w.notation.pass < 4; ++w.notation.pass) {
        writePassComment(w, ';');
        if (w.notation.pass != 0) {
            writeDirectBlock(w);
        }
        for (const LinkEntry& link : w.tables.links) {
            writeRouteLine(w, link);
        }
    }
}
