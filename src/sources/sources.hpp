// Route sources: route lines and route files, trust files, nodelist hub routes.
#pragma once

#include <string_view>

#include "driver/keywords.hpp"
#include "model/routing_state.hpp"

// Applies one route line (a DefaultRoute argument or a route file line).
bool readRouteLine(RoutingState& state, std::string_view text);
// Applies one line of a trust file.
bool readTrustLine(RoutingState& state, std::string_view text);

// Keyword handlers.
bool defaultRouteKeyword(RoutingState& state, std::string_view rest, KeywordTarget target);
bool routeFileKeyword(RoutingState& state, std::string_view rest, KeywordTarget target);
bool trustFileKeyword(RoutingState& state, std::string_view rest, KeywordTarget target);
bool spokewayKeyword(RoutingState& state, std::string_view rest, KeywordTarget target);

// Reads the file named by the first word of `rest`, announcing it as a route
// file, and applies each line; false (with its message) if it cannot be read.
bool readSourceFile(RoutingState& state, std::string_view rest,
                    bool (*applyLine)(RoutingState&, std::string_view));
