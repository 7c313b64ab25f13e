#include "writers/writers.hpp"

namespace {

// Masks are read against the main address. The walk leaves the context at the
// link after it breaks a line, so it is put back before every mask; otherwise
// the first mask of a continued line would name a node of the main net.
std::size_t bipMask(LineWriter& w, FtnAddress address, std::string& line, int form) {
    w.notation.context = w.notation.main;
    return formatAddress(w.notation, address, line, form);
}

// One "Route" or "File" line of a link: the word joined to the flavour, the
// link, then the link's own mask and everything routed via it, each
// abbreviated against the main address and ending in ".*".
void writeLinkMasks(LineWriter& w, const LinkEntry& link, const char* word) {
    writeLinkLines(w, std::string(word) + flavourWord(link, AbbrevFlavourWords), link, "  ", true,
                   bipMask);
}

} // namespace

void writeBip(LineWriter& w) {
    w.notation.style =
        AddressStyle{.starWildcards = true, .pointSuffix = true, .relativeToMain = true};
    writeHeader(w, ';', "BiP");
    // From the broadest masks to single nodes; counting down past
    // the Nodes pass leaves the pass at 65535.
    w.notation.pass = 3;
    for (;;) {
        writePassComment(w, ';');
        for (const LinkEntry& link : w.tables.links) {
            writeLinkMasks(w, link, "Route");
            if (link.flavour & FlavourFile) {
                writeLinkMasks(w, link, "File");
            }
        }
        --w.notation.pass;
        if (w.notation.pass > 3) {
            break;
        }
    }
}
