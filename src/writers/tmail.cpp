// T-mail: the links by flavour on Direct, Priority and Hold lines, then per
// link a Mail line (and a Files line for file links) that lists what is
// routed via the link and ends with the link's own address.
#include "writers/writers.hpp"

#include "model/tables.hpp"

namespace {

void writeDirectBlock(RoutingState& state) {
    state.abbrevContext = state.mainAddress();
    state.addressStyle.pointSuffix = 1;
    for (std::uint16_t bit : {FlavourCrash, FlavourDirect, FlavourNormal, FlavourHold}) {
        writeLinkLine(state, bit, bit, "Direct ");
    }
    state.addressStyle.pointSuffix = 0;
    writeLinkLine(state, FlavourCrash, FlavourCrash, "Priority ");
    writeLinkLine(state, FlavourHold, FlavourHold, "Hold ");
}

void writeRouteLine(RoutingState& state, const LinkEntry& link, const char* keyword) {
    startLine(state, keyword);
    // Every line the walk breaks ends with the link's address, too.
    state.continuationAddress = link.address;
    appendRoutedViaLink(state, link.address, RelativeForm);
    if (state.lineBuffer != state.prefixBuffer) {
        formatAddress(state, link.address, state.lineBuffer, FullForm);
        writeLineBuffer(state);
    }
}

} // namespace

void writeTmail(RoutingState& state) {
    setAddressStyle(state, 1, 0, 1, 0, 0, 1);
    const char* mailKeyword = state.tmailnFlag ? "Mail-For  " : "Mail  ";
    const char* filesKeyword = state.tmailnFlag ? "Files-For " : "Files ";
    writeHeader(state, ';', "T-mail");
    writeText(state, "; *** Direct links\n");
    writeDirectBlock(state);
    for (state.wildcardPass = 0; state.wildcardPass < 4; ++state.wildcardPass) {
        writePassComment(state, ';');
        if (state.wildcardPass != 0) {
            writeDirectBlock(state);
        }
        for (const LinkEntry& link : state.links) {
            writeRouteLine(state, link, mailKeyword);
            if (link.flavour & FlavourFile) {
                writeRouteLine(state, link, filesKeyword);
            }
        }
    }
}
