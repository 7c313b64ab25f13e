#include "driver/run.hpp"

#include <ctime>
#include <new>
#include <string>
#include <string_view>

#include "driver/keywords.hpp"
#include "platform/platform.hpp"
#include "writers/writers.hpp"

namespace {

bool asksForUsage(std::string_view arg) {
    return arg == "?" || arg == "-?" || arg == "/?" || arg == "-h" || arg == "--help";
}

int run(RoutingState& state) {
    if (!readConfig(state)) {
        // A run that stops after WriteTo leaves the temporary file holding
        // the destination's head; the destination itself is never touched.
        closeDestination(state);
        return 1;
    }
    say(state, "\nWriting routing...");
    state.runTime = state.fixedRunTime ? *state.fixedRunTime : std::time(nullptr);
    writeRouting(state);
    writeUnrouted(state);
    if (!spliceTail(state)) {
        return 3;
    }
    say(state, "\nDone! Total of " + std::to_string(state.links.size()) + " links and " +
                   std::to_string(state.items.size()) + " items.");
    return 0;
}

} // namespace

int runSpokeway(RoutingState& state, int argc, const char* const* argv) {
    say(state, "Spokeway generator v.1.31beta(Win32) 28-Apr-1999\n");
    if (argc > 1 && asksForUsage(argv[1])) {
        say(state, "\nUsage: Route [config]\n");
        return 0;
    }
    state.abbrevContext = FtnAddress{};
    state.configPath = argc > 1 ? argv[1] : "pathgen.cfg";
    try {
        return run(state);
    } catch (const TableFull&) {
    } catch (const std::bad_alloc&) {
    }
    closeDestination(state);
    printError(state, ErrNoMemory);
    return 2;
}
