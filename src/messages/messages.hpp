// The program's numbered messages, the console they go to and the exit codes.
#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "messages/diagnostics.hpp"

enum class Message : int {
    NoMemory = 0,
    OpenConfig = 1,
    OpenFile = 2,
    OpenTemp = 3,
    OpenDest = 4,
    RouteType = 5,
    Minimize = 6,
    QuotedString = 7,
    MainAddress = 8,
    MissingRouteType = 9,
    MissingMinimize = 10,
    MissingRouteEnd = 11,
    MissingRouteBegin = 12,
    Spokeway = 13,
    RoutedViaUs = 14,
    Rerouting = 15,
    RouteLoop = 16,
    MinimizeMemory = 17,
    MissingWriteTo = 18,
    RepeatedWriteTo = 19,
    WriteTemp = 20,
    ReplaceDest = 21,
    MissingRouteBeginKeyword = 22,
    MissingRouteEndKeyword = 23,
    LockDestFolder = 24,
    WriteStandardOutput = 25,
    UnknownOption = 26,
    BadOptionValue = 27,
};

// The text of each message as it is printed ("%s" where a text goes in), by number.
extern const std::span<const std::string_view> MessageTexts;
inline std::string_view messageText(Message message) {
    return MessageTexts[static_cast<std::size_t>(message)];
}

// How a run ends.
enum class ExitCode : int {
    Success = 0,
    Failed = 1,     // a configuration or input fault: nothing was written
    NoMemory = 2,   // the tables outgrew their limits or memory ran out
    NotWritten = 3, // the table was made but could not replace the destination
    Warnings = 4,   // --check, --strict: the run would succeed, but warnings were found
};

// Standard error as the run talks to it: messages as they stand, the spinner
// that shows a nodelist being read.
class Console {
  public:
    explicit Console(std::ostream& stream) : stream_(&stream) {}

    // Writes a text as it stands.
    void say(std::string_view text);
    // Turns the spinner one step; it comes out with the next message.
    void spin();
    // Prints a message as it stands.
    void error(Message message);
    // Prints a message after the tag "\n<path> <line>: ".
    void errorAt(Message message, std::string_view path, unsigned long line);
    // Prints a message with its "%s" filled.
    void errorWith(Message message, std::string_view text);

    // What the run found wrong or doubtful, collected silently.
    Diagnostics& diagnostics() { return diagnostics_; }

  private:
    Diagnostics diagnostics_;
    std::ostream* stream_;
    std::uint8_t spinnerPosition_ = 0;
};
