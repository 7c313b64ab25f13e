// The console's log: lines kept until the log is known, one line per event
// without the spinner, a failing log reported once; the quiet console.
#include "messages/messages.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <sstream>
#include <string>

namespace {

// A log that keeps what is written, or fails every write after `room` writes.
class MemoryLog : public ByteSink {
  public:
    MemoryLog(std::string& text, int room) : text_(text), room_(room) {}
    long write(const char* data, std::size_t size) override {
        if (room_-- <= 0) {
            return -1;
        }
        text_.append(data, size);
        return static_cast<long>(size);
    }
    bool sync() override { return true; }
    bool close() override { return true; }

  private:
    std::string& text_;
    int room_;
};

// The log's lines without their marks' times: "<mark> <text>" each.
std::string withoutTimes(const std::string& log) {
    return std::regex_replace(log, std::regex(R"(([+*!]) \d\d \w{3} \d\d:\d\d:\d\d SPKW )"), "$1 ");
}

TEST(ConsoleLog, KeepsLinesUntilTheLogIsKnownAndLeavesTheSpinnerOut) {
    std::ostringstream shown;
    Console console(shown);
    console.say("Banner\n\nScanning nodelist x...");
    console.spin();
    console.spin();
    std::string log;
    console.logTo(std::make_unique<MemoryLog>(log, 100), "run.log");
    console.errorAt(Message::OpenFile, "pathgen.cfg", 7);
    console.logDetail("x: No such file or directory");
    console.errorWith(Message::Rerouting, " 2:460/5");
    console.finish();
    EXPECT_EQ(shown.str(), "Banner\n\nScanning nodelist x...-\b\\\b\npathgen.cfg 7: Cannot open "
                           "file.\nRe-routing for  2:460/5.");
    EXPECT_EQ(withoutTimes(log),
              "+ Banner\n+ Scanning nodelist x...\n! pathgen.cfg 7: Cannot open "
              "file. (x: No such file or directory)\n+ Re-routing for  2:460/5.\n");
}

TEST(ConsoleLog, AFailingLogIsReportedOnceAndTheRunGoesOn) {
    std::ostringstream shown;
    Console console(shown);
    std::string log;
    console.logTo(std::make_unique<MemoryLog>(log, 1), "run.log");
    for (int line = 0; line < 4; ++line) {
        console.say("\nline");
    }
    console.finish();
    // The second line goes to the log when the third is shown, and fails.
    EXPECT_EQ(shown.str(),
              "\nline\nline\nline\nCannot write log file run.log (written only in part).\nline");
    EXPECT_EQ(withoutTimes(log), "+ line\n");
}

TEST(ConsoleLog, AQuietConsoleShowsMessagesOnlyWithTheLineTheyContinue) {
    std::ostringstream shown;
    Console console(shown);
    console.setQuiet(true);
    console.say("Banner\n\nScanning config file...\nScanning route file r.txt...");
    console.spin();
    console.error(Message::OpenFile);
    console.errorWith(Message::Rerouting, " 2:460/5");
    console.errorWith(Message::WriteLog, "x.log");
    console.say("\nDone!");
    console.finish();
    // Information (the re-routing) is left out, a warning is not.
    EXPECT_EQ(shown.str(),
              "Scanning route file r.txt...Cannot open file.\nCannot write log file x.log.\n");
}

} // namespace
