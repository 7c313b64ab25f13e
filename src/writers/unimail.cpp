#include "writers/writers.hpp"

void writeUnimail(RoutingState&) {}
