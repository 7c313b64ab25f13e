// The straightforward versions of the table algorithms: every lookup a scan
// of the table in order. The randomised tests hold the program's indexed
// versions to exactly what these give.
#pragma once

#include <cstdint>

#include "model/routing_state.hpp"
#include "model/walks.hpp"

namespace oracle {

std::uint16_t findItem(const RoutingState& state, FtnAddress address);
bool isLinkItem(const RoutingState& state, std::uint16_t item);
bool isOwnAddress(const RoutingState& state, FtnAddress address);
void adjustRouting(RoutingState& state);
void minimizeRoutes(RoutingState& state);
void appendRoutedViaUsing(RoutingState& state, std::uint16_t parent, int form,
                          AddressFormatter formatter);

} // namespace oracle
