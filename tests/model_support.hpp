// Helpers for tests that build routing tables directly and compare them as
// text: addresses written "z:n/n" with "*" for a wildcard part.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "model/routing_state.hpp"

namespace testing_support {

// Reads "z:n/n" where any part may be "*"; no abbreviation.
FtnAddress at(std::string_view text);
std::string text(FtnAddress address);

// Appends an item; `via` is an index, NoVia or Covered.
void addItem(RoutingState& state, std::string_view address, std::uint16_t via = NoVia,
             std::uint16_t viaTarget = 0);
// Appends a link and, when its address is no item yet, its item.
void addLink(RoutingState& state, std::string_view address, std::uint16_t flavour);

// One line per item, in table order. By index: "<index> <address> via
// <index|-|covered>[ target]"; by address: "<address>[ via <address>][ target]".
enum class ItemForm { ByIndex, ByAddress };
std::string itemsText(const RoutingState& state, ItemForm form = ItemForm::ByIndex);
// One line per link: "<address> <flavour in hex>".
std::string linksText(const RoutingState& state);

} // namespace testing_support

// Addresses as "z:n/n" in test failure messages.
void PrintTo(const FtnAddress& address, std::ostream* out);
