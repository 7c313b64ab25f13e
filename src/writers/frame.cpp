// What every writer shares: the header, pass comments, flavour words, the
// line starts and a link's lines.
#include "platform/platform.hpp"
#include "writers/writers.hpp"

const FlavourWords RouteFlavourWords = {"Crash ", "Direct", "Hold  ", "Normal"};
const FlavourWords ShortFlavourWords = {"Crash", "Dir  ", "Hold ", "     "};
const FlavourWords AbbrevFlavourWords = {"Crash", "Dir  ", "Hold ", "Norm "};
const FlavourWords LowerFlavourWords = {"crash ", "direct", "hold  ", "normal"};
const std::array<const char*, 4> PassNames = {"Nodes", "Nets", "Zones", "Default"};

void writeHeader(LineWriter& w, char commentChar, const char* displayName) {
    FtnAddress main = w.notation.main;
    std::string c(1, commentChar);
    std::string time = localTimeText(w.runTime);
    std::string header = c + " " + displayName + " routing for " + std::to_string(main.zone) + ":" +
                         std::to_string(main.net) + "/" + std::to_string(main.node) +
                         ". Created by Spokeway generator 1.31beta\n" + c + " ";
    if (time.size() < 45) {
        header.append(45 - time.size(), ' ');
    }
    header += time + c + "\n";
    writeText(w, header);
}

void writePassComment(LineWriter& w, char commentChar) {
    writeText(w, std::string(1, commentChar) + " *** " + PassNames[w.notation.pass] + "\n");
}

void startLine(LineWriter& w, const std::string& prefix) {
    w.prefix = prefix;
    restartLine(w);
}

void finishLine(LineWriter& w) {
    if (w.line != w.prefix) {
        writeLineBuffer(w);
    }
}

void writeLinkLines(LineWriter& w, const std::string& words, const LinkEntry& link,
                    const char* separator, bool ownMask, AddressFormatter formatter) {
    std::string prefix = words;
    formatAddress(w.notation, link.address, prefix, FullForm);
    prefix += separator;
    startLine(w, prefix);
    if (ownMask) {
        const std::size_t before = w.line.size();
        noteAddress(w, link.address,
                    formatAddress(w.notation, link.address, w.line, RelativeForm) != before);
    }
    appendRoutedViaLink(w, link.address, RelativeForm, formatter);
    finishLine(w);
}
