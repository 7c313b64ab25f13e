// Imbink: the file links and the links whose mail is compressed, then one
// Static line per link and pass with the point masks of the link and of
// everything routed via it, each abbreviated against the one before.
#include "writers/writers.hpp"

namespace {

void writeStaticLine(LineWriter& w, const LinkEntry& link) {
    // The link's own mask is abbreviated against the link itself.
    writeLinkLines(w, std::string("Static ") + flavourWord(link, RouteFlavourWords), link, "  ",
                   true);
}

} // namespace

void writeImbink(LineWriter& w) {
    w.notation.style = AddressStyle{.starWildcards = true, .pointSuffix = true};
    w.reportCommentChar = '#';
    writeHeader(w, '#', "Imbink");
    writeLinkLine(w, FlavourFile, FlavourFile, "FSENDTO ");
    writeLinkLine(w, FlavourNoArc, 0, "Compress ZIP ");
    for (w.notation.pass = 0; w.notation.pass < 4; ++w.notation.pass) {
        writePassComment(w, '#');
        for (const LinkEntry& link : w.tables.links) {
            writeStaticLine(w, link);
        }
    }
}
