// The program's run from the command line to the exit code.
#pragma once

#include "model/routing_state.hpp"

// Runs the generator with the program's arguments; returns the exit code.
int runSpokeway(RoutingState& state, int argc, const char* const* argv);
