// T-mail: the links by flavour on Direct, Priority and Hold lines, then per
// link a Mail line (and a Files line for file links) that lists what is
// routed via the link and ends with the link's own address.
#include "writers/writers.hpp"

namespace {

void writeDirectBlock(LineWriter& w) {
    w.notation.context = w.notation.main;
    w.notation.style.pointSuffix = 1;
    for (std::uint16_t bit : {FlavourCrash, FlavourDirect, FlavourNormal, FlavourHold}) {
        writeLinkLine(w, bit, bit, "Direct ");
    }
    w.notation.style.pointSuffix = 0;
    writeLinkLine(w, FlavourCrash, FlavourCrash, "Priority ");
    writeLinkLine(w, FlavourHold, FlavourHold, "Hold ");
}

void writeRouteLine(LineWriter& w, const LinkEntry& link, const char* keyword) {
    startLine(w, keyword);
    // Every line the walk breaks ends with the link's address, too.
    w.continuationAddress = link.address;
    appendRoutedViaLink(w, link.address, RelativeForm);
    if (w.line != w.prefix) {
        formatAddress(w.notation, link.address, w.line, FullForm);
        writeLineBuffer(w);
    }
}

void writeTable(LineWriter& w, const char* mailKeyword, const char* filesKeyword) {
    w.notation.style =
        AddressStyle{.starWildcards = true, .relativeToMain = true, .slashBeforeNode = true};
    writeHeader(w, ';', "T-mail");
    writeText(w, "; *** Direct links\n");
    writeDirectBlock(w);
    for (w.notation.pass = 0; w.notation.pass < 4; ++w.notation.pass) {
        writePassComment(w, ';');
        if (w.notation.pass != 0) {
            writeDirectBlock(w);
        }
        for (const LinkEntry& link : w.tables.links) {
            writeRouteLine(w, link, mailKeyword);
            if (link.flavour & FlavourFile) {
                writeRouteLine(w, link, filesKeyword);
            }
        }
    }
}

} // namespace

void writeTmail(LineWriter& w) {
    writeTable(w, "Mail  ", "Files ");
}

// The newer T-mail keywords for the same lines.
void writeTmailn(LineWriter& w) {
    writeTable(w, "Mail-For  ", "Files-For ");
}
