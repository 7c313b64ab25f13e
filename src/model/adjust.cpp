#include "model/adjust.hpp"

#include <algorithm>
#include <utility>
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

// The routed entries (via set) by their present address, each list in table
// order. Most addresses have one entry: it is kept inline, the others apart.
class RoutedEntries {
  public:
    explicit RoutedEntries(std::size_t count) { entries_.reserve(count); }
    void add(FtnAddress address, std::uint16_t item) {
        Entries& list = entries_[addressKey(address)];
        if (list.first == NoVia) {
            list.first = item;
            return;
        }
        if (item < list.first) {
            std::swap(item, list.first);
        }
        if (list.rest == 0) {
            rests_.emplace_back();
            list.rest = static_cast<std::uint32_t>(rests_.size());
        }
        std::vector<std::uint16_t>& rest = rests_[list.rest - 1];
        rest.insert(std::lower_bound(rest.begin(), rest.end(), item), item);
    }
    void remove(FtnAddress address, std::uint16_t item) {
        Entries* list = entries_.find(addressKey(address));
        if (list == nullptr || list->first == NoVia) {
            return;
        }
        std::vector<std::uint16_t>* rest = list->rest == 0 ? nullptr : &rests_[list->rest - 1];
        if (list->first == item) {
            list->first = NoVia;
            if (rest != nullptr && !rest->empty()) {
                list->first = rest->front();
                rest->erase(rest->begin());
            }
        } else if (rest != nullptr) {
            auto at = std::lower_bound(rest->begin(), rest->end(), item);
            if (at != rest->end() && *at == item) {
                rest->erase(at);
            }
        }
    }
    // The first routed entry in table order with exactly this address, or NoVia.
    std::uint16_t first(FtnAddress address) const {
        const Entries* list = entries_.find(addressKey(address));
        return list == nullptr ? NoVia : list->first;
    }

  private:
    struct Entries {
        std::uint16_t first = NoVia;
        std::uint32_t rest = 0; // the entries after the first: rests_[rest - 1]
    };
    KeyMap<Entries> entries_;
    std::vector<std::vector<std::uint16_t>> rests_; // each in table order
};

// Pass 1: every entry without route that is no link gets a default route
// through the most specific routed entry covering it, unless that loops.
// Entries after the current one are seen with their addresses not yet
// normalised, entries before it as they were changed.
void giveDefaultRoutes(RoutingState& state) {
    std::vector<RouteItem>& items = state.items;
    RoutedEntries routed(items.size());
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
// Each entry in table order walks its chain, as far as the last hop, a loop
// back to its own address, or an entry it met before on the way (a loop of
// others). Two shortcuts keep long chains from being walked again and again:
//
// - A chain that ends normally at its last hop t passes over entries whose
//   own chains end at t as well; they are pointed at t at once. That is left
//   out where an entry on the way shares its address with another entry
//   that can reach it, since the loop test compares addresses.
// - When the walk of an entry whose address no other entry shares runs into
//   a loop, the entries it passed over are noted as leading into that loop.
//   Such a walk can only end in a loop (its own address is met only by
//   coming back to itself), so a later walk of such an entry that reaches a
//   noted entry ends there the same way, until an entry on that way loses
//   its via: then the entries before it on the way, or all of them where it
//   was in the loop, are noted no longer.
class ChainWalks {
  public:
    ChainWalks(RoutingState& state, Console& console)
        : state_(state), console_(console), items_(state.items) {
        const std::size_t count = items_.size();
        // The item index gives the first entry of each address.
        sharesAddress_.assign(count, 0);
        concreteLink_.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint16_t first = findItem(state, items_[i].address);
            if (first != i) {
                sharesAddress_[i] = sharesAddress_[first] = 1;
            }
            concreteLink_[i] = isLinkItem(state, static_cast<std::uint16_t>(i)) &&
                               items_[i].address.node != Wildcard;
        }
        keepApartSharingAddresses();
        metIn_.assign(count, 0);
        metAt_.assign(count, 0);
        wayOf_.assign(count, 0);
        placeOn_.assign(count, 0);
        inLoop_.assign(count, false);
        ways_.push_back(Way{}); // way 0: none
    }

    void walk(std::uint16_t j) {
        const FtnAddress remembered = items_[j].address;
        const std::uint16_t before = items_[j].via;
        const bool unique = !sharesAddress_[j];
        const std::uint32_t walk = j + 1u;
        passed_.clear();
        metIn_[items_[j].via] = walk;
        bool compressible = unique;
        for (;;) {
            std::uint16_t v = items_[j].via;
            if (unique && leadsIntoLoop(v)) {
                console_.errorWith(Message::RouteLoop, addressText(remembered));
                state_.provenance.record(RouteEventKind::LoopBroken, j, NoVia, before, j);
                noteWay(v);
                loseVia(j);
                return;
            }
            std::uint16_t w = items_[v].via;
            if (w == NoVia || concreteLink_[v]) {
                if (items_[j].via != before) {
                    state_.provenance.record(RouteEventKind::ChainCut, j, items_[j].via, before);
                }
                if (compressible) {
                    for (std::uint16_t entry : passed_) {
                        if (items_[entry].via != v) {
                            state_.provenance.record(RouteEventKind::ChainCut, entry, v,
                                                     items_[entry].via);
                        }
                        items_[entry].via = v;
                    }
                }
                return;
            }
            items_[j].via = w;
            compressible = compressible && !sharesAddress_[v] && !sharesAddress_[w];
            metAt_[v] = static_cast<std::uint32_t>(passed_.size());
            passed_.push_back(v);
            if (items_[w].address == remembered) {
                console_.errorWith(Message::RouteLoop, addressText(remembered));
                if (w != j) {
                    state_.provenance.record(RouteEventKind::ChainCut, j, w, before);
                }
                state_.provenance.record(RouteEventKind::LoopBroken, w, NoVia,
                                         w == j ? before : items_[w].via, j);
                loseVia(w);
                return;
            }
            if (metIn_[w] == walk) {
                // The chain runs into a loop of other entries: this entry
                // cannot be routed; the loop is broken at its own first entry.
                console_.errorWith(Message::RouteLoop, addressText(remembered));
                if (unique) {
                    noteLoop(w);
                }
                state_.provenance.record(RouteEventKind::LoopBroken, j, NoVia, before, j);
                loseVia(j);
                return;
            }
            metIn_[w] = walk;
        }
    }

  private:
    // Entries that share an address matter to the loop test only where one
    // of them can reach another: chains only ever get shorter, so where none
    // can at the start, none ever will, and each is taken as the only one
    // with its address. The search is given a bound in proportion to the
    // table; beyond it every shared address is taken to matter.
    void keepApartSharingAddresses() {
        const std::size_t count = items_.size();
        std::size_t budget = 8 * count + 64;
        std::vector<std::uint32_t> seen(count, 0);
        std::vector<bool> meets(count, false);
        for (std::size_t s = 0; s < count; ++s) {
            if (!sharesAddress_[s]) {
                continue;
            }
            const auto mark = static_cast<std::uint32_t>(s + 1);
            seen[s] = mark;
            for (std::uint16_t e = items_[s].via; e != NoVia && seen[e] != mark;
                 e = items_[e].via) {
                if (budget-- == 0) {
                    return; // every shared address is taken to matter
                }
                seen[e] = mark;
                if (items_[e].address == items_[s].address) {
                    meets[s] = meets[e] = true;
                }
            }
        }
        for (std::size_t s = 0; s < count; ++s) {
            sharesAddress_[s] = sharesAddress_[s] && meets[s];
        }
    }

    struct Way {
        std::uint32_t cutAt = 0; // entries at places up to this one lead on no longer
        bool cut = false;
        bool loopBroken = false;
    };
    static constexpr std::uint32_t InLoop = ~std::uint32_t{0};

    bool leadsIntoLoop(std::uint16_t entry) const {
        const Way& way = ways_[wayOf_[entry]];
        if (wayOf_[entry] == 0 || way.loopBroken) {
            return false;
        }
        return inLoop_[entry] || !way.cut || placeOn_[entry] > way.cutAt;
    }

    void loseVia(std::uint16_t entry) {
        items_[entry].via = NoVia;
        Way& way = ways_[wayOf_[entry]];
        if (wayOf_[entry] == 0) {
            return;
        }
        if (inLoop_[entry]) {
            way.loopBroken = true;
        } else if (!way.cut || placeOn_[entry] > way.cutAt) {
            way.cut = true;
            way.cutAt = placeOn_[entry];
        }
    }

    void note(std::uint16_t entry, std::uint32_t way, std::uint32_t place, bool inLoop) {
        wayOf_[entry] = way;
        placeOn_[entry] = place;
        inLoop_[entry] = inLoop;
    }

    // The walk ran into the loop at w, which it had met before.
    void noteLoop(std::uint16_t w) {
        const auto way = static_cast<std::uint32_t>(ways_.size());
        ways_.push_back(Way{});
        const std::uint32_t loopStart = metAt_[w];
        for (std::uint32_t k = 0; k < passed_.size(); ++k) {
            note(passed_[k], way, k, k >= loopStart);
        }
    }

    // The walk reached `entry`, noted as leading into a loop.
    void noteWay(std::uint16_t entry) {
        const std::uint32_t place = inLoop_[entry] ? InLoop - 1 : placeOn_[entry];
        for (std::uint16_t passed : passed_) {
            note(passed, wayOf_[entry], place, false);
        }
    }

    RoutingState& state_;
    Console& console_;
    std::vector<RouteItem>& items_;
    std::vector<std::uint8_t> sharesAddress_;
    std::vector<std::uint8_t> concreteLink_;
    std::vector<std::uint32_t> metIn_; // the entry whose walk last met it, plus one
    std::vector<std::uint32_t> metAt_; // its place among the entries that walk passed
    std::vector<std::uint16_t> passed_;
    std::vector<std::uint32_t> wayOf_; // the way into a loop it was noted on (0: none)
    std::vector<std::uint32_t> placeOn_;
    std::vector<std::uint8_t> inLoop_;
    std::vector<Way> ways_;
};

void shortenChains(RoutingState& state, Console& console) {
    ChainWalks walks(state, console);
    for (std::size_t index = 0; index < state.items.size(); ++index) {
        if (state.items[index].via != NoVia) {
            walks.walk(static_cast<std::uint16_t>(index));
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
