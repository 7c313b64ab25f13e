#include <csignal>
#include <span>

#include "driver/run.hpp"

int main(int argc, char** argv) {
    // A write past a file-size limit then fails like any other write and is
    // reported, instead of killing the run.
    std::signal(SIGXFSZ, SIG_IGN);
    // A standard error whose reader went away (a pipe into "head", say) must
    // not kill the run half way, with the folder locked and the temporary
    // file left: what cannot be printed is dropped, and the run goes on.
    std::signal(SIGPIPE, SIG_IGN);
    RealDisk disk;
    Console console(consoleStream());
    RunEnvironment environment{console, disk, std::nullopt};
    std::span<const char* const> args(argv + (argc > 0 ? 1 : 0),
                                      static_cast<std::size_t>(argc > 0 ? argc - 1 : 0));
    return static_cast<int>(runSpokeway(environment, args));
}
