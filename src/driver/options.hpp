// The command line: options wherever they stand ("--" ends them), then the
// configuration file's name; further arguments are ignored.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

// Where the table goes.
enum class OutputMode {
    Splice,         // into the destination, replacing it
    StandardOutput, // --stdout: the region's lines on standard output
    Diff,           // --diff: a unified diff from the destination to the new file
    None,           // --check, --explain, --graph: nothing written
};

struct RunOptions {
    // "?", "-?", "/?" as the first argument: the banner and the usage.
    bool usage = false;
    // -h, --help: the help on standard output; --version: name and version.
    bool help = false;
    bool version = false;
    std::string configPath = "pathgen.cfg";
    OutputMode output = OutputMode::Splice;
    // --check: read everything as a run would, report every problem, write nothing.
    bool check = false;
    // --strict: a run that refuses to replace the destination after a warning.
    bool strict = false;
    // --if-changed: leave the destination untouched when only the header's time would change.
    bool ifChanged = false;
    // -q, --quiet: no banner, progress or spinner.
    bool quiet = false;
    // --wait=SECONDS: how long to wait for another run's lock (none: as long as it takes).
    std::optional<unsigned> waitSeconds;
    // --explain ADDRESS: why the address is routed where it is.
    std::optional<std::string> explainAddress;
    // --graph: the routing as a Graphviz graph on standard output.
    bool graph = false;
};

struct OptionRow {
    const char* name;
    // The option takes a value: "--name=VALUE", or the next argument.
    bool takesValue;
    // Sets what the option asks for; false when the value is not valid.
    bool (*apply)(RunOptions& options, std::string_view value);
    // The value's name in the help ("" when none) and what the option does.
    const char* valueName;
    const char* help;
};

// The options in the order the help lists them.
extern const std::span<const OptionRow> OptionTable;

// Reads the arguments after the program's name. False, with `bad` set to the
// argument at fault, for an argument that looks like an option but is none
// (`badValue` false) or an option whose value is missing or not valid
// (`badValue` true).
struct ArgumentError {
    std::string argument;
    bool badValue = false;
};
bool parseArguments(std::span<const char* const> args, RunOptions& options, ArgumentError& error);
