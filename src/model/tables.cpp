#include "model/tables.hpp"

#include <algorithm>

void indexNewItems(const RoutingState& state) {
    TableIndexes& index = state.indexes;
    for (; index.itemsIndexed < state.items.size(); ++index.itemsIndexed) {
        index.itemByAddress.insert(addressKey(state.items[index.itemsIndexed].address),
                                   static_cast<std::uint16_t>(index.itemsIndexed));
    }
}

void indexNewAkas(const RoutingState& state) {
    TableIndexes& index = state.indexes;
    for (; index.akasIndexed < state.akas.size(); ++index.akasIndexed) {
        index.ownAddresses.insert(addressKey(state.akas[index.akasIndexed]), 1);
    }
}

void indexNewLinks(const RoutingState& state) {
    TableIndexes& index = state.indexes;
    for (; index.linksIndexed < state.links.size(); ++index.linksIndexed) {
        index.linkAddresses.insert(addressKey(state.links[index.linksIndexed].address), 1);
    }
}

void reserveItems(RoutingState& state, std::size_t count) {
    const std::size_t total = std::min(state.items.size() + count, MaxItems);
    if (total > state.items.capacity()) {
        state.items.reserve(std::max(total, 2 * state.items.capacity()));
    }
    state.indexes.itemByAddress.reserve(total);
}

void dropItemIndex(RoutingState& state) {
    state.indexes.itemByAddress.clear();
    state.indexes.itemsIndexed = 0;
    state.walkIndex.built = false;
    ++state.itemChanges;
}

std::uint16_t appendItem(RoutingState& state, const RouteItem& item) {
    if (state.items.size() >= MaxItems) {
        throw TableFull{};
    }
    state.items.push_back(item);
    state.walkIndex.built = false;
    ++state.itemChanges;
    return static_cast<std::uint16_t>(state.items.size() - 1);
}

void appendLink(RoutingState& state, const LinkEntry& link) {
    if (state.links.size() >= MaxLinks) {
        throw TableFull{};
    }
    state.links.push_back(link);
    state.walkIndex.built = false;
}

void appendAka(RoutingState& state, FtnAddress address) {
    if (state.akas.size() >= MaxAkas) {
        throw TableFull{};
    }
    state.akas.push_back(address);
}

std::uint16_t findOrAddItem(RoutingState& state, FtnAddress address) {
    std::uint16_t found = findItem(state, address);
    if (found != NoVia) {
        return found;
    }
    const std::uint16_t added = appendItem(state, RouteItem{NoVia, 1, address});
    state.provenance.record(RouteEventKind::ViaEntered, added, NoVia);
    return added;
}

void routeVia(RoutingState& state, Console& console, std::uint16_t via, FtnAddress address) {
    if (isOwnAddress(state, address)) {
        return;
    }
    std::uint16_t found = findItem(state, address);
    if (found == via) {
        return;
    }
    if (found == NoVia) {
        const std::uint16_t added = appendItem(state, RouteItem{via, 0, address});
        state.provenance.record(RouteEventKind::Routed, added, via);
        return;
    }
    RouteItem& item = state.items[found];
    if (item.via == via && item.viaTarget == 0) {
        return;
    }
    if (item.via != NoVia && item.via != via) {
        console.errorWith(Message::Rerouting, addressText(address));
    }
    state.provenance.record(item.via == NoVia ? RouteEventKind::Routed
                            : item.via == via ? RouteEventKind::RoutedAgain
                                              : RouteEventKind::Rerouted,
                            found, via, item.via);
    item.via = via;
    item.viaTarget = 0;
    state.walkIndex.built = false;
    ++state.itemChanges;
}
