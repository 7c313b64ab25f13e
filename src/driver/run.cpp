#include "driver/run.hpp"

#include <memory>
#include <new>
#include <string>

#include "driver/config_reader.hpp"
#include "driver/options.hpp"
#include "writers/route_types.hpp"
#include "writers/writers.hpp"

namespace {

std::unique_ptr<TableOutput> makeOutput(const RunOptions& options, RunEnvironment& environment) {
    if (options.output == OutputMode::StandardOutput) {
        return std::make_unique<StandardOutputTable>(environment.disk, environment.console);
    }
    auto splice = std::make_unique<Splice>(
        environment.disk, environment.console,
        options.output == OutputMode::Diff ? Splice::Mode::Diff : Splice::Mode::Replace);
    splice->setWait(options.waitSeconds);
    return splice;
}

ExitCode run(RunEnvironment& environment, const RunOptions& options, TableOutput& output) {
    auto* splice = dynamic_cast<Splice*>(&output);
    Console& console = environment.console;
    RoutingState state;
    NodelistReader nodelists(environment.disk);
    RouteFileReader routeFiles(environment.disk);
    ConfigContext config{state,     console,    environment.disk,   output,
                         nodelists, routeFiles, options.configPath, 0,
                         {},        false};
    if (!readConfig(config)) {
        // A run that stops after WriteTo leaves the temporary file holding
        // the destination's head; the destination itself is never touched.
        output.abandon();
        if (splice != nullptr && splice->timedOut()) {
            return ExitCode::LockTimeout;
        }
        return output.writeFailed() ? ExitCode::NotWritten : ExitCode::Failed;
    }
    console.say("\nWriting routing...");
    const std::time_t runTime =
        environment.fixedRunTime ? *environment.fixedRunTime : std::time(nullptr);
    LineWriter writer(state, output.stream(), output.crlf(), runTime);
    RouteTypes[state.settings.routeType - 1].write(writer);
    writeUnrouted(writer);
    if (splice != nullptr && options.ifChanged && options.output == OutputMode::Splice) {
        splice->keepWhenOnlyDiffering(localTimeText(runTime));
    }
    if (!output.commit(state.settings.routeEndText)) {
        return ExitCode::NotWritten;
    }
    console.say("\nDone! Total of " + std::to_string(state.links.size()) + " links and " +
                std::to_string(state.items.size()) + " items.");
    if (splice != nullptr && splice->unchanged()) {
        console.error(Message::Unchanged);
        return ExitCode::Unchanged;
    }
    return ExitCode::Success;
}

ExitCode runOnce(RunEnvironment& environment, std::span<const char* const> args) {
    Console& console = environment.console;
    RunOptions options;
    ArgumentError error;
    const bool parsed = parseArguments(args, options, error);
    // The usage is shown even when asked for quietly.
    console.setQuiet(parsed && options.quiet && !options.usage && !options.help);
    console.say("Spokeway generator v.1.31beta(Win32) 28-Apr-1999\n");
    if (!parsed) {
        console.errorWith(error.badValue ? Message::BadOptionValue : Message::UnknownOption,
                          error.argument);
        return ExitCode::Failed;
    }
    if (options.usage || options.help) {
        console.say("\nUsage: Route [config]\n");
        return ExitCode::Success;
    }
    if (options.output == OutputMode::None) {
        return ExitCode::Failed; // modes still to come: never a live run instead
    }
    console.logEvent('+', "Begin, config " + options.configPath);
    std::unique_ptr<TableOutput> output = makeOutput(options, environment);
    try {
        return run(environment, options, *output);
    } catch (const TableFull&) {
    } catch (const std::bad_alloc&) {
    }
    output->abandon();
    console.error(Message::NoMemory);
    return ExitCode::NoMemory;
}

} // namespace

ExitCode runSpokeway(RunEnvironment& environment, std::span<const char* const> args) {
    const ExitCode code = runOnce(environment, args);
    environment.console.logEvent(code == ExitCode::Success || code == ExitCode::Unchanged ? '+'
                                                                                          : '!',
                                 "End, exit status " + std::to_string(static_cast<int>(code)));
    environment.console.finish();
    return code;
}
