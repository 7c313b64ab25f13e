#include "writers/writers.hpp"

namespace {

// The no-archive and file bits play no part in the send lines.
void fidogateSendLines(LineWriter& w) {
    writeLinkLine(w, FlavourCrash, FlavourCrash, "send crash  ");
    writeLinkLine(w, FlavourDirect, FlavourDirect, "send direct ");
    writeLinkLine(w, FlavourHold, FlavourHold, "send hold   ");
    writeLinkLine(w, FlavourNormal, FlavourNormal, "send normal ");
}

void fidogateRoutePrefix(LineWriter& w, const LinkEntry& link) {
    std::string& prefix = w.prefix;
    prefix = std::string("route ") + flavourWord(link, LowerFlavourWords) +
             ((link.flavour & FlavourFile) ? " file" : "     ") +
             ((link.flavour & FlavourNoArc) ? " noarc" : "      ");
    formatAddress(w.notation, link.address, prefix, FullForm);
    prefix += ' ';
}

} // namespace

void writeFidogate(LineWriter& w) {
    w.notation.style = AddressStyle{.fullAddresses = true};
    w.reportCommentChar = '#';
    writeHeader(w, '#', "Fidogate");
    writeText(w, "# *** Direct links\n#\n");
    fidogateSendLines(w);
    writeText(w, "#\n# *** Route\n#\n");
    for (w.notation.pass = 0; w.notation.pass < 4; ++w.notation.pass) {
        writePassComment(w, '#');
        if (w.notation.pass != 0) {
            fidogateSendLines(w);
        }
        for (const LinkEntry& link : w.tables.links) {
            fidogateRoutePrefix(w, link);
            restartLine(w);
            appendRoutedViaLink(w, link.address, RelativeForm);
            finishLine(w);
        }
    }
}
