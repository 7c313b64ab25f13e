#include "driver/options.hpp"

#include <charconv>

namespace {

bool setFlag(bool RunOptions::*flag, RunOptions& options) {
    options.*flag = true;
    return true;
}

constexpr OptionRow Options[] = {
    {"--check", false,
     [](RunOptions& o, std::string_view) {
         o.check = true;
         o.output = OutputMode::None;
         return true;
     },
     "",
     "read the configuration and every input as a run would, report every problem, "
     "write nothing"},
    {"--strict", false,
     [](RunOptions& o, std::string_view) { return setFlag(&RunOptions::strict, o); }, "",
     "do not replace the destination when a warning was found (exit status 4)"},
    {"--stdout", false,
     [](RunOptions& o, std::string_view) {
         o.output = OutputMode::StandardOutput;
         return true;
     },
     "", "print the lines the run would put between the markers; write nothing"},
    {"--diff", false,
     [](RunOptions& o, std::string_view) {
         o.output = OutputMode::Diff;
         return true;
     },
     "", "print a unified diff from the destination to what a run would write; write nothing"},
    {"--if-changed", false,
     [](RunOptions& o, std::string_view) { return setFlag(&RunOptions::ifChanged, o); }, "",
     "leave the destination untouched when only the header's time would change"},
    {"--wait", true,
     [](RunOptions& o, std::string_view value) {
         unsigned seconds = 0;
         auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
         if (error != std::errc{} || end != value.data() + value.size() || value.empty()) {
             return false;
         }
         o.waitSeconds = seconds;
         return true;
     },
     "SECONDS",
     "wait at most this long (else 300 s) for another run that holds the destination's folder"},
    {"-q", false, [](RunOptions& o, std::string_view) { return setFlag(&RunOptions::quiet, o); },
     "",
     "quiet: no banner, progress, spinner or informational messages (re-routing, routed via "
     "us, loops, totals; they still go to the log); errors, warnings and why the destination "
     "was not replaced are always shown; with --check, no notes"},
    {"--quiet", false,
     [](RunOptions& o, std::string_view) { return setFlag(&RunOptions::quiet, o); }, "",
     "the same as -q"},
    {"--explain", true,
     [](RunOptions& o, std::string_view value) {
         if (value.empty()) {
             return false;
         }
         o.explainAddress = std::string(value);
         o.output = OutputMode::None;
         return true;
     },
     "ADDRESS", "tell why mail for the address goes where it goes; write nothing"},
    {"--graph", false,
     [](RunOptions& o, std::string_view) {
         o.graph = true;
         o.output = OutputMode::None;
         return true;
     },
     "", "print the routing as a Graphviz graph; write nothing"},
    {"-h", false, [](RunOptions& o, std::string_view) { return setFlag(&RunOptions::help, o); }, "",
     "print this help"},
    {"--help", false, [](RunOptions& o, std::string_view) { return setFlag(&RunOptions::help, o); },
     "", "print this help"},
    {"--version", false,
     [](RunOptions& o, std::string_view) { return setFlag(&RunOptions::version, o); }, "",
     "print the program's name and version"},
};

bool isUsageWord(std::string_view arg) {
    return arg == "?" || arg == "-?" || arg == "/?";
}

const OptionRow* findOption(std::string_view name) {
    for (const OptionRow& option : OptionTable) {
        if (name == option.name) {
            return &option;
        }
    }
    return nullptr;
}

} // namespace

const std::span<const OptionRow> OptionTable(Options);

bool parseArguments(std::span<const char* const> args, RunOptions& options, ArgumentError& error) {
    if (!args.empty() && isUsageWord(args.front())) {
        options.usage = true;
        return true;
    }
    bool optionsEnded = false;
    bool configGiven = false;
    for (std::size_t k = 0; k < args.size(); ++k) {
        std::string_view arg = args[k];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || arg.size() < 2 || arg.front() != '-') {
            if (!configGiven) {
                options.configPath = std::string(arg);
                configGiven = true;
            }
            continue;
        }
        const std::size_t equals = arg.find('=');
        const OptionRow* row = findOption(arg.substr(0, equals));
        if (row == nullptr || (!row->takesValue && equals != std::string_view::npos)) {
            error = {std::string(arg), row != nullptr};
            return false;
        }
        std::string_view value;
        if (row->takesValue) {
            if (equals != std::string_view::npos) {
                value = arg.substr(equals + 1);
            } else if (k + 1 < args.size()) {
                value = args[++k];
            } else {
                error = {std::string(arg), true};
                return false;
            }
        }
        if (!row->apply(options, value)) {
            error = {std::string(arg), true};
            return false;
        }
    }
    return true;
}
