// hpt: routeMail lines (and routeFile lines for a link with the file letter)
// of the fidoconfig configuration that every husky program reads. hpt takes
// the first target that matches, in file order, as a pattern over the whole
// "Z:N/F.P" text: every target is written in full, and the passes put nodes
// before nets, nets before zones and zones before the world.
#include "writers/writers.hpp"

namespace {

// Always one of them: without a flavour word the link block's own flavour
// would apply.
const FlavourWords HptFlavourWords = {"crash", "direct", "hold", "normal"};

// A node with its points "Z:N/F.*", a net "Z:N/*", a zone "Z:*", the world
// "*": patterns that reach no other number. In the relative form only an
// address with as many wildcard parts as the pass is appended.
std::size_t hptTarget(LineWriter& w, FtnAddress address, std::string& line, int form) {
    const int wildcards = wildcardCount(address);
    if (form == RelativeForm && wildcards != w.notation.pass) {
        return line.size();
    }
    line += ' ';
    if (address.zone == Wildcard) {
        line += '*';
        return line.size();
    }
    line += std::to_string(address.zone) + ':';
    if (address.net == Wildcard) {
        line += '*';
        return line.size();
    }
    line += std::to_string(address.net) + '/';
    if (address.node == Wildcard) {
        line += '*';
        return line.size();
    }
    line += std::to_string(address.node) + ".*";
    return line.size();
}

// The lines of one link in the present pass; in the node pass its own mask
// comes first, since hpt gives a link no route of its own. A link with
// wildcard parts names no system and gets no mask.
void writeHptLines(LineWriter& w, const char* keyword, const LinkEntry& link) {
    startLine(w, std::string(keyword) + ' ' + flavourWord(link, HptFlavourWords) + ' ' +
                     plainAddressText(link.address));
    if (w.notation.pass == 0 && !hasWildcard(link.address)) {
        noteAddress(w, link.address, true);
        hptTarget(w, link.address, w.line, FullForm);
    }
    appendRoutedViaLink(w, link.address, RelativeForm, hptTarget);
    finishLine(w);
}

} // namespace

void writeHpt(LineWriter& w) {
    // Full addresses for the unrouted report; the table uses hptTarget.
    w.notation.style = AddressStyle{.fullAddresses = true};
    w.reportCommentChar = '#';
    w.wrapWidth = 100;
    writeHeader(w, '#', "hpt");
    for (w.notation.pass = 0; w.notation.pass < 4; ++w.notation.pass) {
        writePassComment(w, '#');
        for (const LinkEntry& link : w.tables.links) {
            writeHptLines(w, "routeMail", link);
            // Without a routeFile line hpt moves no file attach at all.
            if (link.flavour & FlavourFile) {
                writeHptLines(w, "routeFile", link);
            }
        }
    }
}
