// Marks routes that a covering wildcard entry already expresses as covered.
#pragma once

#include "messages/messages.hpp"
#include "model/routing_state.hpp"

void minimizeRoutes(RoutingState& state, Console& console);
