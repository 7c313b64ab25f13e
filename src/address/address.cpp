#include "address/address.hpp"

#include <charconv>

#include "model/routing_state.hpp"

namespace {

void appendPart(std::string& text, std::uint16_t value, const char* wildcardText) {
    if (value == Wildcard) {
        text += wildcardText;
    } else {
        char digits[8];
        text.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
    }
}

} // namespace

int wildcardCount(FtnAddress address) {
    return (address.zone == Wildcard) + (address.net == Wildcard) + (address.node == Wildcard);
}

bool hasWildcard(FtnAddress address) {
    return wildcardCount(address) != 0;
}

bool startsWithNoCase(std::string_view text, std::string_view lowerWord) {
    if (text.size() < lowerWord.size()) {
        return false;
    }
    for (std::size_t i = 0; i < lowerWord.size(); ++i) {
        if (lowerCase(text[i]) != lowerWord[i]) {
            return false;
        }
    }
    return true;
}

void skipBlanks(std::string_view text, std::size_t& cursor) {
    while (cursor < text.size() && isBlank(text[cursor])) {
        ++cursor;
    }
}

FtnAddress parseAddress(RoutingState& state, std::string_view text, std::size_t& cursor) {
    FtnAddress address = state.abbrevContext;
    skipBlanks(text, cursor);
    if (startsWithNoCase(text.substr(cursor), "world")) {
        cursor += 5;
        state.abbrevContext = state.mainAddress();
        return FtnAddress{Wildcard, Wildcard, Wildcard};
    }
    for (;;) {
        skipBlanks(text, cursor);
        std::uint16_t value = 0;
        const bool digit = cursor < text.size() && text[cursor] >= '0' && text[cursor] <= '9';
        if (!digit && startsWithNoCase(text.substr(cursor), "all")) {
            cursor += 3;
            value = Wildcard;
        } else if (!digit && cursor < text.size() && text[cursor] == '*') {
            ++cursor;
            value = Wildcard;
        } else {
            while (cursor < text.size() && text[cursor] >= '0' && text[cursor] <= '9') {
                value = static_cast<std::uint16_t>(value * 10 + (text[cursor] - '0'));
                ++cursor;
            }
        }
        char next = cursor < text.size() ? text[cursor] : '\0';
        bool atEnd = cursor >= text.size();
        if (!atEnd && next == ':') {
            address.zone = value;
            ++cursor;
        } else if (!atEnd && next == '/') {
            address.net = value;
            ++cursor;
        } else {
            address.node = value;
            break;
        }
    }
    state.abbrevContext = address;
    while (cursor < text.size() && !isBlank(text[cursor]) && text[cursor] != '\n') {
        ++cursor;
    }
    return address;
}

std::size_t formatAddress(RoutingState& state, FtnAddress address, std::string& text, int form) {
    const AddressStyle& style = state.addressStyle;
    bool full = form == FullForm;
    if (!full && wildcardCount(address) != state.wildcardPass) {
        return text.size();
    }
    const char* wildcardText = style.starWildcards ? "*" : "All";
    text += ' ';
    if (address.zone == Wildcard && address.net == Wildcard) {
        text += style.starWildcards ? "*:*/*" : "World";
    } else {
        bool always = full || style.fullAddresses;
        const FtnAddress& context = state.abbrevContext;
        if (always || address.zone != context.zone) {
            appendPart(text, address.zone, wildcardText);
            text += ':';
        }
        if (always || address.net != context.net || address.node == Wildcard) {
            appendPart(text, address.net, wildcardText);
            text += '/';
        } else if (style.slashBeforeNode) {
            text += '/';
        }
        appendPart(text, address.node, wildcardText);
    }
    if (!full && style.pointSuffix) {
        text += ".*";
    }
    state.abbrevContext = style.relativeToMain ? state.mainAddress() : address;
    return text.size();
}

std::string addressText(RoutingState& state, FtnAddress address) {
    std::string text;
    std::uint16_t saved = state.addressStyle.fullAddresses;
    state.addressStyle.fullAddresses = 1;
    formatAddress(state, address, text, FullForm);
    state.addressStyle.fullAddresses = saved;
    return text;
}
