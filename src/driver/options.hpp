// The command line: options wherever they stand ("--" ends them), then the
// configuration file's name; further arguments are ignored.
#pragma once

#include <span>
#include <string>
#include <string_view>

// What the table is made for.
enum class OutputMode { Splice, StandardOutput };

struct RunOptions {
    // "?", "-?", "/?" as the first argument, or -h/--help: only the usage.
    bool usage = false;
    std::string configPath = "pathgen.cfg";
    OutputMode output = OutputMode::Splice;
};

struct OptionRow {
    const char* name;
    // Sets what the option asks for.
    void (*apply)(RunOptions& options);
    const char* help;
};

// The options in the order the help lists them.
extern const std::span<const OptionRow> OptionTable;

// Reads the arguments after the program's name; false with `unknown` set to
// an argument that looks like an option but is none.
bool parseArguments(std::span<const char* const> args, RunOptions& options, std::string& unknown);
