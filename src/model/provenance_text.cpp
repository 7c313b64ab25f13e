#include "model/provenance_text.hpp"

#include <vector>

namespace {

using Kind = RouteEventKind;

// The rule that set the item's route, as " (FILE:LINE)" or " (default route)".
std::string routeSource(const RoutingState& state, std::uint32_t routeEvent) {
    if (routeEvent == 0) {
        return "";
    }
    const Provenance& provenance = state.provenance;
    const RouteEvent& set = provenance.events()[routeEvent - 1];
    if (set.kind == Kind::DefaultRoute) {
        return " (default route)";
    }
    const std::string place = provenance.originText(set.origin);
    return place.empty() ? "" : " (" + place + ")";
}

} // namespace

std::string itemText(const RoutingState& state, std::uint16_t item) {
    if (item >= state.items.size()) {
        return "(none)";
    }
    return addressText(state.items[item].address).substr(1);
}

std::string describeEvent(const RoutingState& state, std::size_t event) {
    const RouteEvent& e = state.provenance.events()[event];
    const std::string a = itemText(state, e.item);
    const std::string via = itemText(state, e.via);
    const std::string place = state.provenance.originText(e.origin);
    switch (e.kind) {
    case Kind::ViaEntered:
        return place + ": enters " + a + " as a via node (what is routed via it goes its way)";
    case Kind::Routed:
        return place + ": routes " + a + " via " + via;
    case Kind::Rerouted:
        return place + ": routes " + a + " via " + via + " instead of via " +
               itemText(state, e.oldVia) + routeSource(state, e.other);
    case Kind::RoutedAgain:
        return place + ": routes " + a + " via " + via + " again";
    case Kind::DefaultRoute:
        return "adjustment: default route for " + a + " via " + via +
               ", the most specific routed wildcard entry that covers it";
    case Kind::NoDefault:
        return "adjustment: no default route for " + a + ": the wildcard entry " + via +
               " covers it, but its route leads back to it";
    case Kind::MadeLink:
        return "adjustment: " + a + " is routed via us (" + via +
               ") but missing in the Link lines: made a link with the DefaultFlavor";
    case Kind::ChainCut:
        return "adjustment: chain cut to the last hop: " + a + " via " + via + " instead of via " +
               itemText(state, e.oldVia);
    case Kind::LoopBroken:
        return "adjustment: " + describeLoop(state, event);
    case Kind::Covered:
        return "minimisation: " + a + " left out of the table: the wildcard entry " +
               itemText(state, static_cast<std::uint16_t>(e.other)) + " sends it the same way";
    }
    return "";
}

std::string describeRerouting(const RoutingState& state, std::size_t event) {
    const RouteEvent& e = state.provenance.events()[event];
    const std::string place = state.provenance.originText(e.origin);
    return "re-routing for " + itemText(state, e.item) + ": via " + itemText(state, e.oldVia) +
           routeSource(state, e.other) + " replaced by via " + itemText(state, e.via) +
           (place.empty() ? "" : " (" + place + ")");
}

std::string describeLoop(const RoutingState& state, std::size_t event) {
    const RouteEvent& e = state.provenance.events()[event];
    const Provenance& provenance = state.provenance;
    const auto start = static_cast<std::uint16_t>(e.other);
    std::string text = "route loop for " + itemText(state, start) + ": ";
    // The routes as the rules and the default routes set them, before the
    // chains were cut.
    // A chain that runs into a loop of other entries ends where it meets it again.
    std::vector<bool> seen(state.items.size());
    std::uint16_t entry = start;
    for (std::size_t step = 0; entry < state.items.size() && !seen[entry]; ++step) {
        seen[entry] = true;
        const std::uint32_t set = provenance.lastRoute(entry);
        if (set == 0) {
            break;
        }
        const std::uint16_t next = provenance.events()[set - 1].via;
        text += (step == 0 ? "" : ", ") + itemText(state, entry) + " via " + itemText(state, next) +
                routeSource(state, set);
        entry = next;
        if (next >= state.items.size() || state.items[next].address == state.items[start].address) {
            break;
        }
    }
    return text + "; " + itemText(state, e.item) + " lost its route";
}
