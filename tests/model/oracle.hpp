// The straightforward versions of the table algorithms: every lookup a scan
// of the table in order. The randomised tests hold the program's indexed
// versions to exactly what these give.
#pragma once

#include <cstdint>

#include "messages/messages.hpp"
#include "model/routing_state.hpp"
#include "writers/walks.hpp"

namespace oracle {

std::uint16_t findItem(const RoutingState& state, FtnAddress address);
bool isLinkItem(const RoutingState& state, std::uint16_t item);
bool isOwnAddress(const RoutingState& state, FtnAddress address);
void adjustRouting(RoutingState& state, Console& console);
void minimizeRoutes(RoutingState& state, Console& console);
void appendRoutedViaUsing(LineWriter& w, std::uint16_t parent, int form,
                          AddressFormatter formatter);

} // namespace oracle
