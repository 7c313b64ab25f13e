#include "writers/writers.hpp"

void writeImbink(RoutingState&) {}
