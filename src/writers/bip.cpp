#include "writers/writers.hpp"

#include "model/tables.hpp"

namespace {

// Masks are read against the main address. The walk leaves the context at the
// link after it breaks a line, so it is put back before every mask; otherwise
// the first mask of a continued line would name a node of the main net.
std::size_t bipMask(RoutingState& state, FtnAddress address, std::string& line, int form) {
    state.abbrevContext = state.mainAddress();
    return formatAddress(state, address, line, form);
}

// One "Route" or "File" line of a link: the word joined to the flavour, the
// link, then the link's own mask and everything routed via it, each
// abbreviated against the main address and ending in ".*".
void writeLinkMasks(RoutingState& state, const LinkEntry& link, const char* word) {
    writeLinkLines(state, std::string(word) + flavourWord(link, AbbrevFlavourWords), link, "  ",
                   true, bipMask);
}

} // namespace

void writeBip(RoutingState& state) {
    setAddressStyle(state, 1, 1, 1, 0, 0, 0);
    writeHeader(state, ';', "BiP");
    // From the broadest masks to single nodes; counting down past
    // the Nodes pass leaves the pass at 65535.
    state.wildcardPass = 3;
    for (;;) {
        writePassComment(state, ';');
        for (const LinkEntry& link : state.links) {
            writeLinkMasks(state, link, "Route");
            if (link.flavour & FlavourFile) {
                writeLinkMasks(state, link, "File");
            }
        }
        --state.wildcardPass;
        if (state.wildcardPass > 3) {
            break;
        }
    }
}
