#include "writers/writers.hpp"

void writeFidogate(RoutingState&) {}

void fidogateSendLines(RoutingState&) {}
void fidogateRoutePrefix(RoutingState&, const LinkEntry&) {}
