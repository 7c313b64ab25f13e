// Random routing tables for the randomised tests: own addresses, links
// (some with wildcards, some named twice), items with wildcards of every
// shape, chains and loops, as a configuration could give them.
#pragma once

#include <algorithm>
#include <random>
#include <sstream>
#include <vector>

#include "messages/messages.hpp"
#include "model/routing_state.hpp"

namespace random_tables {

struct Tables {
    std::vector<FtnAddress> akas;
    std::vector<LinkEntry> links;
    std::vector<RouteItem> items;
    std::uint16_t defaultFlavour = FlavourHold;
    MinimizeMode minimizeMode = MinimizeMode::Yes;
};

class RandomWorld {
  public:
    explicit RandomWorld(unsigned seed) : random_(seed) {}

    std::uint16_t pick(std::uint16_t low, std::uint16_t high) {
        return std::uniform_int_distribution<std::uint16_t>(low, high)(random_);
    }
    bool chance(int percent) { return pick(1, 100) <= percent; }

    std::uint16_t part(std::uint16_t low, std::uint16_t high, int wildcardPercent) {
        return chance(wildcardPercent) ? Wildcard : pick(low, high);
    }

    FtnAddress address(int wildcardPercent) {
        return FtnAddress{part(1, 3, wildcardPercent), part(1, 4, wildcardPercent),
                          part(0, 6, wildcardPercent)};
    }

    Tables tables() {
        Tables t;
        const int size = pick(0, 60);
        const int wildcards = pick(0, 40);
        auto addItem = [&t](FtnAddress a, std::uint16_t via, std::uint16_t flag) {
            for (const RouteItem& item : t.items) {
                if (item.address == a) {
                    return;
                }
            }
            t.items.push_back(RouteItem{via, flag, a});
        };
        for (int k = pick(1, 3); k > 0; --k) {
            t.akas.push_back(address(0));
        }
        for (int k = pick(0, 6); k > 0; --k) {
            LinkEntry link{pick(1, 0x7f), chance(10) ? address(30) : address(0)};
            t.links.push_back(link);
            if (chance(20)) {
                t.links.push_back(link); // the same link named twice
            }
            addItem(link.address, NoVia, 0);
        }
        for (int k = 0; k < size; ++k) {
            FtnAddress a = chance(20) ? t.akas[pick(0, t.akas.size() - 1)] : address(wildcards);
            addItem(a, NoVia, chance(50) ? 1 : 0);
        }
        for (RouteItem& item : t.items) {
            if (chance(60) && !t.items.empty()) {
                item.via = pick(0, t.items.size() - 1);
            }
        }
        // Long chains now and then.
        if (chance(20) && t.items.size() > 2) {
            for (std::size_t i = 0; i + 1 < t.items.size(); ++i) {
                if (chance(70)) {
                    t.items[i].via = static_cast<std::uint16_t>(i + 1);
                }
            }
        }
        // Chains into a loop, walked in any order, some sharing the
        // address a wildcard gets when it is normalised.
        if (chance(20) && t.items.size() > 4) {
            std::vector<std::uint16_t> order(t.items.size());
            for (std::size_t i = 0; i < order.size(); ++i) {
                order[i] = static_cast<std::uint16_t>(i);
            }
            std::shuffle(order.begin(), order.end(), random_);
            const std::size_t loop = pick(1, static_cast<std::uint16_t>(order.size() / 2));
            for (std::size_t k = 0; k < order.size(); ++k) {
                t.items[order[k]].via = k < loop
                                            ? order[(k + 1) % loop]
                                            : order[pick(0, static_cast<std::uint16_t>(k - 1))];
                if (chance(10)) {
                    t.items[order[k]].address = FtnAddress{Wildcard, pick(1, 2), pick(1, 2)};
                }
            }
        }
        t.defaultFlavour = pick(1, 0x7f);
        t.minimizeMode = chance(80) ? MinimizeMode::Yes : MinimizeMode::No;
        return t;
    }

  private:
    std::mt19937 random_;
};

struct TableRun {
    RoutingState state;
    std::ostringstream console;
    Console messages{console};

    explicit TableRun(const Tables& t) {
        state.akas = t.akas;
        state.links = t.links;
        state.items = t.items;
        state.settings.defaultFlavour = t.defaultFlavour;
        state.settings.minimize = t.minimizeMode;
    }
};

} // namespace random_tables
