// Helpers shared by the tests: scratch folders, files, in-process runs and
// runs of the real binary.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "driver/config_reader.hpp"
#include "messages/messages.hpp"
#include "model/routing_state.hpp"
#include "writers/line_writer.hpp"

namespace testing_support {

// A fresh folder under the system's temporary folder, removed afterwards.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    void write(const std::string& name, const std::string& content) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;

  private:
    std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& content);

// Tables whose messages and written lines go to strings.
struct CapturedState {
    RoutingState state;
    std::ostringstream console;
    Console messages{console};
    std::ostringstream output;
    // What the console has shown, what it still holds included.
    std::string shown() {
        messages.flush();
        return console.str();
    }
    // A writer of the tables as they are now into `output`.
    LineWriter writer(bool crlf = false) { return LineWriter(state, output, crlf, 0); }
};

// The configuration reader over the real file system with a splice as the
// run's output, reading `path` relative to the working folder.
struct ConfigRun {
    explicit ConfigRun(const std::string& path = "pathgen.cfg")
        : context{
              captured.state, captured.messages, disk, splice, nodelists, routeFiles, path, 0, {},
              false} {}
    CapturedState captured;
    RealDisk disk;
    Splice splice{disk, captured.messages};
    NodelistReader nodelists{disk};
    RouteFileReader routeFiles{disk};
    ConfigContext context;
};

// Runs the generator in-process with `args` (after the program name) in
// folder `dir`, with the run time fixed; fills console and returns the code.
struct RunResult {
    int exitCode = -1;
    std::string console;
};
RunResult runInProcess(const std::filesystem::path& dir, const std::vector<std::string>& args,
                       std::time_t runTime = 915181500 /* Fri Jan  1 09:05:00 1999 UTC */);
// The same through `disk` (a FakeDisk, say) instead of the real file system.
RunResult runInProcess(const std::filesystem::path& dir, const std::vector<std::string>& args,
                       Disk& disk, std::time_t runTime = 915181500);

// Runs the real binary in folder `dir`; captures standard error and output.
struct ProcessResult {
    int exitCode = -1;
    std::string standardError;
    std::string standardOutput;
};
ProcessResult runBinary(const std::filesystem::path& dir, const std::vector<std::string>& args,
                        const std::string& shellPrefix = "");
// The same with another program (an installed copy, say).
ProcessResult runProgram(const std::string& program, const std::filesystem::path& dir,
                         const std::vector<std::string>& args, const std::string& shellPrefix = "");

// Runs a shell command; gives its exit code and what it printed (standard
// output and standard error together).
struct CommandResult {
    int exitCode = -1;
    std::string output;
};
CommandResult runCommand(const std::string& command);
// The text quoted for the shell.
std::string shellQuote(const std::string& text);

// Every regular file under `root`, by its path relative to `root`.
std::map<std::string, std::string> folderContents(const std::filesystem::path& root);

// Checks that folder `actual` holds the files of folder `input` with those of
// `changes` (the files a run changes or makes; the folder may be absent) put
// over them, byte for byte once the run time is fixed, and no other file.
// `label` names the case in failure messages.
void expectFolderAfterRun(const std::filesystem::path& actual, const std::filesystem::path& input,
                          const std::filesystem::path& changes, const std::string& label);

// The text with the run time of every header line replaced by FixedTimeText.
std::string withFixedTime(const std::string& text);

// Holds the lock a run takes in `folder` until the descriptor it gives is
// closed (-1: it could not be had), as another run would.
int holdRunLock(const std::filesystem::path& folder);

// The text with every line feed preceded by a carriage return.
std::string withCrLf(const std::string& text);

// The fixed run time's header line as a ";" writer writes it.
constexpr const char* FixedTimeText = "Fri Jan  1 09:05:00 1999";

// ---- whole runs of a configuration ----

// The RouteBegin and RouteEnd lines for the markers c " begin" and c " end".
std::string markerLines(char c = ';');

// A configuration text, line by line in this order: the main address, the
// route type, Minimize, WriteTo, the marker lines, then `links` and `more`
// (whole lines each, the links and the route sources, say).
struct ConfigText {
    std::string main = "2:460/10";
    std::string routeType = "squish";
    std::string minimize = "no";
    std::string writeTo = "route.cfg";
    std::string markers = markerLines();
    std::string links{};
    std::string more{};

    std::string text() const;
    operator std::string() const { return text(); }
};

// The console: the first line, the banner up to the configuration scan,
// the adjustment and writing lines, and the last line of a successful run.
inline const std::string Title = "Spokeway generator v.1.31beta(Win32) 28-Apr-1999\n";
inline const std::string Banner = Title + "\nScanning config file...";
inline const std::string Writing = "\nAdjusting routing...\nWriting routing...";
std::string done(int links, int items);
// The whole console of a successful run that reads the route files `files`
// and nothing else.
std::string consoleOf(const std::vector<std::string>& files, int links, int items);

// A whole run in process at the fixed run time, in a fresh folder that holds
// pathgen.cfg with `config`, route.cfg with `destination` and the `files`
// (name and text). A successful run must leave no temporary file.
struct TableRun {
    int exitCode = -1;
    std::string console;
    std::string destination;
};
TableRun runTable(const std::string& config, const std::map<std::string, std::string>& files = {},
                  const std::string& destination = "; begin\n; end\n");

// A table's three header lines for `main` at the fixed run time, and the
// three heading lines of its unrouted report, in comment character c.
std::string tableHeader(char c, const std::string& displayName,
                        const std::string& main = "2:460/10");
std::string reportHeading(char c);

// The Squish table and unrouted report of a run without links or routes,
// for the given main address, at the fixed run time, lines ending in `eol`.
std::string emptySquishTable(const std::string& main = "2:460/10", const std::string& eol = "\n");

// Whole runs of the real binary in a folder of their own.
struct BinaryRuns : ::testing::Test {
    ScratchDir dir;

    // Writes pathgen.cfg and route.cfg and runs after the shell words `shellPrefix`.
    ProcessResult run(const std::string& configText, const std::string& destination,
                      const std::string& shellPrefix = "");
    // route.cfg afterwards, with the run time fixed.
    std::string destination() const { return withFixedTime(dir.read("route.cfg")); }
};

// Opens the writing end of a FIFO once the program has opened it for reading;
// -1 if it never does within a few seconds.
int openWhenRead(const std::filesystem::path& fifo);

} // namespace testing_support
