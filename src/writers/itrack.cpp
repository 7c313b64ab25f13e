#include "writers/writers.hpp"

void writeItrack(RoutingState&) {}
