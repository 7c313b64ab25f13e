#include "model/adjust.hpp"

#include <algorithm>
#include <unordered_map>
#include <vector>

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

// The k-th address that can cover `address` (each part its own or the
// wildcard), most specific first: node, then net, then zone count most, so
// k = 0 .. 7 runs through them in the order of their scores.
FtnAddress coveringPattern(FtnAddress address, int k) {
    return FtnAddress{(k & 1) ? Wildcard : address.zone, (k & 2) ? Wildcard : address.net,
                      (k & 4) ? Wildcard : address.node};
}

// The routed entries (via set) by their present address, each list in table order.
class RoutedEntries {
  public:
    void add(FtnAddress address, std::uint16_t item) {
        std::vector<std::uint16_t>& list = entries_[addressKey(address)];
        list.insert(std::lower_bound(list.begin(), list.end(), item), item);
    }
    void remove(FtnAddress address, std::uint16_t item) {
        std::vector<std::uint16_t>& list = entries_[addressKey(address)];
        auto at = std::lower_bound(list.begin(), list.end(), item);
        if (at != list.end() && *at == item) {
            list.erase(at);
        }
    }
    // The first routed entry in table order with exactly this address, or NoVia.
    std::uint16_t first(FtnAddress address) const {
        auto found = entries_.find(addressKey(address));
        return found == entries_.end() || found->second.empty() ? NoVia : found->second.front();
    }

  private:
    std::unordered_map<std::uint64_t, std::vector<std::uint16_t>> entries_;
};

// Pass 1: every entry without route that is no link gets a default route
// through the most specific routed entry covering it, unless that loops.
// Entries after the current one are seen with their addresses not yet
// normalised, entries before it as they were changed.
void giveDefaultRoutes(RoutingState& state) {
    std::vector<RouteItem>& items = state.items;
    RoutedEntries routed;
    for (std::size_t j = 0; j < items.size(); ++j) {
        if (items[j].via != NoVia) {
            routed.add(items[j].address, static_cast<std::uint16_t>(j));
        }
    }
    for (std::size_t index = 0; index < items.size(); ++index) {
        const auto i = static_cast<std::uint16_t>(index);
        FtnAddress before = items[i].address;
        normalise(items[i].address);
        if (items[i].via != NoVia) {
            if (!(before == items[i].address)) {
                routed.remove(before, i);
                routed.add(items[i].address, i);
            }
            continue;
        }
        if (isLinkItem(state, i)) {
            continue;
        }
        std::uint16_t best = NoVia;
        for (int k = 0; k < 8 && best == NoVia; ++k) {
            best = routed.first(coveringPattern(items[i].address, k));
        }
        if (best == NoVia) {
            continue;
        }
        std::uint16_t entry = best;
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
            items[i].via = best;
            routed.add(items[i].address, i);
            state.provenance.record(RouteEventKind::DefaultRoute, i, best);
        } else {
            state.provenance.record(RouteEventKind::NoDefault, i, best);
        }
    }
    dropItemIndex(state);
}

// Pass 2: a node routed via one of our own addresses becomes a link.
void addLinksRoutedViaUs(RoutingState& state, Console& console) {
    for (std::size_t j = 0; j < state.items.size(); ++j) {
        const RouteItem item = state.items[j];
        if (item.via == NoVia || !isOwnAddress(state, state.items[item.via].address) ||
            isLinkItem(state, static_cast<std::uint16_t>(j))) {
            continue;
        }
        appendLink(state, LinkEntry{state.settings.defaultFlavour, item.address});
        state.provenance.record(RouteEventKind::MadeLink, static_cast<std::uint16_t>(j), item.via);
        console.errorWith(Message::RoutedViaUs, addressText(item.address));
    }
}

// Pass 3: every via becomes the last hop of its chain; loops are broken.
//
// A chain that ends normally at its last hop t passes over entries whose own
// chains end at t as well; they are pointed at t at once, so that a long
// chain is walked only once. That is left out where an entry on the way
// shares its address with another entry, since the loop test compares
// addresses.
void shortenChains(RoutingState& state, Console& console) {
    std::vector<RouteItem>& items = state.items;
    const std::size_t count = items.size();

    std::unordered_map<std::uint64_t, std::uint32_t> addressUses;
    for (const RouteItem& item : items) {
        ++addressUses[addressKey(item.address)];
    }
    std::vector<bool> sharesAddress(count);
    std::vector<bool> concreteLink(count);
    for (std::size_t i = 0; i < count; ++i) {
        sharesAddress[i] = addressUses[addressKey(items[i].address)] > 1;
        concreteLink[i] =
            isLinkItem(state, static_cast<std::uint16_t>(i)) && items[i].address.node != Wildcard;
    }

    std::vector<std::uint32_t> metIn(count, 0); // the entry whose walk last met it, plus one
    std::vector<std::uint16_t> passed;
    for (std::size_t index = 0; index < count; ++index) {
        const auto j = static_cast<std::uint16_t>(index);
        if (items[j].via == NoVia) {
            continue;
        }
        const FtnAddress remembered = items[j].address;
        const std::uint16_t before = items[j].via;
        const std::uint32_t walk = j + 1u;
        passed.clear();
        metIn[items[j].via] = walk;
        bool ended = false;
        bool compressible = !sharesAddress[j];
        for (;;) {
            std::uint16_t v = items[j].via;
            std::uint16_t w = items[v].via;
            if (w == NoVia || concreteLink[v]) {
                ended = true;
                break;
            }
            items[j].via = w;
            passed.push_back(v);
            compressible = compressible && !sharesAddress[v] && !sharesAddress[w];
            if (items[w].address == remembered) {
                console.errorWith(Message::RouteLoop, addressText(remembered));
                if (w != j) {
                    state.provenance.record(RouteEventKind::ChainCut, j, w, before);
                }
                state.provenance.record(RouteEventKind::LoopBroken, w, NoVia,
                                        w == j ? before : items[w].via, j);
                items[w].via = NoVia;
                break;
            }
            if (metIn[w] == walk) {
                // The chain runs into a loop of other entries: this entry
                // cannot be routed; the loop is broken at its own first entry.
                console.errorWith(Message::RouteLoop, addressText(remembered));
                state.provenance.record(RouteEventKind::LoopBroken, j, NoVia, before, j);
                items[j].via = NoVia;
                break;
            }
            metIn[w] = walk;
        }
        if (ended && items[j].via != before) {
            state.provenance.record(RouteEventKind::ChainCut, j, items[j].via, before);
        }
        if (ended && compressible) {
            for (std::uint16_t entry : passed) {
                if (items[entry].via != items[j].via) {
                    state.provenance.record(RouteEventKind::ChainCut, entry, items[j].via,
                                            items[entry].via);
                }
                items[entry].via = items[j].via;
            }
        }
    }
}

} // namespace

void adjustRouting(RoutingState& state, Console& console) {
    giveDefaultRoutes(state);
    addLinksRoutedViaUs(state, console);
    shortenChains(state, console);
    state.walkIndex.built = false;
}
