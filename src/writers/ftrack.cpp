#include "writers/writers.hpp"

namespace {

// Replaces the line by one mask line of a rule block.
std::size_t ftrackMask(LineWriter& w, FtnAddress address, std::string& line, int form) {
    if (form == RelativeForm && wildcardCount(address) != w.notation.pass) {
        return line.size();
    }
    ++w.maskCount;
    line = "Mask: * * * ";
    if (w.notation.pass == 3) {
        line += '*';
    } else {
        formatAddress(w.notation, address, line, form);
    }
    line += " * *";
    return line.size();
}

} // namespace

void writeFtrack(LineWriter& w) {
    w.notation.style = AddressStyle{.starWildcards = true,
                                    .pointSuffix = true,
                                    .relativeToMain = true,
                                    .fullAddresses = true,
                                    .slashBeforeNode = true};
    w.reportCommentChar = '\\';
    // Every mask is longer than this, so the walk writes each one at once.
    w.wrapWidth = 10;
    writeHeader(w, '\\', "Ftrack");
    // Lines the walk restarts begin empty.
    w.prefix.clear();
    for (w.notation.pass = 0; w.notation.pass < 4; ++w.notation.pass) {
        writePassComment(w, w.reportCommentChar);
        for (const LinkEntry& link : w.tables.links) {
            w.maskCount = 0;
            w.line.clear();
            if (w.notation.pass == 0) {
                // The link's own mask; its line is written even when the
                // link's address has a wildcard and no mask was made.
                ftrackMask(w, link.address, w.line, RelativeForm);
                writeLineBuffer(w);
                ++w.maskCount;
                w.line.clear();
            }
            appendRoutedViaLink(w, link.address, RelativeForm, ftrackMask);
            if (w.maskCount != 0) {
                w.line = std::string("Action: Route ") + flavourWord(link, RouteFlavourWords);
                formatAddress(w.notation, link.address, w.line, FullForm);
                w.line += "\n\\";
                writeLineBuffer(w);
            }
        }
    }
}
