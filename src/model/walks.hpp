// The walks over the tables from which every writer builds its lines.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/routing_state.hpp"

using FlavourWords = std::array<const char*, 4>;

// Appends an address to a line; returns the line's new length.
using AddressFormatter = std::size_t (*)(RoutingState& state, FtnAddress address, std::string& line,
                                         int form);

// Entry 0 for crash, 1 for direct, 2 for hold, 3 otherwise.
const char* flavourWord(const LinkEntry& link, const FlavourWords& words);

// Lists the links whose flavour ANDed with mask equals value, wrapped.
void writeLinkLine(RoutingState& state, std::uint16_t mask, std::uint16_t value,
                   std::string_view prefix);

// Appends, depth first, the items routed via `parent` (NoVia: the root level).
void appendRoutedVia(RoutingState& state, std::uint16_t parent, int form);
void appendRoutedViaUsing(RoutingState& state, std::uint16_t parent, int form,
                          AddressFormatter formatter);

// Appends, depth first, the items routed via the link with this address. A
// link whose address no item carries (wildcard parts that the adjustment
// normalised) has nothing routed via it: the root level never stands in.
void appendRoutedViaLink(RoutingState& state, FtnAddress linkAddress, int form,
                         AddressFormatter formatter = formatAddress);

// Writes text into the destination region ("\n" becomes "\r\n" when the
// destination's lines end that way).
void writeText(RoutingState& state, std::string_view text);
// Writes the line buffer and a line feed.
void writeLineBuffer(RoutingState& state);
// Starts the line buffer from the prefix buffer.
void restartLine(RoutingState& state);
