#include <csignal>

#include "driver/run.hpp"
#include "platform/platform.hpp"

int main(int argc, char** argv) {
    // A write past a file-size limit then fails like any other write and is
    // reported, instead of killing the run.
    std::signal(SIGXFSZ, SIG_IGN);
    RoutingState state;
    state.console = &consoleStream();
    return runSpokeway(state, argc, argv);
}
