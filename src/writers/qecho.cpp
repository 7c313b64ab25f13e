#include "writers/writers.hpp"

#include "model/tables.hpp"

void writeQecho(RoutingState& state) {
    // Only flatWalk matters to the table; the rest is for the unrouted report.
    setAddressStyle(state, 0, 0, 0, 1, 0, 0);
    state.wrapWidth = 100;
    writeHeader(state, '#', "QECHO");
    writeText(state, "#\n# *** Route\n#\n");
    for (state.wildcardPass = 0; state.wildcardPass < 4; ++state.wildcardPass) {
        writePassComment(state, '#');
        for (const LinkEntry& link : state.links) {
            // The prefix spans two lines: the next hop, then the list's keyword.
            const FtnAddress& a = link.address;
            startLine(state, "RouteVia\t" + std::to_string(a.zone) + ":" + std::to_string(a.net) +
                                 "/" + std::to_string(a.node) + "@fidonet\nRouteFor\t");
            if (state.wildcardPass == 0) {
                qechoAddress(state, a, state.lineBuffer, FullForm);
            }
            appendRoutedViaLink(state, a, RelativeForm, qechoAddress);
            finishLine(state);
        }
    }
}

// A node as zone:net/node, a net as zone:net, a zone as zone: and the world
// as the list of zones 1 to 7; never abbreviated, no point mask.
std::size_t qechoAddress(RoutingState& state, FtnAddress address, std::string& line, int form) {
    int wildcards = wildcardCount(address);
    if (form == RelativeForm && wildcards != state.wildcardPass) {
        return line.size();
    }
    switch (wildcards) {
    case 3:
        line += "1: 2: 3: 4: 5: 6: 7:";
        break;
    case 2:
        line += " " + std::to_string(address.zone) + ":";
        break;
    case 1:
        line += " " + std::to_string(address.zone) + ":" + std::to_string(address.net);
        break;
    default:
        line += " " + std::to_string(address.zone) + ":" + std::to_string(address.net) + "/" +
                std::to_string(address.node);
        break;
    }
    return line.size();
}
