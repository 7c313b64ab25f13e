#include "writers/writers.hpp"

namespace {

// A node as zone:net/node, a net as zone:net, a zone as zone: and the world
// as the list of zones 1 to 7; never abbreviated, no point mask.
std::size_t qechoAddress(LineWriter& w, FtnAddress address, std::string& line, int form) {
    int wildcards = wildcardCount(address);
    if (form == RelativeForm && wildcards != w.notation.pass) {
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

} // namespace

void writeQecho(LineWriter& w) {
    // Only flatWalk matters to the table; the rest is for the unrouted report.
    w.notation.style = AddressStyle{.fullAddresses = true};
    w.wrapWidth = 100;
    writeHeader(w, '#', "QECHO");
    writeText(w, "#\n# *** Route\n#\n");
    for (w.notation.pass = 0; w.notation.pass < 4; ++w.notation.pass) {
        writePassComment(w, '#');
        for (const LinkEntry& link : w.tables.links) {
            // The prefix spans two lines: the next hop, then the list's keyword.
            const FtnAddress& a = link.address;
            startLine(w, "RouteVia\t" + std::to_string(a.zone) + ":" + std::to_string(a.net) + "/" +
                             std::to_string(a.node) + "@fidonet\nRouteFor\t");
            if (w.notation.pass == 0) {
                qechoAddress(w, a, w.line, FullForm);
            }
            appendRoutedViaLink(w, a, RelativeForm, qechoAddress);
            finishLine(w);
        }
    }
}
