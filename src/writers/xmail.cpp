#include "writers/writers.hpp"

void writeXmail(RoutingState&) {}
