#include "driver/run.hpp"

#include <memory>
#include <new>
#include <string>

#include "driver/config_reader.hpp"
#include "driver/explain.hpp"
#include "driver/options.hpp"
#include "writers/route_types.hpp"
#include "writers/writers.hpp"

namespace {

// --explain and --graph read everything as a run does and print what they
// find instead of the table.
bool looksOnly(const RunOptions& options) {
    return options.explainAddress.has_value() || options.graph;
}

std::unique_ptr<TableOutput> makeOutput(const RunOptions& options, RunEnvironment& environment) {
    if (looksOnly(options)) {
        return std::make_unique<NoTableOutput>();
    }
    const OutputMode mode = options.output;
    if (mode == OutputMode::StandardOutput) {
        return std::make_unique<StandardOutputTable>(environment.disk, environment.console);
    }
    return std::make_unique<Splice>(environment.disk, environment.console);
}

ExitCode run(RunEnvironment& environment, const RunOptions& options, TableOutput& output) {
    Console& console = environment.console;
    RoutingState state;
    NodelistReader nodelists(environment.disk);
    ConfigContext config{state, console, environment.disk, output, nodelists, options.configPath, 0,
                         {},    false};
    if (!readConfig(config)) {
        // A run that stops after WriteTo leaves the temporary file holding
        // the destination's head; the destination itself is never touched.
        output.abandon();
        return ExitCode::Failed;
    }
    if (looksOnly(options)) {
        OutputFile out(environment.disk.standardOutput(), false);
        if (options.explainAddress) {
            explainAddress(state, *options.explainAddress, out.stream());
        } else {
            writeGraph(state, out.stream());
        }
        if (!out.close()) {
            console.error(Message::WriteStandardOutput);
            return ExitCode::NotWritten;
        }
        return ExitCode::Success;
    }
    console.say("\nWriting routing...");
    const std::time_t runTime =
        environment.fixedRunTime ? *environment.fixedRunTime : std::time(nullptr);
    LineWriter writer(state, output.stream(), output.crlf(), runTime);
    RouteTypes[state.settings.routeType - 1].write(writer);
    writeUnrouted(writer);
    if (!output.commit(state.settings.routeEndText)) {
        return ExitCode::NotWritten;
    }
    console.say("\nDone! Total of " + std::to_string(state.links.size()) + " links and " +
                std::to_string(state.items.size()) + " items.");
    return ExitCode::Success;
}

} // namespace

ExitCode runSpokeway(RunEnvironment& environment, std::span<const char* const> args) {
    Console& console = environment.console;
    console.say("Spokeway generator v.1.31beta(Win32) 28-Apr-1999\n");
    RunOptions options;
    ArgumentError error;
    if (!parseArguments(args, options, error)) {
        console.errorWith(error.badValue ? Message::BadOptionValue : Message::UnknownOption,
                          error.argument);
        return ExitCode::Failed;
    }
    if (options.usage || options.help) {
        console.say("\nUsage: Route [config]\n");
        return ExitCode::Success;
    }
    if (options.explainAddress && !isAddressText(*options.explainAddress)) {
        console.errorWith(Message::BadOptionValue, "--explain " + *options.explainAddress);
        return ExitCode::Failed;
    }
    if (options.output == OutputMode::Diff ||
        (options.output == OutputMode::None && !looksOnly(options))) {
        return ExitCode::Failed; // modes still to come: never a live run instead
    }
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
