// Route sources: route lines and route files, trust files.
#pragma once

#include <string>
#include <string_view>

#include "messages/messages.hpp"
#include "model/routing_state.hpp"
#include "platform/disk.hpp"

// Applies one route line (a DefaultRoute argument or a route file line).
void readRouteLine(RoutingState& state, Console& console, std::string_view text);
// Applies one line of a trust file.
void readTrustLine(RoutingState& state, Console& console, std::string_view text);

// Reads an address as parseAddress does, and warns (at the console's
// diagnostics place) when the text read is not wholly an address.
FtnAddress readCheckedAddress(AddressNotation& notation, Console& console, std::string_view text,
                              std::size_t& cursor);

// Reads a route file or a trust file, announcing it as a route file, and
// applies each line; false when it cannot be opened or read.
bool readRouteFile(RoutingState& state, Console& console, Disk& disk, const std::string& name);
bool readTrustFile(RoutingState& state, Console& console, Disk& disk, const std::string& name);
