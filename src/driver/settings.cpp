// Handlers of the keywords that set own addresses, links and settings.
#include <cstddef>

#include "driver/config_reader.hpp"
#include "model/tables.hpp"
#include "writers/route_types.hpp"

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

bool addressKeyword(ConfigContext& context, std::string_view rest, KeywordTarget) {
    std::size_t cursor = 0;
    appendAka(context.state, parseAddress(context.notation, rest, cursor));
    return true;
}

bool routeTypeKeyword(ConfigContext& context, std::string_view rest, KeywordTarget target) {
    const RouteType* type = findRouteType(rest);
    if (type == nullptr) {
        context.errorAt(Message::RouteType);
        return false;
    }
    context.state.settings.*target.word = static_cast<std::uint16_t>(type - RouteTypes.data() + 1);
    return true;
}

bool minimizeKeyword(ConfigContext& context, std::string_view rest, KeywordTarget) {
    static const struct {
        const char* word;
        MinimizeMode mode;
    } values[] = {{"yes", MinimizeMode::Yes},
                  {"on", MinimizeMode::Yes},
                  {"no", MinimizeMode::No},
                  {"off", MinimizeMode::No}};
    for (const auto& value : values) {
        if (startsWithNoCase(rest, value.word)) {
            context.state.settings.minimize = value.mode;
            return true;
        }
    }
    context.errorAt(Message::Minimize);
    return false;
}

bool fileNameKeyword(ConfigContext& context, std::string_view rest, KeywordTarget target) {
    copyFileName(rest, context.state.settings.*target.text);
    return true;
}

bool defaultFlavorKeyword(ConfigContext& context, std::string_view rest, KeywordTarget target) {
    // The letters of the line alone decide, as for a link.
    std::uint16_t flavour = 0;
    readFlavourLetters(rest, flavour);
    context.state.settings.*target.word = flavour;
    return true;
}

bool linkKeyword(ConfigContext& context, std::string_view rest, KeywordTarget) {
    LinkEntry link;
    std::size_t cursor = 0;
    link.address = parseAddress(context.notation, rest, cursor);
    readFlavourLetters(rest.substr(cursor), link.flavour);
    RoutingState& state = context.state;
    context.markOrigin();
    if (findItem(state, link.address) == NoVia) {
        appendItem(state, RouteItem{NoVia, 0, link.address});
    }
    appendLink(state, link);
    state.provenance.recordLink(state.links.size() - 1);
    return true;
}

bool quotedTextKeyword(ConfigContext& context, std::string_view rest, KeywordTarget target) {
    if (rest.empty() || rest.front() != '"') {
        return true;
    }
    std::size_t end = 1;
    while (end < rest.size() && rest[end] != '"' && rest[end] != '\n') {
        ++end;
    }
    if (end >= rest.size() || rest[end] != '"') {
        context.errorAt(Message::QuotedString);
        return false;
    }
    (context.state.settings.*target.text).assign(rest.substr(1, end - 1));
    return true;
}
