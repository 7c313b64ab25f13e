// The provenance put into words: one line per recorded event, and the texts
// that name the rules behind a re-routing and a route loop.
#pragma once

#include <cstddef>
#include <string>

#include "model/routing_state.hpp"

// What event number `event` did, as "FILE:LINE: what the rule did" for a
// rule, "adjustment: ..." or "minimisation: ..." for the repairs.
std::string describeEvent(const RoutingState& state, std::size_t event);

// For a Rerouted event: "re-routing for A: via OLD (FILE:LINE) replaced by
// via NEW (FILE:LINE)". The event's origin is the later rule's place.
std::string describeRerouting(const RoutingState& state, std::size_t event);

// For a LoopBroken event: "route loop for A: A via B (FILE:LINE), B via A
// (FILE:LINE); A lost its route", following the routes the rules set (or the
// default routes) from the entry whose chain came back to it.
std::string describeLoop(const RoutingState& state, std::size_t event);

// The address of an item (its present, normalised form) in full, without the
// leading blank; "(none)" for no item.
std::string itemText(const RoutingState& state, std::uint16_t item);
