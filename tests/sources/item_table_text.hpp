// The routing table as text, for comparing a whole table at once: one line
// per item in table order, "address", then " via address" when it has a via,
// then " target" when it is a via target. A wildcard part is written "*".
#pragma once

#include <string>

#include "model/routing_state.hpp"

namespace testing_support {

inline std::string partText(std::uint16_t part) {
    return part == 65535 ? "*" : std::to_string(part);
}

inline std::string plainAddress(const FtnAddress& address) {
    return partText(address.zone) + ":" + partText(address.net) + "/" + partText(address.node);
}

inline std::string itemTableText(const RoutingState& state) {
    std::string text;
    for (const RouteItem& item : state.items) {
        text += plainAddress(item.address);
        if (item.via != NoVia) {
            text += " via " + plainAddress(state.items.at(item.via).address);
        }
        if (item.viaTarget != 0) {
            text += " target";
        }
        text += "\n";
    }
    return text;
}

} // namespace testing_support
