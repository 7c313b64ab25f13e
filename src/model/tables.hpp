// Lookups and insertions on the own-address, link and item tables.
#pragma once

#include <cstdint>

#include "messages/messages.hpp"
#include "model/routing_state.hpp"

// Index of the item with exactly this address (first in table order), or NoVia.
std::uint16_t findItem(const RoutingState& state, FtnAddress address);
bool isOwnAddress(const RoutingState& state, FtnAddress address);
bool isLinkItem(const RoutingState& state, std::uint16_t item);
bool isLinkAddress(const RoutingState& state, FtnAddress address);

// Index of the item for the address, appended as a via target if absent.
std::uint16_t findOrAddItem(RoutingState& state, FtnAddress address);
// Routes the address via item `via` (last rule wins, with a message when it
// replaces a different via); own addresses and the via itself are skipped.
void routeVia(RoutingState& state, Console& console, std::uint16_t via, FtnAddress address);

// Forgets the address index after addresses of the item table were changed
// in place (and the walks' child lists with it); both are built anew on demand.
void dropItemIndex(RoutingState& state);

// Appends to a table, or throws TableFull at its limit.
std::uint16_t appendItem(RoutingState& state, const RouteItem& item);
void appendLink(RoutingState& state, const LinkEntry& link);
void appendAka(RoutingState& state, FtnAddress address);
