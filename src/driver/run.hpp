// The program's run from the command line to the exit code.
#pragma once

#include <ctime>
#include <optional>
#include <span>
#include <string>

#include "messages/messages.hpp"
#include "platform/disk.hpp"

// What a run talks to: the console, the file system and, for tests, a fixed
// time for the table's header.
struct RunEnvironment {
    Console& console;
    Disk& disk;
    std::optional<std::time_t> fixedRunTime;
    // A fixed time given that the header cannot show: the run refuses it.
    std::string refusedRunTime{};
};

// Runs the generator with the arguments after the program's name.
ExitCode runSpokeway(RunEnvironment& environment, std::span<const char* const> args);
