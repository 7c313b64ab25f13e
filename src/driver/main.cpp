#include <csignal>

#include "driver/run.hpp"

int main(int argc, char** argv) {
    // A write past a file-size limit then fails like any other write and is
    // reported, instead of killing the run.
    std::signal(SIGXFSZ, SIG_IGN);
    RoutingState state;
    return runSpokeway(state, argc, argv);
}
