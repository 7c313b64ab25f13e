#include "model/minimize.hpp"

#include <algorithm>
#include <new>
#include <vector>

#include "driver/keywords.hpp"

#include "model/adjust.hpp"
#include "model/tables.hpp"

int comparePatterns(const RouteItem& a, const RouteItem& b) {
    if (a.address < b.address) {
        return -1;
    }
    return a.address == b.address ? 0 : 1;
}

void minimizeRoutes(RoutingState& state) {
    if (state.minimizeMode == 0) {
        return;
    }
    // Copies of the wildcard entries, keeping the vias they had before this pass.
    std::vector<RouteItem> patterns;
    try {
        for (const RouteItem& item : state.ItemTable) {
            if (hasWildcard(item.address)) {
                patterns.push_back(item);
            }
        }
    } catch (const std::bad_alloc&) {
        printError(state, ErrMinimizeMemory);
        return;
    }
    std::stable_sort(patterns.begin(), patterns.end(), [](const RouteItem& a, const RouteItem& b) {
        return comparePatterns(a, b) < 0;
    });
    for (std::size_t i = 0; i < state.ItemTable.size(); ++i) {
        RouteItem& item = state.ItemTable[i];
        if (item.via == NoVia) {
            continue;
        }
        for (const RouteItem& pattern : patterns) {
            if (pattern.address == item.address || matchScore(item.address, pattern.address) == 0) {
                continue;
            }
            if (item.via == pattern.via && !isLinkItem(state, static_cast<std::uint16_t>(i))) {
                item.via = Covered;
            }
            break;
        }
    }
}
