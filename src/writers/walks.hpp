// The walks over the tables from which every writer builds its lines.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/routing_state.hpp"
#include "writers/line_writer.hpp"

using FlavourWords = std::array<const char*, 4>;

// Appends an address to a line; returns the line's new length.
using AddressFormatter = std::size_t (*)(LineWriter& w, FtnAddress address, std::string& line,
                                         int form);

// The writer's address in its notation (formatAddress with w.notation).
std::size_t notationAddress(LineWriter& w, FtnAddress address, std::string& line, int form);

// Entry 0 for crash, 1 for direct, 2 for hold, 3 otherwise.
const char* flavourWord(const LinkEntry& link, const FlavourWords& words);

// Lists the links whose flavour ANDed with mask equals value, wrapped.
void writeLinkLine(LineWriter& w, std::uint16_t mask, std::uint16_t value, std::string_view prefix);

// Appends, depth first, the items routed via `parent` (NoVia: the root level).
void appendRoutedVia(LineWriter& w, std::uint16_t parent, int form);
void appendRoutedViaUsing(LineWriter& w, std::uint16_t parent, int form,
                          AddressFormatter formatter);

// Appends, depth first, the items routed via the link with this address. A
// link whose address no item carries (wildcard parts that the adjustment
// normalised) has nothing routed via it: the root level never stands in.
void appendRoutedViaLink(LineWriter& w, FtnAddress linkAddress, int form,
                         AddressFormatter formatter = notationAddress);
