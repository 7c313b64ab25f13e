// Handlers of the keywords that set own addresses, links and settings.
#include <cstddef>

#include "driver/config_reader.hpp"
#include "driver/reader_check.hpp"
#include "model/tables.hpp"
#include "sources/sources.hpp"
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

namespace {

// The first word of a keyword's value, for messages.
std::string_view firstWord(std::string_view text) {
    std::size_t end = 0;
    while (end < text.size() && !isWhiteSpace(text[end])) {
        ++end;
    }
    return text.substr(0, end);
}

// A flavour field that is not flavour letters alone: a word ("hold", whose
// "d" makes the link direct too) or a comment after "#" gives letters no one
// meant. Letters may stand together ("hf") or one by one ("d a").
bool plainFlavourLetters(std::string_view text) {
    std::size_t words = 0;
    bool onlySingleLetters = true;
    std::size_t length = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : '\n';
        if (c == '\n' || c == ';' || isWhiteSpace(c)) {
            if (length != 0) {
                ++words;
                onlySingleLetters = onlySingleLetters && length == 1;
            }
            length = 0;
            if (c == '\n' || c == ';') {
                break;
            }
            continue;
        }
        if (std::string_view("dchnfa").find(lowerCase(c)) == std::string_view::npos) {
            return false;
        }
        ++length;
    }
    return words <= 1 || onlySingleLetters;
}

} // namespace

bool addressKeyword(ConfigContext& context, std::string_view rest, KeywordTarget) {
    std::size_t cursor = 0;
    appendAka(context.state, readCheckedAddress(context.notation, context.console, rest, cursor));
    skipBlanks(rest, cursor);
    if (cursor < rest.size() && rest[cursor] != ';' && rest[cursor] != '\n') {
        std::string_view trailing = rest.substr(cursor);
        while (!trailing.empty() && isWhiteSpace(trailing.back())) {
            trailing.remove_suffix(1);
        }
        context.diagnostics().warn("text after the address is ignored: \"" + std::string(trailing) +
                                   "\"");
    }
    return true;
}

bool routeTypeKeyword(ConfigContext& context, std::string_view rest, KeywordTarget target) {
    const RouteType* type = findRouteType(rest);
    const std::string_view word = firstWord(rest);
    if (type == nullptr) {
        context.failAt(Message::RouteType, "unsupported route type \"" + std::string(word) + "\"");
        return false;
    }
    if (word.size() != std::string_view(type->name).size()) {
        context.diagnostics().warn("route type \"" + std::string(word) + "\" taken as \"" +
                                   type->name + "\" (by its first letters)");
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
    context.failAt(Message::Minimize,
                   "Minimize \"" + std::string(firstWord(rest)) + "\" is none of yes, on, no, off");
    return false;
}

bool fileNameKeyword(ConfigContext& context, std::string_view rest, KeywordTarget target) {
    copyFileName(rest, context.state.settings.*target.text);
    return true;
}

bool logFileKeyword(ConfigContext& context, std::string_view rest, KeywordTarget target) {
    context.logFileLine = context.line; // the last one counts
    return fileNameKeyword(context, rest, target);
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
    link.address = readCheckedAddress(context.notation, context.console, rest, cursor);
    readFlavourLetters(rest.substr(cursor), link.flavour);
    if (context.diagnostics().collecting() && !plainFlavourLetters(rest.substr(cursor))) {
        std::string_view field = rest.substr(cursor);
        field = field.substr(0, std::min(field.find(';'), field.find('\n')));
        while (!field.empty() && isWhiteSpace(field.front())) {
            field.remove_prefix(1);
        }
        while (!field.empty() && isWhiteSpace(field.back())) {
            field.remove_suffix(1);
        }
        context.diagnostics().warn(
            "the flavour \"" + std::string(field) + "\" of link" + addressText(link.address) +
            " is not flavour letters alone (c, d, h, n, f, a): every one of its letters counts "
            "(a comment starts with \";\")");
    }
    // Where the program's reading is modelled, --check compares it instead.
    const bool rulesOfThumb = !hasReaderModel(context.state.settings);
    if (rulesOfThumb && hasWildcard(link.address)) {
        context.diagnostics().warn(
            "link" + addressText(link.address) +
            " has a wildcard part: no node has that address, and the "
            "adjustment makes it" +
            addressText(FtnAddress{link.address.zone,
                                   link.address.zone == Wildcard ? Wildcard : link.address.net,
                                   Wildcard}));
    }
    auto [seen, first] = context.linkLines.try_emplace(link.address, context.line, link.flavour);
    if (rulesOfThumb && !first && seen->second.second != link.flavour) {
        context.diagnostics().warn(
            "link" + addressText(link.address) + " is also on line " +
            std::to_string(seen->second.first) +
            " with another flavour: its own mail and what is routed via it go different ways");
    }
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
    const bool begin = target.text == &Settings::routeBeginText;
    (begin ? context.routeBeginLine : context.routeEndLine) = context.line;
    const char* keyword = begin ? "RouteBegin" : "RouteEnd";
    // A marker must be quoted: an unquoted one would be taken as empty, and
    // an empty marker matches every line of the destination.
    if (rest.empty() || rest.front() != '"') {
        context.failAt(Message::QuotedString,
                       std::string(keyword) + " needs its text in double quotes");
        return false;
    }
    std::size_t end = 1;
    while (end < rest.size() && rest[end] != '"' && rest[end] != '\n') {
        ++end;
    }
    if (end >= rest.size() || rest[end] != '"') {
        context.failAt(Message::QuotedString,
                       std::string(keyword) + " text has no closing double quote");
        return false;
    }
    (context.state.settings.*target.text).assign(rest.substr(1, end - 1));
    return true;
}
