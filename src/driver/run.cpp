#include "driver/run.hpp"

#include <algorithm>
#include <memory>
#include <new>
#include <sstream>
#include <streambuf>
#include <string>

#include "driver/config_reader.hpp"
#include "driver/explain.hpp"
#include "driver/options.hpp"
#include "model/provenance_text.hpp"
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
    auto splice = std::make_unique<Splice>(
        environment.disk, environment.console,
        options.output == OutputMode::Diff ? Splice::Mode::Diff : Splice::Mode::Replace);
    splice->setWait(options.waitSeconds);
    return splice;
}

// The tables and what reading the configuration into them needs.
struct Reading {
    Reading(Disk& disk, Console& console, TableOutput& output, const std::string& path)
        : nodelists(disk), routeFiles(disk), config{state,      console, disk, output, nodelists,
                                                    routeFiles, path,    0,    {},     false} {}
    RoutingState state;
    NodelistReader nodelists;
    RouteFileReader routeFiles;
    ConfigContext config;
};

std::time_t runTimeOf(const RunEnvironment& environment) {
    return environment.fixedRunTime ? *environment.fixedRunTime : std::time(nullptr);
}

// Prints the diagnostics of at least the given severity, one line each.
void showDiagnostics(Console& console, const Diagnostics& diagnostics, Severity least,
                     std::string_view before) {
    std::ostringstream text;
    diagnostics.print(text, least);
    if (!text.str().empty()) {
        console.say(std::string(before) + text.str());
    }
}

ExitCode run(RunEnvironment& environment, const RunOptions& options, TableOutput& output) {
    auto* splice = dynamic_cast<Splice*>(&output);
    Console& console = environment.console;
    Reading reading(environment.disk, console, output, options.configPath);
    RoutingState& state = reading.state;
    ConfigContext& config = reading.config;
    if (options.check || looksOnly(options)) {
        state.provenance.startRecording();
    }
    // Only --strict looks at what the reading found doubtful.
    console.diagnostics().setCollecting(options.strict);
    const Diagnostics& diagnostics = console.diagnostics();
    if (!readConfig(config)) {
        // A run that stops after WriteTo leaves the temporary file holding
        // the destination's head; the destination itself is never touched.
        output.abandon();
        if (options.strict) {
            showDiagnostics(console, diagnostics, Severity::Warning, "\n");
        }
        if (splice != nullptr && splice->timedOut()) {
            return ExitCode::LockTimeout;
        }
        return output.writeFailed() ? ExitCode::NotWritten : ExitCode::Failed;
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
    const std::time_t runTime = runTimeOf(environment);
    LineWriter writer(state, output.stream(), output.crlf(), runTime);
    RouteTypes[state.settings.routeType - 1].write(writer);
    writeUnrouted(writer);
    if (options.strict && diagnostics.count(Severity::Warning) != 0) {
        // Decided before the commit: the destination stays as it is, and the
        // temporary file goes.
        output.discard();
        showDiagnostics(console, diagnostics, Severity::Warning, "\n");
        return ExitCode::Warnings;
    }
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

// What --check does with the console's messages: the informational ones
// (re-routing, routed via us, route loop, Minimize assumed) become notes at
// the place being read; progress and the numbered errors, which the checks
// report with what is at fault, are dropped.
class NoteBuffer : public std::streambuf {
  public:
    void collectInto(Diagnostics& diagnostics) { diagnostics_ = &diagnostics; }
    // The last message dropped, for a failure no check explained.
    const std::string& lastDropped() const { return lastDropped_; }

  protected:
    int overflow(int c) override {
        if (c != traits_type::eof()) {
            text_ += static_cast<char>(c);
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* data, std::streamsize size) override {
        text_.append(data, static_cast<std::size_t>(size));
        return size;
    }
    int sync() override {
        takeMessage();
        return 0;
    }

  private:
    void takeMessage() {
        std::string message;
        for (std::size_t i = 0; i < text_.size(); ++i) {
            if (i + 1 < text_.size() && text_[i + 1] == '\b') {
                ++i; // a spinner step
            } else if (text_[i] == '\n' || text_[i] == ' ') {
                if (!message.empty() && message.back() != ' ') {
                    message += ' ';
                }
            } else {
                message += text_[i];
            }
        }
        text_.clear();
        while (!message.empty() && message.back() == ' ') {
            message.pop_back();
        }
        if (message.empty()) {
            return;
        }
        // Re-routings and route loops are told from the provenance, with the
        // rules behind them (see provenanceNotes).
        if (message.find("Re-routing for") != std::string::npos ||
            message.find("RouteLoop detected for") != std::string::npos) {
            return;
        }
        static constexpr std::string_view Informational[] = {"is routed via us",
                                                             "\"Minimize\" keyword"};
        for (std::string_view words : Informational) {
            if (message.find(words) != std::string::npos) {
                diagnostics_->note(message);
                return;
            }
        }
        lastDropped_ = message;
    }

    Diagnostics* diagnostics_ = nullptr;
    std::string text_;
    std::string lastDropped_;
};

// The addresses the unrouted report would list, as one text (empty: none).
std::string unroutedAddresses(const RoutingState& state, bool crlf, std::time_t runTime) {
    std::ostringstream report;
    LineWriter writer(state, report, crlf, runTime);
    writeUnrouted(writer);
    std::string addresses;
    std::istringstream lines(report.str());
    for (std::string line; std::getline(lines, line);) {
        const std::size_t arrows = line.find(">>>");
        if (arrows != std::string::npos) {
            addresses += line.substr(arrows + 4); // after ">>> "
        }
    }
    while (!addresses.empty() && (addresses.back() == ' ' || addresses.back() == '\r')) {
        addresses.pop_back();
    }
    return addresses;
}

// The re-routings and route loops as notes that name the rules behind them:
// a re-routing at the later rule's place, with the old and the new target and
// both rules' places; a loop at the place of the route that closed it.
void provenanceNotes(const RoutingState& state, Diagnostics& diagnostics,
                     const std::string& configPath) {
    const Provenance& provenance = state.provenance;
    const std::vector<RouteEvent>& events = provenance.events();
    auto noteAt = [&](Origin origin, const std::string& text) {
        const std::string place = provenance.originText(origin);
        const std::size_t colon = place.rfind(':');
        if (place.empty() || colon == std::string::npos) {
            diagnostics.reportAt(Severity::Note, configPath, 0, text);
            return;
        }
        diagnostics.reportAt(Severity::Note, place.substr(0, colon),
                             std::stoul(place.substr(colon + 1)), text);
    };
    for (std::size_t k = 0; k < events.size(); ++k) {
        const RouteEvent& event = events[k];
        if (event.kind == RouteEventKind::Rerouted) {
            noteAt(event.origin, describeRerouting(state, k));
        } else if (event.kind == RouteEventKind::LoopBroken) {
            const std::uint32_t closing = provenance.lastRoute(event.other);
            noteAt(closing == 0 ? Origin{} : events[closing - 1].origin, describeLoop(state, k));
        }
    }
}

// --check: reads everything a run reads, writes nothing, and reports every
// problem it finds.
ExitCode check(RunEnvironment& environment, const RunOptions& options) {
    NoteBuffer buffer;
    std::ostream stream(&buffer);
    Console console(stream);
    buffer.collectInto(console.diagnostics());
    Diagnostics& diagnostics = console.diagnostics();
    CheckedDestination output(environment.disk, console);
    Reading reading(environment.disk, console, output, options.configPath);
    RoutingState& state = reading.state;
    ConfigContext& config = reading.config;
    if (options.check || looksOnly(options)) {
        state.provenance.startRecording();
    }
    config.keepGoing = true;
    ExitCode code = ExitCode::Success;
    try {
        if (!readConfig(config)) {
            code = ExitCode::Failed;
        } else {
            const std::string unrouted =
                unroutedAddresses(state, output.crlf(), runTimeOf(environment));
            if (!unrouted.empty()) {
                diagnostics.reportAt(Severity::Note, options.configPath, 0,
                                     "not routed (listed as Unrouted in the table):" + unrouted);
            }
        }
    } catch (const TableFull&) {
        code = ExitCode::NoMemory;
    } catch (const std::bad_alloc&) {
        code = ExitCode::NoMemory;
    }
    provenanceNotes(state, diagnostics, options.configPath);
    if (code == ExitCode::NoMemory) {
        diagnostics.fail("the tables outgrew their limits (65534 items, 65535 links or own "
                         "addresses) or memory ran out");
    } else if (code != ExitCode::Success && diagnostics.count(Severity::Error) == 0) {
        diagnostics.fail(buffer.lastDropped());
    }
    showDiagnostics(environment.console, diagnostics, Severity::Note, "");
    if (code == ExitCode::Success && diagnostics.count(Severity::Warning) != 0) {
        code = ExitCode::Warnings;
    }
    return code;
}

void printHelp(Disk& disk) {
    std::string text = "Usage: spokeway [OPTION]... [CONFIG]\n"
                       "Writes the routing table that CONFIG (default pathgen.cfg) describes\n"
                       "between the markers of its destination.\n\nOptions:\n";
    // Each option's text starts in column 23 and is wrapped to 79 columns.
    constexpr std::size_t Indent = 22;
    constexpr std::size_t Width = 79;
    for (const OptionRow& option : OptionTable) {
        std::string line = std::string("  ") + option.name;
        if (*option.valueName != '\0') {
            line += std::string("=") + option.valueName;
        }
        line.resize(std::max(line.size() + 2, Indent), ' ');
        std::istringstream words(option.help);
        bool first = true;
        for (std::string word; words >> word; first = false) {
            if (!first && line.size() + 1 + word.size() > Width) {
                text += line + "\n";
                line = std::string(Indent, ' ');
                first = true;
            }
            line += (first ? "" : " ") + word;
        }
        text += line + "\n";
    }
    text += "  --                  end of options: the next argument is the configuration\n"
            "\nWarnings (--check shows them, --strict refuses to write after one): a word\n"
            "that is no keyword; an address with junk, a part over 65535 or text after it;\n"
            "a RouteType taken by its first letters; a Spokeway net not in the nodelist or\n"
            "giving no route; a nodelist whose CRC does not match, or a newer file matching\n"
            "its pattern; a marker not beginning with the route type's comment character;\n"
            "a Link with a wildcard or on two lines with different flavours; two entries\n"
            "that become one address when wildcards are normalised.\n"
            "\nExit status:\n"
            "  0  success\n"
            "  1  a fault in the configuration or an input: nothing was written\n"
            "  2  the tables outgrew their limits or memory ran out\n"
            "  3  the table was made but could not be written or replace the destination\n"
            "  4  --check, --strict: warnings were found (--strict wrote nothing)\n"
            "  5  --if-changed: only the header's time line would change; nothing replaced\n"
            "  6  another run held the destination's folder past --wait (else 300 s)\n";
    OutputFile out(disk.standardOutput(), false);
    out.stream() << text;
    out.close();
}

void printVersion(Disk& disk) {
    OutputFile out(disk.standardOutput(), false);
    out.stream() << "spokeway 1.31beta\n";
    out.close();
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
    if (options.usage) {
        console.say("\nUsage: Route [config]\n");
        return ExitCode::Success;
    }
    if (options.help) {
        printHelp(environment.disk);
        return ExitCode::Success;
    }
    if (options.version) {
        printVersion(environment.disk);
        return ExitCode::Success;
    }
    if (!environment.refusedRunTime.empty()) {
        console.errorWith(Message::BadSourceDate, environment.refusedRunTime);
        return ExitCode::Failed;
    }
    if (options.check) {
        return check(environment, options);
    }
    if (options.explainAddress && !isAddressText(*options.explainAddress)) {
        console.errorWith(Message::BadOptionValue, "--explain " + *options.explainAddress);
        return ExitCode::Failed;
    }
    if (options.output == OutputMode::None && !looksOnly(options)) {
        return ExitCode::Failed; // a mode without an output of its own: never a live run instead
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
