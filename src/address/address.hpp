// FTN addresses: zone:net/node, each part 16 bits, 65535 meaning "any".
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr std::uint16_t Wildcard = 65535;

struct FtnAddress {
    std::uint16_t zone = 0;
    std::uint16_t net = 0;
    std::uint16_t node = 0;

    friend bool operator==(const FtnAddress&, const FtnAddress&) = default;
    // Zone, then net, then node, as unsigned numbers: wildcards sort last.
    friend auto operator<=>(const FtnAddress&, const FtnAddress&) = default;
};

// What steers the formatter and the walks.
struct AddressStyle {
    bool starWildcards = false;   // "*" for a wildcard part, "*:*/*" for the world
    bool pointSuffix = false;     // ".*" after every mask
    bool relativeToMain = false;  // abbreviate against the main address, not the last one
    bool fullAddresses = false;   // never abbreviate
    bool flatWalk = false;        // list only the items directly routed via the parent
    bool slashBeforeNode = false; // "/node" when only the node differs
};

// Full form writes every part; relative form abbreviates and writes only
// the addresses with as many wildcard parts as the pass.
enum AddressForm : int { RelativeForm = 0, FullForm = 1 };

// How addresses are read and written at one place: the main address, the
// address that abbreviations continue from, the style and the wildcard pass.
struct AddressNotation {
    FtnAddress main;
    FtnAddress context;
    AddressStyle style;
    std::uint16_t pass = 0;
};

inline int wildcardCount(FtnAddress address) {
    return (address.zone == Wildcard) + (address.net == Wildcard) + (address.node == Wildcard);
}
inline bool hasWildcard(FtnAddress address) {
    return wildcardCount(address) != 0;
}

// Space, horizontal tab and carriage return; a line feed is no blank.
inline bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}
// The C library's white space: where words end.
inline bool isWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
inline void skipBlanks(std::string_view text, std::size_t& cursor) {
    while (cursor < text.size() && isBlank(text[cursor])) {
        ++cursor;
    }
}

// ASCII letters folded to lower case; every other character as it is.
inline char lowerCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
// The text begins with `lowerWord` (given in lower case), whatever the text's case.
bool startsWithNoCase(std::string_view text, std::string_view lowerWord);

// Reads one address at the cursor; omitted parts come from the context,
// which becomes the address read. Never fails.
FtnAddress parseAddress(AddressNotation& notation, std::string_view text, std::size_t& cursor);

// Appends " " and the address to text; returns the new length of text.
std::size_t formatAddress(AddressNotation& notation, FtnAddress address, std::string& text,
                          int form);

// The full form for messages, with its leading blank: " 2:460/5", " World".
std::string addressText(FtnAddress address);

// Every part written, "*" for a wildcard: "*:*/5", which addressText would
// show as the world.
std::string plainAddressText(FtnAddress address);

// Checks the text parseAddress read from `start` to `end` (where it left the
// cursor): empty when it is wholly an address, otherwise a description of the
// fault naming the text and the address it was taken as.
std::string addressFault(std::string_view text, std::size_t start, std::size_t end,
                         FtnAddress taken);
