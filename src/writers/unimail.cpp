#include "writers/writers.hpp"

#include "model/tables.hpp"

namespace {

// "Route" joined to the flavour word, the link, then the link's own mask and
// everything routed via it, all in full with ".*".
void writeRouteLine(RoutingState& state, const LinkEntry& link) {
    std::string prefix = std::string("Route") + flavourWord(link, RouteFlavourWords);
    formatAddress(state, link.address, prefix, FullForm);
    startLine(state, prefix);
    // The link's own mask opens the line; it is not checked against the width.
    formatAddress(state, link.address, state.lineBuffer, RelativeForm);
    appendRoutedViaLink(state, link.address, RelativeForm);
    finishLine(state);
}

} // namespace

void writeUnimail(RoutingState& state) {
    setAddressStyle(state, 1, 1, 0, 1, 0, 0);
    writeHeader(state, ';', "Unimail");
    writeText(state, ";\n; *** Route\n;\n");
    for (state.WildcardPass = 0; state.WildcardPass < 4; ++state.WildcardPass) {
        writePassComment(state, ';');
        for (const LinkEntry& link : state.LinkTable) {
            writeRouteLine(state, link);
        }
    }
}
