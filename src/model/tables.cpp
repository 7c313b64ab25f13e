#include "model/tables.hpp"

#include "driver/keywords.hpp"

std::uint16_t findItem(const RoutingState& state, FtnAddress address) {
    for (std::size_t i = 0; i < state.ItemTable.size(); ++i) {
        if (state.ItemTable[i].address == address) {
            return static_cast<std::uint16_t>(i);
        }
    }
    return NoVia;
}

bool isOwnAddress(const RoutingState& state, FtnAddress address) {
    for (const FtnAddress& aka : state.AkaTable) {
        if (aka == address) {
            return true;
        }
    }
    return false;
}

bool isLinkAddress(const RoutingState& state, FtnAddress address) {
    for (const LinkEntry& link : state.LinkTable) {
        if (link.address == address) {
            return true;
        }
    }
    return false;
}

bool isLinkItem(const RoutingState& state, std::uint16_t item) {
    return isLinkAddress(state, state.ItemTable[item].address);
}

std::uint16_t appendItem(RoutingState& state, const RouteItem& item) {
    if (state.ItemTable.size() >= MaxItems) {
        throw TableFull{};
    }
    state.ItemTable.push_back(item);
    return static_cast<std::uint16_t>(state.ItemTable.size() - 1);
}

void appendLink(RoutingState& state, const LinkEntry& link) {
    if (state.LinkTable.size() >= MaxLinks) {
        throw TableFull{};
    }
    state.LinkTable.push_back(link);
}

void appendAka(RoutingState& state, FtnAddress address) {
    if (state.AkaTable.size() >= MaxAkas) {
        throw TableFull{};
    }
    state.AkaTable.push_back(address);
}

std::uint16_t findOrAddItem(RoutingState& state, FtnAddress address) {
    std::uint16_t found = findItem(state, address);
    if (found != NoVia) {
        return found;
    }
    return appendItem(state, RouteItem{NoVia, 1, address});
}

void routeVia(RoutingState& state, std::uint16_t via, FtnAddress address) {
    if (isOwnAddress(state, address)) {
        return;
    }
    std::uint16_t found = findItem(state, address);
    if (found == via) {
        return;
    }
    if (found == NoVia) {
        appendItem(state, RouteItem{via, 0, address});
        return;
    }
    RouteItem& item = state.ItemTable[found];
    if (item.via != NoVia && item.via != via) {
        printErrorWith(state, ErrRerouting, addressText(state, address));
    }
    item.via = via;
    item.viaTarget = 0;
}
