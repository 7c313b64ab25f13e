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
    for (state.WildcardPass = 0; state.WildcardPass < 4; ++state.WildcardPass) {
        writePassComment(state, ';');
        for (const LinkEntry& link : state.LinkTable) {
            writeRouteLine(state, link);
        }
    }
}
