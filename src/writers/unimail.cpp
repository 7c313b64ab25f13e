#include "writers/writers.hpp"

namespace {

// "Route" joined to the flavour word, the link, then the link's own mask and
// everything routed via it, all in full with ".*".
void writeRouteLine(LineWriter& w, const LinkEntry& link) {
    writeLinkLines(w, std::string("Route") + flavourWord(link, RouteFlavourWords), link, "", true);
}

} // namespace

void writeUnimail(LineWriter& w) {
    w.notation.style =
        AddressStyle{.starWildcards = true, .pointSuffix = true, .fullAddresses = true};
    writeHeader(w, ';', "Unimail");
    writeText(w, ";\n; *** Route\n;\n");
    for (w.notation.pass = 0; w.notation.pass < 4; ++w.notation.pass) {
        writePassComment(w, ';');
        for (const LinkEntry& link : w.tables.links) {
            writeRouteLine(w, link);
        }
    }
}
