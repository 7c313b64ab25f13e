#include "model/oracle.hpp"

#include <algorithm>
#include <vector>

namespace oracle {

std::uint16_t findItem(const RoutingState& state, FtnAddress address) {
    for (std::size_t i = 0; i < state.items.size(); ++i) {
        if (state.items[i].address == address) {
            return static_cast<std::uint16_t>(i);
        }
    }
    return NoVia;
}

bool isOwnAddress(const RoutingState& state, FtnAddress address) {
    return std::find(state.akas.begin(), state.akas.end(), address) != state.akas.end();
}

bool isLinkItem(const RoutingState& state, std::uint16_t item) {
    for (const LinkEntry& link : state.links) {
        if (link.address == state.items[item].address) {
            return true;
        }
    }
    return false;
}

namespace {

// How well `pattern` covers `address`: 0 not at all, else 111 to 222.
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

void normalise(FtnAddress& address) {
    if (address.zone == Wildcard) {
        address.net = Wildcard;
    }
    if (address.net == Wildcard) {
        address.node = Wildcard;
    }
}

} // namespace

void adjustRouting(RoutingState& state, Console& console) {
    std::vector<RouteItem>& items = state.items;
    // Pass 1: default routes.
    for (std::size_t i = 0; i < items.size(); ++i) {
        normalise(items[i].address);
        if (items[i].via != NoVia || oracle::isLinkItem(state, static_cast<std::uint16_t>(i))) {
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
        for (int looked = 0; looked < 10; ++looked) {
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
    // Pass 2: nodes routed via us become links.
    for (std::size_t j = 0; j < items.size(); ++j) {
        const RouteItem item = items[j];
        if (item.via == NoVia || !oracle::isOwnAddress(state, items[item.via].address) ||
            oracle::isLinkItem(state, static_cast<std::uint16_t>(j))) {
            continue;
        }
        state.links.push_back(LinkEntry{state.settings.defaultFlavour, item.address});
        console.errorWith(Message::RoutedViaUs, addressText(item.address));
    }
    // Pass 3: chains cut to their last hop, loops broken.
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
            if (oracle::isLinkItem(state, v) && items[v].address.node != Wildcard) {
                break;
            }
            items[j].via = w;
            if (items[w].address == remembered) {
                console.errorWith(Message::RouteLoop, addressText(remembered));
                items[w].via = NoVia;
                break;
            }
            if (met[w]) {
                console.errorWith(Message::RouteLoop, addressText(remembered));
                items[j].via = NoVia;
                break;
            }
            met[w] = true;
            metList.push_back(w);
        }
    }
}

void minimizeRoutes(RoutingState& state, Console&) {
    if (state.settings.minimize == MinimizeMode::No) {
        return;
    }
    std::vector<RouteItem> patterns;
    for (const RouteItem& item : state.items) {
        if (hasWildcard(item.address)) {
            patterns.push_back(item);
        }
    }
    std::stable_sort(patterns.begin(), patterns.end(),
                     [](const RouteItem& a, const RouteItem& b) { return a.address < b.address; });
    for (std::size_t i = 0; i < state.items.size(); ++i) {
        RouteItem& item = state.items[i];
        if (item.via == NoVia) {
            continue;
        }
        for (const RouteItem& pattern : patterns) {
            if (pattern.address == item.address || matchScore(item.address, pattern.address) == 0) {
                continue;
            }
            if (item.via == pattern.via &&
                !oracle::isLinkItem(state, static_cast<std::uint16_t>(i))) {
                item.via = Covered;
            }
            break;
        }
    }
}

void appendRoutedViaUsing(LineWriter& w, std::uint16_t parent, int form,
                          AddressFormatter formatter) {
    for (std::size_t index = 0; index < w.tables.items.size(); ++index) {
        auto i = static_cast<std::uint16_t>(index);
        const RouteItem item = w.tables.items[i];
        if (item.via != parent) {
            continue;
        }
        if (oracle::isLinkItem(w.tables, i) || oracle::isOwnAddress(w.tables, item.address)) {
            continue;
        }
        if (parent != NoVia ? i == parent : item.viaTarget == 0) {
            continue;
        }
        std::size_t length = formatter(w, item.address, w.line, form);
        if (length >= static_cast<std::size_t>(w.wrapWidth)) {
            bool continuation = w.continuationAddress.zone != 0;
            if (continuation) {
                formatter(w, w.continuationAddress, w.line, FullForm);
                w.notation.context = w.notation.main;
            }
            writeLineBuffer(w);
            restartLine(w);
            if (parent != NoVia && !continuation) {
                w.notation.context = w.tables.items[parent].address;
            }
        }
        if (!w.notation.style.flatWalk) {
            oracle::appendRoutedViaUsing(w, i, form, formatter);
        }
    }
}

} // namespace oracle
