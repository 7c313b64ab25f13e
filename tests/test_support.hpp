// Helpers shared by the tests: scratch folders, files, in-process runs and
// runs of the real binary.
#pragma once

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "model/routing_state.hpp"

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

// A state whose console and output go to strings.
struct CapturedState {
    CapturedState();
    RoutingState state;
    std::ostringstream console;
    std::ostringstream output;
};

// Runs the generator in-process with `args` (after the program name) in
// folder `dir`, with the run time fixed; fills console and returns the code.
struct RunResult {
    int exitCode = -1;
    std::string console;
};
RunResult runInProcess(const std::filesystem::path& dir, const std::vector<std::string>& args,
                       std::time_t runTime = 915181500 /* Fri Jan  1 09:05:00 1999 UTC */);

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

// The Squish table and unrouted report of a run without links or routes,
// for the given main address, at the fixed run time, lines ending in `eol`.
std::string emptySquishTable(const std::string& main = "2:460/10", const std::string& eol = "\n");

// The fixed run time's header line as a ";" writer writes it.
constexpr const char* FixedTimeText = "Fri Jan  1 09:05:00 1999";

} // namespace testing_support
