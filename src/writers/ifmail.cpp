#include "writers/writers.hpp"

void writeIfmail(RoutingState&) {}

const char* const GatewayDomain = "fidonet.org";
