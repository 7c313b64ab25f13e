// What --check looks at besides the table: what the consumer of the route
// type reads around it in the destination (for hpt, the Link blocks that
// fidoconfig must find for every link the table names).
#pragma once

#include <string>

#include "messages/diagnostics.hpp"
#include "model/routing_state.hpp"
#include "platform/disk.hpp"

// `head` holds the destination's lines above the begin marker; `destination`
// is its name as the configuration gives it; `configPath` is where reports
// without a line of their own go.
void checkConsumer(const RoutingState& state, Disk& disk, Diagnostics& diagnostics,
                   const std::string& destination, const std::string& head,
                   const std::string& configPath);
