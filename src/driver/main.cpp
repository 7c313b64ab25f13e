#include <csignal>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <cstdlib>
#include <span>
#include <string_view>

#include "driver/run.hpp"

namespace {

// SOURCE_DATE_EPOCH, when it holds a count of seconds since 1970, is the time
// the table's header shows (so that outputs can be compared and reproduced).
std::optional<std::time_t> sourceDateEpoch() {
    const char* value = std::getenv("SOURCE_DATE_EPOCH");
    if (value == nullptr || *value == '\0' || std::string_view(value).size() > 18 ||
        std::string_view(value).find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    return static_cast<std::time_t>(std::strtoll(value, nullptr, 10));
}

} // namespace

int main(int argc, char** argv) {
    // A write past a file-size limit then fails like any other write and is
    // reported, instead of killing the run.
    std::signal(SIGXFSZ, SIG_IGN);
    // A standard error whose reader went away (a pipe into "head", say) must
    // not kill the run half way, with the folder locked and the temporary
    // file left: what cannot be printed is dropped, and the run goes on.
    std::signal(SIGPIPE, SIG_IGN);
#if defined(__GLIBC__)
    // The tables of one step are freed before the next step makes its own:
    // kept in the heap, the memory is used again instead of being handed
    // back and faulted in anew (a tenth of a typical run).
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
    RealDisk disk;
    Console console(consoleStream());
    RunEnvironment environment{console, disk, sourceDateEpoch()};
    std::span<const char* const> args(argv + (argc > 0 ? 1 : 0),
                                      static_cast<std::size_t>(argc > 0 ? argc - 1 : 0));
    return static_cast<int>(runSpokeway(environment, args));
}
