#include "writers/writers.hpp"

void writeBip(RoutingState&) {}
