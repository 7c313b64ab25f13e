#include "writers/writers.hpp"

void writeFtrack(RoutingState&) {}

std::size_t ftrackMask(RoutingState&, FtnAddress, std::string& line, int) {
    return line.size();
}
