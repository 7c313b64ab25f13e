#include "driver/options.hpp"

namespace {

constexpr OptionRow Options[] = {
    {"-h", [](RunOptions& o) { o.usage = true; }, "print the usage"},
    {"--help", [](RunOptions& o) { o.usage = true; }, "print the usage"},
    {"--stdout", [](RunOptions& o) { o.output = OutputMode::StandardOutput; },
     "print the table to standard output instead of writing the destination"},
};

bool isUsageWord(std::string_view arg) {
    return arg == "?" || arg == "-?" || arg == "/?";
}

} // namespace

const std::span<const OptionRow> OptionTable(Options);

bool parseArguments(std::span<const char* const> args, RunOptions& options, std::string& unknown) {
    if (!args.empty() && isUsageWord(args.front())) {
        options.usage = true;
        return true;
    }
    bool optionsEnded = false;
    bool configGiven = false;
    for (std::string_view arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && arg.size() > 1 && arg.front() == '-') {
            const OptionRow* row = nullptr;
            for (const OptionRow& option : OptionTable) {
                if (arg == option.name) {
                    row = &option;
                }
            }
            if (row == nullptr) {
                unknown = std::string(arg);
                return false;
            }
            row->apply(options);
            continue;
        }
        if (!configGiven) {
            options.configPath = std::string(arg);
            configGiven = true;
        }
    }
    return true;
}
