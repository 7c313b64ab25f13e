#include "model/adjust.hpp"

#include <vector>

#include "driver/keywords.hpp"
#include "model/tables.hpp"

namespace {

// The longest chain looked at when a default route is checked for a loop.
constexpr int ChainCheckLength = 10;

void normalise(FtnAddress& address) {
    if (address.zone == Wildcard) {
        address.net = Wildcard;
    }
    if (address.net == Wildcard) {
        address.node = Wildcard;
    }
}

// Pass 1: every entry without route that is no link gets a default route
// through the most specific routed entry covering it, unless that loops.
void giveDefaultRoutes(RoutingState& state) {
    std::vector<RouteItem>& items = state.ItemTable;
    for (std::size_t i = 0; i < items.size(); ++i) {
        normalise(items[i].address);
        if (items[i].via != NoVia || isLinkItem(state, static_cast<std::uint16_t>(i))) {
            continue;
        }
        std::uint16_t bestScore = 0;
        std::size_t best = 0;
        for (std::size_t j = 0; j < items.size(); ++j) {
            if (items[j].via == NoVia) {
                continue;
            }
            std::uint16_t score = matchScore(items[i].address, items[j].address);
            if (score > bestScore) {
                bestScore = score;
                best = j;
            }
        }
        if (bestScore == 0) {
            continue;
        }
        std::size_t entry = best;
        bool loops = false;
        for (int looked = 0; looked < ChainCheckLength; ++looked) {
            if (entry == i) {
                loops = true;
                break;
            }
            if (items[entry].via == NoVia) {
                break;
            }
            entry = items[entry].via;
        }
        if (!loops) {
            items[i].via = static_cast<std::uint16_t>(best);
        }
    }
}

// Pass 2: a node routed via one of our own addresses becomes a link.
void addLinksRoutedViaUs(RoutingState& state) {
    for (std::size_t j = 0; j < state.ItemTable.size(); ++j) {
        const RouteItem item = state.ItemTable[j];
        if (item.via == NoVia || !isOwnAddress(state, state.ItemTable[item.via].address) ||
            isLinkItem(state, static_cast<std::uint16_t>(j))) {
            continue;
        }
        appendLink(state, LinkEntry{state.defaultFlavour, item.address});
        printErrorWith(state, ErrRoutedViaUs, addressText(state, item.address));
    }
}

// Pass 3: every via becomes the last hop of its chain; loops are broken.
void shortenChains(RoutingState& state) {
    std::vector<RouteItem>& items = state.ItemTable;
    std::vector<bool> met(items.size(), false);
    std::vector<std::uint16_t> metList;
    for (std::size_t j = 0; j < items.size(); ++j) {
        if (items[j].via == NoVia) {
            continue;
        }
        const FtnAddress remembered = items[j].address;
        for (std::uint16_t entry : metList) {
            met[entry] = false;
        }
        metList.clear();
        met[items[j].via] = true;
        metList.push_back(items[j].via);
        for (;;) {
            std::uint16_t v = items[j].via;
            std::uint16_t w = items[v].via;
            if (w == NoVia) {
                break;
            }
            if (isLinkItem(state, v) && items[v].address.node != Wildcard) {
                break;
            }
            items[j].via = w;
            if (items[w].address == remembered) {
                printErrorWith(state, ErrRouteLoop, addressText(state, remembered));
                items[w].via = NoVia;
                break;
            }
            if (met[w]) {
                // The chain runs into a loop of other entries: this entry
                // cannot be routed; the loop is broken at its own first entry.
                printErrorWith(state, ErrRouteLoop, addressText(state, remembered));
                items[j].via = NoVia;
                break;
            }
            met[w] = true;
            metList.push_back(w);
        }
    }
}

} // namespace

std::uint16_t matchScore(FtnAddress address, FtnAddress pattern) {
    if ((pattern.zone != Wildcard && pattern.zone != address.zone) ||
        (pattern.net != Wildcard && pattern.net != address.net) ||
        (pattern.node != Wildcard && pattern.node != address.node)) {
        return 0;
    }
    return static_cast<std::uint16_t>((pattern.zone == Wildcard ? 1 : 2) +
                                      (pattern.net == Wildcard ? 10 : 20) +
                                      (pattern.node == Wildcard ? 100 : 200));
}

void adjustRouting(RoutingState& state) {
    giveDefaultRoutes(state);
    addLinksRoutedViaUs(state);
    shortenChains(state);
}
