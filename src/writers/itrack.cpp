// iTrack: one line per link and pass, the flavour, the link, then the point
// masks of the link itself and of everything routed via it.
#include "writers/writers.hpp"

namespace {

void writeLinkMasks(LineWriter& w, const LinkEntry& link) {
    writeLinkLines(w, flavourWord(link, ShortFlavourWords), link, "  ", true);
}

} // namespace

void writeItrack(LineWriter& w) {
    w.notation.style =
        AddressStyle{.starWildcards = true, .pointSuffix = true, .fullAddresses = true};
    writeHeader(w, ';', "iTrack");
    for (w.notation.pass = 0; w.notation.pass < 4; ++w.notation.pass) {
        writePassComment(w, ';');
        for (const LinkEntry& link : w.tables.links) {
            writeLinkMasks(w, link);
        }
    }
}
