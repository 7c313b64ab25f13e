#include "driver/run.hpp"

#include <algorithm>
#include <memory>
#include <new>
#include <optional>
#include <sstream>
#include <streambuf>
#include <string>

#include "driver/config_reader.hpp"
#include "driver/consumer_check.hpp"
#include "driver/explain.hpp"
#include "driver/options.hpp"
#include "driver/reader_check.hpp"
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
        console.report(std::string(before) + text.str(), diagnostics.count(Severity::Error) != 0
                                                             ? Severity::Error
                                                             : Severity::Warning);
    }
}

ExitCode run(RunEnvironment& environment, const RunOptions& options, TableOutput& output) {
    auto* splice = dynamic_cast<Splice*>(&output);
    Console& console = environment.console;
    Reading reading(environment.disk, console, output, options.configPath);
    RoutingState& state = reading.state;
    ConfigContext& config = reading.config;
    if (options.strict || looksOnly(options)) {
        state.provenance.startRecording();
    }
    if (options.strict) {
        output.keepSurroundings();
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
    // --strict also looks at what the table drops of the region.
    std::optional<RegionCheck> regionCheck;
    std::ostream checkedStream(nullptr);
    if (diagnostics.collecting() && output.oldRegion() != nullptr) {
        regionCheck.emplace(*output.oldRegion(), output.stream().rdbuf());
        checkedStream.rdbuf(&*regionCheck);
    }
    std::ostream& tableStream = regionCheck ? checkedStream : output.stream();
    LineWriter writer(state, tableStream, output.crlf(), runTime);
    RouteTypes[state.settings.routeType - 1].write(writer);
    writeUnrouted(writer);
    if (regionCheck) {
        tableStream.flush();
        if (!tableStream) {
            output.stream().setstate(std::ios::badbit);
        }
        regionCheck->report(state, console.diagnostics());
    }
    if (options.strict) {
        compareWithReader(state, output, runTime, options.configPath, console.diagnostics());
    }
    if (options.strict &&
        diagnostics.count(Severity::Warning) + diagnostics.count(Severity::Error) != 0) {
        // Decided before the commit: the destination stays as it is, and the
        // temporary file goes.
        output.discard();
        showDiagnostics(console, diagnostics, Severity::Warning, "\n");
        return ExitCode::Warnings;
    }
    if (splice != nullptr && options.ifChanged) {
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

// What --check does with the console's messages, chosen by their rows in the
// message table: the information becomes notes at the place being read
// (Minimize assumed), except what the route history tells with the rules
// behind it (re-routings, route loops, nodes routed via us: see
// provenanceNotes); the warnings and errors, which the checks report with
// what is at fault, are kept only to explain a failure that no check
// explained.
class CheckedMessages {
  public:
    explicit CheckedMessages(Diagnostics& diagnostics) : diagnostics_(diagnostics) {}
    void operator()(Message message, const std::string& text) {
        if (message == Message::Rerouting || message == Message::RouteLoop ||
            message == Message::RoutedViaUs) {
            return;
        }
        // One line: the text's line ends and runs of blanks become one blank.
        std::string line;
        for (char c : text) {
            if (c != '\n' && c != ' ') {
                line += c;
            } else if (!line.empty() && line.back() != ' ') {
                line += ' ';
            }
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        if (messageKind(message) == Severity::Note) {
            diagnostics_.note(line);
        } else {
            lastDropped_ = line;
        }
    }
    const std::string& lastDropped() const { return lastDropped_; }

  private:
    Diagnostics& diagnostics_;
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

// A message's text with its "%s" filled, on one line.
std::string messageNote(Message message, const std::string& fill) {
    std::string text(messageText(message));
    text.replace(text.find("%s"), 2, fill);
    std::string note;
    for (char c : text) {
        if (c == '\n' || c == ' ') {
            if (!note.empty() && note.back() != ' ') {
                note += ' ';
            }
        } else {
            note += c;
        }
    }
    return note;
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
        } else if (event.kind == RouteEventKind::MadeLink) {
            const std::uint32_t route = provenance.lastRoute(event.item);
            noteAt(route == 0 ? Origin{} : events[route - 1].origin,
                   messageNote(Message::RoutedViaUs, itemText(state, event.item)));
        } else if (event.kind == RouteEventKind::LoopBroken) {
            const std::uint32_t closing = provenance.lastRoute(event.other);
            noteAt(closing == 0 ? Origin{} : events[closing - 1].origin, describeLoop(state, k));
        }
    }
}

// --check: reads everything a run reads, writes nothing, and reports every
// problem it finds.
ExitCode check(RunEnvironment& environment, const RunOptions& options) {
    // Progress goes nowhere; messages go to the checks.
    std::ostream nowhere(nullptr);
    Console console(nowhere);
    Diagnostics& diagnostics = console.diagnostics();
    auto messages = std::make_shared<CheckedMessages>(diagnostics);
    console.divertMessages(
        [messages](Message message, const std::string& text) { (*messages)(message, text); });
    CheckedDestination output(environment.disk, console);
    Reading reading(environment.disk, console, output, options.configPath);
    RoutingState& state = reading.state;
    ConfigContext& config = reading.config;
    state.provenance.startRecording();
    output.keepSurroundings();
    config.keepGoing = true;
    ExitCode code = ExitCode::Success;
    try {
        if (!readConfig(config)) {
            code = ExitCode::Failed;
        } else {
            if (output.oldRegion() != nullptr) {
                // The table a run would write, compared with the region.
                RegionCheck region(*output.oldRegion(), nullptr);
                std::ostream table(&region);
                LineWriter writer(state, table, output.crlf(), runTimeOf(environment));
                RouteTypes[state.settings.routeType - 1].write(writer);
                writeUnrouted(writer);
                region.report(state, diagnostics);
            }
            const std::string unrouted =
                unroutedAddresses(state, output.crlf(), runTimeOf(environment));
            if (!unrouted.empty()) {
                diagnostics.reportAt(Severity::Note, options.configPath, 0,
                                     "not routed (listed as Unrouted in the table):" + unrouted);
            }
            compareWithReader(state, output, runTimeOf(environment), options.configPath,
                              diagnostics);
            if (output.isOpen()) {
                checkConsumer(state, environment.disk, diagnostics, output.name(), output.head(),
                              options.configPath);
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
        diagnostics.fail(messages->lastDropped());
    }
    // Quiet: the warnings and errors only.
    showDiagnostics(environment.console, diagnostics,
                    environment.console.quiet() ? Severity::Warning : Severity::Note, "");
    // The consumer's fatal mistakes are errors of a run that would succeed.
    if (code == ExitCode::Success && diagnostics.count(Severity::Error) != 0) {
        code = ExitCode::Failed;
    }
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
            "a Link flavour that is not flavour letters alone; a route via an own address;\n"
            "a line between the markers that the new table drops and Spokeway never writes;\n"
            "text after the end marker; squish, fidogate, hpt: an address the mail program,\n"
            "reading the new file, would send elsewhere than the routing, and a link letter\n"
            "the table cannot say (fidogate: f and a; hpt: a); other types: a Link with a\n"
            "wildcard or on two lines with different flavours, two entries that become one\n"
            "address when wildcards are normalised. A newer nodelist is judged by the date\n"
            "its first line states. The destination or the log being another file of the\n"
            "run is an error.\n";
    // The route types from their table, wrapped as the options are.
    std::string types = "\nRoute types (RouteType):";
    for (std::size_t k = 0; k < RouteTypes.size(); ++k) {
        const std::string word =
            std::string(" ") + RouteTypes[k].name + (k + 1 < RouteTypes.size() ? "," : ".");
        const std::size_t lineStart = types.rfind('\n') + 1;
        if (types.size() - lineStart + word.size() > Width) {
            types += "\n";
            types += word.substr(1);
        } else {
            types += word;
        }
    }
    text += types + "\n" +
            "With RouteType hpt, --check reports as errors a link without a Link block\n"
            "(its Aka) above the destination's begin marker, includes followed, and a\n"
            "marker not beginning with '#': fidoconfig would refuse the configuration.\n"
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
