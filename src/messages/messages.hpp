// The program's numbered messages, the console they go to and the exit codes.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.hpp"

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
    Unchanged = 28,
    WaitingForLock = 29,
    LockTimeout = 30,
    WriteLog = 31,
    CompareDest = 32,
    TwoRoles = 33,
    FolderOpenToAll = 34,
    Interfered = 35,
    OpenPrivateTemp = 36,
    BadSourceDate = 37,
};

// What a message is, in the kinds the findings of --check have too: a note
// is information. Quiet runs leave out information (it still goes to the
// log), never a warning or an error; --check makes information a note.
struct MessageRow {
    std::string_view text;
    Severity kind;
};
Severity messageKind(Message message);

// The text of each message as it is printed ("%s" where a text goes in), by number.
extern const std::span<const std::string_view> MessageTexts;
inline std::string_view messageText(Message message) {
    return MessageTexts[static_cast<std::size_t>(message)];
}

// How a run ends.
enum class ExitCode : int {
    Success = 0,
    Failed = 1,      // a configuration or input fault: nothing was written
    NoMemory = 2,    // the tables outgrew their limits or memory ran out
    NotWritten = 3,  // the table was made but could not replace the destination
    Warnings = 4,    // --check, --strict: the run would succeed, but warnings were found
    Unchanged = 5,   // --if-changed: only the header's time would change; nothing replaced
    LockTimeout = 6, // another run held the folder's lock past the bound (--wait, else 300 s)
};

// Standard error as the run talks to it: messages as they stand, the spinner
// that shows a nodelist being read. What it shows also goes, line by line
// and without the spinner, to the run's log file when there is one.
class Console {
  public:
    explicit Console(std::ostream& stream) : stream_(&stream) {}
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;
    // What is still held back comes out.
    ~Console();

    // Writes a text as it stands.
    void say(std::string_view text);
    // Writes a text that the next message or flush brings out: progress that
    // more follows at once (a file named again and known unchanged, say).
    void sayLater(std::string_view text);
    // Brings out what was said and is still held back.
    void flush();
    // Turns the spinner `turns` steps; it comes out with the next message.
    void spin(std::size_t turns = 1);
    // Prints a message as it stands.
    void error(Message message);
    // Prints a message after the tag "\n<path> <line>: ".
    void errorAt(Message message, std::string_view path, unsigned long line);
    // Prints a message with its "%s" filled.
    void errorWith(Message message, std::string_view text);

    // Shows whole lines that report problems (the warnings and errors of
    // --check and --strict), quiet or not; logged as `kind`.
    void report(std::string_view lines, Severity kind);

    // Quiet: progress (say), the spinner and the messages that are
    // information are not shown, warnings and errors are; the first message
    // shown starts without an empty line.
    void setQuiet(bool quiet) { quiet_ = quiet; }
    bool quiet() const { return quiet_; }
    // Messages are handed to `listener` with their text instead of being
    // shown or logged (--check makes them notes or keeps them for a failure
    // nothing else explains).
    using MessageListener = std::function<void(Message, const std::string&)>;
    void divertMessages(MessageListener listener) { listener_ = std::move(listener); }
    // Where the log lines go from now on: the lines kept so far are written
    // first. Null: there is no log, and the kept lines are dropped. A log
    // that cannot be written is reported once, under `name`, and dropped.
    // `endsLine` false: the file's last line was cut, and the first line
    // written starts on a new one.
    void logTo(std::unique_ptr<ByteSink> log, std::string_view name, bool endsLine = true);
    // Adds a detail to the current log line only (the path and the system's
    // reason behind a terse message).
    void logDetail(std::string_view text);
    // A log line of its own that the console does not show.
    void logEvent(char mark, std::string_view text);
    // Ends the run's output: the last log line is written; a quiet console
    // that showed a message ends it with a line feed.
    void finish();

    // What the run found wrong or doubtful, collected silently.
    Diagnostics& diagnostics() { return diagnostics_; }

  private:
    Diagnostics diagnostics_;
    MessageListener listener_;
    // Shows and logs a text (progress unless `mark` is that of a message);
    // `flush` false holds it for the next message or flush to bring out.
    void show(std::string_view text, char mark, bool flush = true);
    // The same for a text in parts, as they come (no copy).
    void show(std::initializer_list<std::string_view> parts, char mark, bool flush);
    void log(std::string_view text, char mark);
    void endLogLine();
    // Writes the log lines held so far.
    void writeLog();

    // Adds to what the console holds; a full buffer goes to the stream.
    void put(std::string_view text);
    void writeHeld();

    std::ostream* stream_;
    // What was shown and has not gone to the stream yet.
    static constexpr std::size_t HeldLimit = 65536;
    std::string held_;
    std::uint8_t spinnerPosition_ = 0;
    bool quiet_ = false;
    bool shownQuietly_ = false; // a quiet console has shown a message
    std::string heldProgress_;  // a quiet console's progress on the current line
    // The log: lines are kept until logTo says where they go.
    bool logKnown_ = false;
    std::unique_ptr<ByteSink> log_;
    std::string logName_;
    std::vector<std::string> keptLines_;
    std::string logLine_; // the current line, not ended yet
    char logMark_ = ' ';
    std::string heldLog_; // ended lines not written yet
    std::time_t logSecond_ = -1;
    std::string logStamp_; // the time of the log's lines in that second
};
