// Handlers of the keywords that set own addresses, links and settings.
#include <cstddef>

#include "driver/keywords.hpp"
#include "model/tables.hpp"

namespace {} // namespace

void copyFileName(std::string_view text, std::string& target) {
    std::size_t end = 0;
    while (end < text.size() && !isWhiteSpace(text[end])) {
        ++end;
    }
    target.assign(text.substr(0, end));
}

void readFlavourLetters(std::string_view text, std::uint16_t& flavour) {
    for (char c : text) {
        if (c == '\n' || c == ';') {
            break;
        }
        switch (lowerCase(c)) {
        case 'd':
            flavour |= FlavourDirect;
            break;
        case 'c':
            flavour |= FlavourCrash;
            break;
        case 'h':
            flavour |= FlavourHold;
            break;
        case 'n':
            flavour |= FlavourNormal;
            break;
        case 'f':
            flavour |= FlavourFile;
            break;
        case 'a':
            flavour |= FlavourNoArc;
            break;
        default:
            break;
        }
    }
    if ((flavour & (FlavourDirect | FlavourCrash | FlavourHold)) == 0) {
        flavour |= FlavourNormal;
    }
}

bool addressKeyword(RoutingState& state, std::string_view rest, KeywordTarget) {
    std::size_t cursor = 0;
    appendAka(state, parseAddress(state, rest, cursor));
    return true;
}

bool routeTypeKeyword(RoutingState& state, std::string_view rest, KeywordTarget target) {
    static const char* const names[] = {"squish",  "itrack", "tmail",    "bpack",
                                        "imbink",  "xmail",  "ifmail",   "bip",
                                        "unimail", "qecho",  "fidogate", "ftrack"};
    for (std::uint16_t i = 0; i < 12; ++i) {
        if (startsWithNoCase(rest, names[i])) {
            state.*target.word = static_cast<std::uint16_t>(i + 1);
            if (i + 1 == 3) {
                state.tmailnFlag = startsWithNoCase(rest, "tmailn") ? 1 : 0;
            }
            return true;
        }
    }
    printTaggedError(state, ErrRouteType);
    return false;
}

bool minimizeKeyword(RoutingState& state, std::string_view rest, KeywordTarget) {
    static const struct {
        const char* word;
        std::uint16_t mode;
    } values[] = {{"yes", 1}, {"on", 1}, {"no", 0}, {"off", 0}};
    for (const auto& value : values) {
        if (startsWithNoCase(rest, value.word)) {
            state.minimizeMode = value.mode;
            return true;
        }
    }
    printTaggedError(state, ErrMinimize);
    return false;
}

bool fileNameKeyword(RoutingState& state, std::string_view rest, KeywordTarget target) {
    copyFileName(rest, state.*target.text);
    return true;
}

bool defaultFlavorKeyword(RoutingState& state, std::string_view rest, KeywordTarget target) {
    // The letters of the line alone decide, as for a link.
    std::uint16_t flavour = 0;
    readFlavourLetters(rest, flavour);
    state.*target.word = flavour;
    return true;
}

bool linkKeyword(RoutingState& state, std::string_view rest, KeywordTarget) {
    LinkEntry link;
    std::size_t cursor = 0;
    link.address = parseAddress(state, rest, cursor);
    readFlavourLetters(rest.substr(cursor), link.flavour);
    if (findItem(state, link.address) == NoVia) {
        appendItem(state, RouteItem{NoVia, 0, link.address});
    }
    appendLink(state, link);
    return true;
}

bool quotedTextKeyword(RoutingState& state, std::string_view rest, KeywordTarget target) {
    if (rest.empty() || rest.front() != '"') {
        return true;
    }
    std::size_t end = 1;
    while (end < rest.size() && rest[end] != '"' && rest[end] != '\n') {
        ++end;
    }
    if (end >= rest.size() || rest[end] != '"') {
        printTaggedError(state, ErrQuotedString);
        return false;
    }
    (state.*target.text).assign(rest.substr(1, end - 1));
    return true;
}
