#include "writers/writers.hpp"

void writeTmail(RoutingState&) {}
