// Answers for one address why mail for it goes where it goes, and draws the
// whole routing as a Graphviz graph.
#pragma once

#include <optional>
#include <ostream>
#include <string_view>

#include "model/routing_state.hpp"

// Whether the text is an address as route files write it: "World", or up to
// zone ":" net "/" node (each a number up to 65535, "*" or "All", the parts
// in front may be left out), with anything after a "." or "@" dropped.
bool isAddressText(std::string_view text);

// Prints the rules and repairs that touched the address (read against the
// main address), the table lines that carry it, and last "routed via
// Z:N/F" or "not routed".
void explainAddress(const RoutingState& state, std::string_view text, std::ostream& out);

// The link mail for the item is handed to (the item itself for a link), or
// nothing when it is not routed.
std::optional<FtnAddress> routedVia(const RoutingState& state, FtnAddress address);

// The routing as a Graphviz graph: the system, its links, and under each
// link what is routed via it, whole nets and zones routed the same way
// drawn as one node with a count.
void writeGraph(const RoutingState& state, std::ostream& out);
