// What every writer shares: the header, pass comments, flavour words, the
// address style and the dispatch by route type.
#include "platform/platform.hpp"
#include "writers/writers.hpp"

const FlavourWords RouteFlavourWords = {"Crash ", "Direct", "Hold  ", "Normal"};
const FlavourWords ShortFlavourWords = {"Crash", "Dir  ", "Hold ", "     "};
const FlavourWords AbbrevFlavourWords = {"Crash", "Dir  ", "Hold ", "Norm "};
const FlavourWords LowerFlavourWords = {"crash ", "direct", "hold  ", "normal"};
const std::array<const char*, 4> PassNames = {"Nodes", "Nets", "Zones", "Default"};

void writeHeader(RoutingState& state, char commentChar, const char* displayName) {
    FtnAddress main = state.mainAddress();
    std::string c(1, commentChar);
    std::string time = localTimeText(state.runTime);
    std::string header = c + " " + displayName + " routing for " + std::to_string(main.zone) + ":" +
                         std::to_string(main.net) + "/" + std::to_string(main.node) +
                         ". Created by Spokeway generator 1.31beta\n" + c + " ";
    if (time.size() < 45) {
        header.append(45 - time.size(), ' ');
    }
    header += time + c + "\n";
    writeText(state, header);
}

void writePassComment(RoutingState& state, char commentChar) {
    writeText(state, std::string(1, commentChar) + " *** " + PassNames[state.wildcardPass] + "\n");
}

void setAddressStyle(RoutingState& state, std::uint16_t starWildcards, std::uint16_t pointSuffix,
                     std::uint16_t relativeToMain, std::uint16_t fullAddresses,
                     std::uint16_t flatWalk, std::uint16_t slashBeforeNode) {
    state.addressStyle = AddressStyle{starWildcards, pointSuffix, relativeToMain,
                                      fullAddresses, flatWalk,    slashBeforeNode};
}

void startLine(RoutingState& state, const std::string& prefix) {
    state.prefixBuffer = prefix;
    restartLine(state);
}

void finishLine(RoutingState& state) {
    if (state.lineBuffer != state.prefixBuffer) {
        writeLineBuffer(state);
    }
}

void writeLinkLines(RoutingState& state, const std::string& words, const LinkEntry& link,
                    const char* separator, bool ownMask, AddressFormatter formatter) {
    std::string prefix = words;
    formatAddress(state, link.address, prefix, FullForm);
    prefix += separator;
    startLine(state, prefix);
    if (ownMask) {
        formatAddress(state, link.address, state.lineBuffer, RelativeForm);
    }
    appendRoutedViaLink(state, link.address, RelativeForm, formatter);
    finishLine(state);
}

void writeRouting(RoutingState& state) {
    using Writer = void (*)(RoutingState&);
    static const Writer writers[] = {writeSquish,  writeItrack, writeTmail,    writeBpack,
                                     writeImbink,  writeXmail,  writeIfmail,   writeBip,
                                     writeUnimail, writeQecho,  writeFidogate, writeFtrack};
    if (state.routeTypeCode >= 1 && state.routeTypeCode <= 12) {
        writers[state.routeTypeCode - 1](state);
    }
}
