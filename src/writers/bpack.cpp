#include "writers/writers.hpp"

void writeBpack(RoutingState&) {}
