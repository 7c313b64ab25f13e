// Lookups and insertions on the own-address, link and item tables.
#pragma once

#include <cstdint>

#include "messages/messages.hpp"
#include "model/routing_state.hpp"

// Brings the indexes up to date with entries appended since the last lookup.
void indexNewItems(const RoutingState& state);
void indexNewAkas(const RoutingState& state);
void indexNewLinks(const RoutingState& state);

// Index of the item with exactly this address (first in table order), or NoVia.
inline std::uint16_t findItem(const RoutingState& state, FtnAddress address) {
    if (state.indexes.itemsIndexed != state.items.size()) {
        indexNewItems(state);
    }
    const std::uint16_t* found = state.indexes.itemByAddress.find(addressKey(address));
    return found == nullptr ? NoVia : *found;
}
inline bool isOwnAddress(const RoutingState& state, FtnAddress address) {
    if (state.indexes.akasIndexed != state.akas.size()) {
        indexNewAkas(state);
    }
    return state.indexes.ownAddresses.contains(addressKey(address));
}
inline bool isLinkAddress(const RoutingState& state, FtnAddress address) {
    if (state.indexes.linksIndexed != state.links.size()) {
        indexNewLinks(state);
    }
    return state.indexes.linkAddresses.contains(addressKey(address));
}
inline bool isLinkItem(const RoutingState& state, std::uint16_t item) {
    return isLinkAddress(state, state.items[item].address);
}

// Makes room for `count` more items, in the table and its index.
void reserveItems(RoutingState& state, std::size_t count);

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
