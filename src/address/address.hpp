// FTN addresses: zone:net/node, each part 16 bits, 65535 meaning "any".
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct RoutingState;

constexpr std::uint16_t Wildcard = 65535;

struct FtnAddress {
    std::uint16_t zone = 0;
    std::uint16_t net = 0;
    std::uint16_t node = 0;

    friend bool operator==(const FtnAddress&, const FtnAddress&) = default;
    // Zone, then net, then node, as unsigned numbers: wildcards sort last.
    friend auto operator<=>(const FtnAddress&, const FtnAddress&) = default;
};

// The six option words that steer the formatter and the walks.
struct AddressStyle {
    std::uint16_t starWildcards = 0;
    std::uint16_t pointSuffix = 0;
    std::uint16_t relativeToMain = 0;
    std::uint16_t fullAddresses = 0;
    std::uint16_t flatWalk = 0;
    std::uint16_t slashBeforeNode = 0;
};

// Full form (1) writes every part; relative form (0) abbreviates and filters
// by wildcardPass.
enum AddressForm : int { RelativeForm = 0, FullForm = 1 };

int wildcardCount(FtnAddress address);
bool hasWildcard(FtnAddress address);

// Space, horizontal tab and carriage return; a line feed is no blank.
inline bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}
// The C library's white space: where words end.
inline bool isWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
void skipBlanks(std::string_view text, std::size_t& cursor);

// ASCII letters folded to lower case; every other character as it is.
inline char lowerCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
// The text begins with `lowerWord` (given in lower case), whatever the text's case.
bool startsWithNoCase(std::string_view text, std::string_view lowerWord);

// Reads one address at the cursor; omitted parts come from abbrevContext,
// which becomes the address read. Never fails.
FtnAddress parseAddress(RoutingState& state, std::string_view text, std::size_t& cursor);

// Appends " " and the address to text; returns the new length of text.
std::size_t formatAddress(RoutingState& state, FtnAddress address, std::string& text, int form);

// The full form for messages (with its leading blank), whatever the style.
std::string addressText(RoutingState& state, FtnAddress address);
