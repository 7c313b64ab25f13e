// Repairs the table after the configuration is read: normalised wildcards,
// default routes, links for nodes routed via us, chains cut to the last hop.
#pragma once

#include <cstdint>

#include "messages/messages.hpp"
#include "model/routing_state.hpp"

// How well `pattern` covers `address`: 0 not at all, else 111 to 222.
std::uint16_t matchScore(FtnAddress address, FtnAddress pattern);
void adjustRouting(RoutingState& state, Console& console);
