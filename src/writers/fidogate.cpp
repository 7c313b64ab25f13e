#include "writers/writers.hpp"

#include "model/tables.hpp"

void writeFidogate(RoutingState& state) {
    setAddressStyle(state, 0, 0, 0, 1, 0, 0);
    state.reportCommentChar = '#';
    writeHeader(state, '#', "Fidogate");
    writeText(state, "# *** Direct links\n#\n");
    fidogateSendLines(state);
    writeText(state, "#\n# *** Route\n#\n");
    for (state.wildcardPass = 0; state.wildcardPass < 4; ++state.wildcardPass) {
        writePassComment(state, '#');
        if (state.wildcardPass != 0) {
            fidogateSendLines(state);
        }
        for (const LinkEntry& link : state.links) {
            fidogateRoutePrefix(state, link);
            restartLine(state);
            appendRoutedViaLink(state, link.address, RelativeForm);
            finishLine(state);
        }
    }
}

// The no-archive and file bits play no part in the send lines.
void fidogateSendLines(RoutingState& state) {
    writeLinkLine(state, FlavourCrash, FlavourCrash, "send crash  ");
    writeLinkLine(state, FlavourDirect, FlavourDirect, "send direct ");
    writeLinkLine(state, FlavourHold, FlavourHold, "send hold   ");
    writeLinkLine(state, FlavourNormal, FlavourNormal, "send normal ");
}

void fidogateRoutePrefix(RoutingState& state, const LinkEntry& link) {
    std::string& prefix = state.prefixBuffer;
    prefix = std::string("route ") + flavourWord(link, LowerFlavourWords) +
             ((link.flavour & FlavourFile) ? " file" : "     ") +
             ((link.flavour & FlavourNoArc) ? " noarc" : "      ");
    formatAddress(state, link.address, prefix, FullForm);
    prefix += ' ';
}
