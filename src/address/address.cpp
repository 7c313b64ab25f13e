#include "address/address.hpp"

#include <algorithm>
#include <charconv>

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

FtnAddress parseAddress(AddressNotation& notation, std::string_view text, std::size_t& cursor) {
    // The parts are kept apart until the end: cheaper than a field of the
    // address each time.
    std::uint16_t zone = notation.context.zone;
    std::uint16_t net = notation.context.net;
    std::uint16_t node = notation.context.node;
    skipBlanks(text, cursor);
    if (startsWithNoCase(text.substr(cursor), "world")) {
        cursor += 5;
        notation.context = notation.main;
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
            zone = value;
            ++cursor;
        } else if (!atEnd && next == '/') {
            net = value;
            ++cursor;
        } else {
            node = value;
            break;
        }
    }
    const FtnAddress address{zone, net, node};
    notation.context = address;
    while (cursor < text.size() && !isBlank(text[cursor]) && text[cursor] != '\n') {
        ++cursor;
    }
    return address;
}

std::size_t formatAddress(AddressNotation& notation, FtnAddress address, std::string& text,
                          int form) {
    const AddressStyle& style = notation.style;
    bool full = form == FullForm;
    if (!full && wildcardCount(address) != notation.pass) {
        return text.size();
    }
    const char* wildcardText = style.starWildcards ? "*" : "All";
    text += ' ';
    if (address.zone == Wildcard && address.net == Wildcard) {
        text += style.starWildcards ? "*:*/*" : "World";
    } else {
        bool always = full || style.fullAddresses;
        const FtnAddress& context = notation.context;
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
    notation.context = style.relativeToMain ? notation.main : address;
    return text.size();
}

std::string addressText(FtnAddress address) {
    // Written straight into a small buffer: one of these goes with every
    // re-routing message.
    if (address.zone == Wildcard && address.net == Wildcard) {
        return " World";
    }
    char text[24];
    char* end = text;
    *end++ = ' ';
    auto part = [&](std::uint16_t value, char after) {
        if (value == Wildcard) {
            end = std::copy_n("All", 3, end);
        } else {
            end = std::to_chars(end, text + sizeof text, value).ptr;
        }
        if (after != '\0') {
            *end++ = after;
        }
    };
    part(address.zone, ':');
    part(address.net, '/');
    part(address.node, '\0');
    return std::string(text, end);
}

namespace {

// The word is digits in one of the forms Z:N/F, Z:F, N/F or F, no part over
// 65535: wholly an address, as wordFault would find, only quicker (the
// words of a route file are nearly all like this).
bool plainAddressWord(std::string_view word) {
    bool colon = false;
    bool slash = false;
    std::size_t i = 0;
    for (;;) {
        const std::size_t digits = i;
        std::uint32_t value = 0;
        for (; i < word.size() && word[i] >= '0' && word[i] <= '9'; ++i) {
            if (i - digits == 5) {
                return false;
            }
            value = value * 10 + static_cast<std::uint32_t>(word[i] - '0');
        }
        if (i == digits || value > 65535) {
            return false;
        }
        if (i == word.size()) {
            return true;
        }
        if (word[i] == ':' && !colon && !slash) {
            colon = true;
        } else if (word[i] == '/' && !slash) {
            slash = true;
        } else {
            return false;
        }
        ++i;
    }
}

// What is wrong with one address word; empty when nothing is.
std::string wordFault(std::string_view word) {
    if (startsWithNoCase(word, "world")) {
        return word.size() == 5 ? "" : "junk after \"World\"";
    }
    std::size_t i = 0;
    bool colon = false;
    bool slash = false;
    for (;;) {
        if (startsWithNoCase(word.substr(i), "all")) {
            i += 3;
        } else if (i < word.size() && word[i] == '*') {
            ++i;
        } else {
            const std::size_t digits = i;
            unsigned long value = 0;
            while (i < word.size() && word[i] >= '0' && word[i] <= '9') {
                value = value * 10 + static_cast<unsigned long>(word[i] - '0');
                if (value > 65535) {
                    while (i < word.size() && word[i] >= '0' && word[i] <= '9') {
                        ++i;
                    }
                    return "part " + std::string(word.substr(digits, i - digits)) +
                           " is over 65535";
                }
                ++i;
            }
            if (i == digits) {
                return i < word.size() ? "junk \"" + std::string(word.substr(i)) + "\""
                                       : "a part is missing";
            }
        }
        // A point 0 and a domain change nothing ("2:5020/52.0@fidonet").
        if (slash && word.substr(i, 2) == ".0" && (i + 2 == word.size() || word[i + 2] == '@')) {
            i += 2;
        }
        if (slash && i < word.size() && word[i] == '@' && i + 1 < word.size()) {
            i = word.size();
        }
        if (i >= word.size()) {
            return "";
        }
        if (word[i] == ':' && !colon && !slash) {
            colon = true;
            ++i;
            continue;
        }
        if (word[i] == '/' && !slash) {
            slash = true;
            ++i;
            continue;
        }
        return "junk \"" + std::string(word.substr(i)) + "\"";
    }
}

} // namespace

std::string addressFault(std::string_view text, std::size_t start, std::size_t end,
                         FtnAddress taken) {
    skipBlanks(text, start);
    std::string_view word = text.substr(start, end > start ? end - start : 0);
    if (plainAddressWord(word)) {
        return {};
    }
    std::string fault = wordFault(word);
    if (fault.empty()) {
        return fault;
    }
    return "\"" + std::string(word) + "\" is not wholly an address (" + fault + "), taken as" +
           addressText(taken);
}

std::string plainAddressText(FtnAddress address) {
    std::string text;
    appendPart(text, address.zone, "*");
    text += ':';
    appendPart(text, address.net, "*");
    text += '/';
    appendPart(text, address.node, "*");
    return text;
}
