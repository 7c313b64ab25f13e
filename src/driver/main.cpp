#include <charconv>
#include <csignal>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <span>
#include <string_view>
#include <unistd.h>

#include "driver/run.hpp"

namespace {

// SOURCE_DATE_EPOCH, when set, is the time the table's header shows (so that
// outputs can be compared and reproduced): a count of seconds since 1970 the
// header can show (a four-digit year). Anything else is refused, not shown as
// question marks or passed over.
void sourceDateEpoch(RunEnvironment& environment) {
    const char* value = std::getenv("SOURCE_DATE_EPOCH");
    if (value == nullptr || *value == '\0') {
        return;
    }
    const std::string_view text(value);
    long long seconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    struct tm parts {};
    const auto time = static_cast<std::time_t>(seconds);
    if (error != std::errc{} || end != text.data() + text.size() || text.front() == '-' ||
        ::localtime_r(&time, &parts) == nullptr || parts.tm_year + 1900 > 9999) {
        environment.refusedRunTime = text;
        return;
    }
    environment.fixedRunTime = time;
}

// A standard stream closed when the run began is opened on /dev/null (output
// that fails to be written there), so that no file the run opens takes its
// number and receives what was meant for it.
void keepStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) < 0) {
            const int opened = ::open("/dev/null", fd == 2 ? O_WRONLY : O_RDONLY);
            if (opened >= 0 && opened != fd) {
                ::dup2(opened, fd);
                ::close(opened);
            }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    keepStandardStreams();
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
    RunEnvironment environment{console, disk, std::nullopt};
    sourceDateEpoch(environment);
    std::span<const char* const> args(argv + (argc > 0 ? 1 : 0),
                                      static_cast<std::size_t>(argc > 0 ? argc - 1 : 0));
    return static_cast<int>(runSpokeway(environment, args));
}
