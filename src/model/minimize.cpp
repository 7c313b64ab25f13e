#include "model/minimize.hpp"

#include <new>
#include <unordered_map>

#include "model/tables.hpp"

// The patterns are the wildcard entries sorted by address (wildcards last),
// and only the first covering one counts. Rather than going through the
// sorted list, the few addresses that can cover an entry are looked up in
// that same order: each part the entry's own before the wildcard.
void minimizeRoutes(RoutingState& state, Console& console) {
    if (state.settings.minimize == MinimizeMode::No) {
        return;
    }
    // The via each pattern address had before this pass, and its entry; of
    // entries with equal addresses the first in table order comes first in the sort.
    struct Pattern {
        std::uint16_t via;
        std::uint16_t entry;
    };
    std::unordered_map<std::uint64_t, Pattern> patternVia;
    try {
        for (std::size_t i = 0; i < state.items.size(); ++i) {
            const RouteItem& item = state.items[i];
            if (hasWildcard(item.address)) {
                patternVia.emplace(addressKey(item.address),
                                   Pattern{item.via, static_cast<std::uint16_t>(i)});
            }
        }
    } catch (const std::bad_alloc&) {
        console.error(Message::MinimizeMemory);
        return;
    }
    if (patternVia.empty()) {
        return;
    }
    for (std::size_t i = 0; i < state.items.size(); ++i) {
        RouteItem& item = state.items[i];
        if (item.via == NoVia) {
            continue;
        }
        const FtnAddress a = item.address;
        for (int shape = 0; shape < 8; ++shape) {
            FtnAddress pattern{(shape & 4) ? Wildcard : a.zone, (shape & 2) ? Wildcard : a.net,
                               (shape & 1) ? Wildcard : a.node};
            if (pattern == a) {
                continue;
            }
            auto found = patternVia.find(addressKey(pattern));
            if (found == patternVia.end()) {
                continue;
            }
            if (item.via == found->second.via &&
                !isLinkItem(state, static_cast<std::uint16_t>(i))) {
                state.provenance.record(RouteEventKind::Covered, static_cast<std::uint16_t>(i),
                                        Covered, item.via, found->second.entry);
                item.via = Covered;
            }
            break;
        }
    }
    state.walkIndex.built = false;
}
