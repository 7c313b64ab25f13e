// Repairs the table after the configuration is read: normalised wildcards,
// default routes, links for nodes routed via us, chains cut to the last hop.
#pragma once

#include <cstdint>

#include "messages/messages.hpp"
#include "model/routing_state.hpp"

void adjustRouting(RoutingState& state, Console& console);
