#include "writers/writers.hpp"

#include "model/tables.hpp"

namespace {

// "Route" joined to the flavour word, the link, then the link's own mask and
// everything routed via it, all in full with ".*".
void writeRouteLine(RoutingState& state, const LinkEntry& link) {
    writeLinkLines(state, std::string("Route") + flavourWord(link, RouteFlavourWords), link, "",
                   true);
}

} // namespace

void writeUnimail(RoutingState& state) {
    setAddressStyle(state, 1, 1, 0, 1, 0, 0);
    writeHeader(state, ';', "Unimail");
    writeText(state, ";\n; *** Route\n;\n");
    for (state.wildcardPass = 0; state.wildcardPass < 4; ++state.wildcardPass) {
        writePassComment(state, ';');
        for (const LinkEntry& link : state.links) {
            writeRouteLine(state, link);
        }
    }
}
