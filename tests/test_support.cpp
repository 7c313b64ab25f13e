#include "test_support.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <regex>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "driver/run.hpp"

namespace testing_support {

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
    std::random_device random;
    for (;;) {
        path_ = fs::temp_directory_path() /
                ("spokeway-test-" + std::to_string(::getpid()) + "-" + std::to_string(random()));
        if (fs::create_directory(path_)) {
            break;
        }
    }
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    // Make everything writable again so that read-only test folders go too;
    // links are left alone, never what they point to (shared data, say).
    for (auto& entry : fs::recursive_directory_iterator(path_, ignored)) {
        if (!entry.is_symlink(ignored)) {
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

void ScratchDir::write(const std::string& name, const std::string& content) const {
    writeFile(path_ / name, content);
}

std::string ScratchDir::read(const std::string& name) const {
    return readFile(path_ / name);
}

bool ScratchDir::exists(const std::string& name) const {
    return fs::exists(path_ / name);
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeFile(const fs::path& path, const std::string& content) {
    if (path.has_parent_path()) {
        fs::create_directories(path.parent_path());
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

RunResult runInProcess(const fs::path& dir, const std::vector<std::string>& args,
                       std::time_t runTime) {
    RealDisk disk;
    return runInProcess(dir, args, disk, runTime);
}

RunResult runInProcess(const fs::path& dir, const std::vector<std::string>& args, Disk& disk,
                       std::time_t runTime) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    fs::path previous = fs::current_path();
    fs::current_path(dir);
    std::vector<const char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    std::ostringstream console;
    RunResult result;
    {
        Console messages(console);
        RunEnvironment environment{messages, disk, runTime};
        result.exitCode = static_cast<int>(runSpokeway(environment, argv));
    }
    fs::current_path(previous);
    result.console = console.str();
    return result;
}

std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

ProcessResult runBinary(const fs::path& dir, const std::vector<std::string>& args,
                        const std::string& shellPrefix) {
    return runProgram(SPOKEWAY_BINARY, dir, args, shellPrefix);
}

ProcessResult runProgram(const std::string& program, const fs::path& dir,
                         const std::vector<std::string>& args, const std::string& shellPrefix) {
    ScratchDir capture;
    std::string command =
        "cd " + shellQuote(dir.string()) + " && " + shellPrefix + " " + shellQuote(program);
    for (const std::string& arg : args) {
        command += " " + shellQuote(arg);
    }
    command += " 2>" + shellQuote(capture.file("stderr")) + " >" +
               shellQuote(capture.file("stdout")) + " </dev/null";
    int status = std::system(command.c_str());
    ProcessResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.standardError = capture.read("stderr");
    result.standardOutput = capture.read("stdout");
    return result;
}

CommandResult runCommand(const std::string& command) {
    ScratchDir capture;
    int status = std::system(
        ("(" + command + ") >" + shellQuote(capture.file("output")) + " 2>&1 </dev/null").c_str());
    CommandResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.output = capture.read("output");
    return result;
}

std::map<std::string, std::string> folderContents(const fs::path& root) {
    std::map<std::string, std::string> files;
    if (!fs::exists(root)) {
        return files;
    }
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), root).string()] = readFile(entry.path());
        }
    }
    return files;
}

void expectFolderAfterRun(const fs::path& actual, const fs::path& input, const fs::path& changes,
                          const std::string& label) {
    std::map<std::string, std::string> expected = folderContents(input);
    for (const auto& [file, content] : folderContents(changes)) {
        expected[file] = content;
    }
    std::map<std::string, std::string> found = folderContents(actual);
    for (auto& [file, content] : found) {
        content = withFixedTime(content);
    }
    for (const auto& [file, content] : expected) {
        ASSERT_TRUE(found.count(file)) << label << ": missing file " << file;
        EXPECT_EQ(found[file], content) << label << ": in file " << file;
    }
    for (const auto& [file, content] : found) {
        EXPECT_TRUE(expected.count(file)) << label << ": unexpected file " << file;
    }
}

std::string withFixedTime(const std::string& text) {
    // The second header line: the comment character, 21 blanks and the time.
    static const std::regex timeLine(
        R"(((?:^|\n).                     )[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}(\r?\n))");
    return std::regex_replace(text, timeLine, "$1" + std::string(FixedTimeText) + "$2");
}

int holdRunLock(const fs::path& folder) {
    const int fd =
        ::open((folder / "PG$TABLE.LCK").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    if (fd >= 0 && ::fcntl(fd, F_SETLK, &whole) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string withCrLf(const std::string& text) {
    std::string result;
    for (char c : text) {
        if (c == '\n') {
            result += '\r';
        }
        result += c;
    }
    return result;
}

std::string emptySquishTable(const std::string& main, const std::string& eol) {
    const std::string text = tableHeader(';', "Squish", main) +
                             "; *** Direct links\n;\n;\n; *** Route\n;\n"
                             "; *** Nodes\n; *** Nets\n; *** Zones\n; *** Default\n" +
                             reportHeading(';');
    std::string ended;
    for (char c : text) {
        ended += c == '\n' ? eol : std::string(1, c);
    }
    return ended;
}

std::string markerLines(char c) {
    const std::string marker(1, c);
    return "RouteBegin \"" + marker + " begin\"\nRouteEnd \"" + marker + " end\"\n";
}

std::string ConfigText::text() const {
    return "Address " + main + "\nRouteType " + routeType + "\nMinimize " + minimize +
           "\nWriteTo " + writeTo + "\n" + markers + links + more;
}

std::string done(int links, int items) {
    return "\nDone! Total of " + std::to_string(links) + " links and " + std::to_string(items) +
           " items.";
}

std::string consoleOf(const std::vector<std::string>& files, int links, int items) {
    std::string text = Banner;
    for (const std::string& file : files) {
        text += "\nScanning route file " + file + "...";
    }
    return text + Writing + done(links, items);
}

TableRun runTable(const std::string& config, const std::map<std::string, std::string>& files,
                  const std::string& destination) {
    ScratchDir dir;
    dir.write("pathgen.cfg", config);
    dir.write("route.cfg", destination);
    for (const auto& [name, text] : files) {
        dir.write(name, text);
    }
    RunResult result = runInProcess(dir.path(), {});
    if (result.exitCode == 0) {
        EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
    }
    return TableRun{result.exitCode, result.console, dir.read("route.cfg")};
}

std::string tableHeader(char c, const std::string& displayName, const std::string& main) {
    const std::string marker(1, c);
    return marker + " " + displayName + " routing for " + main +
           ". Created by Spokeway generator 1.31beta\n" + marker + "                     " +
           FixedTimeText + "\n" + marker + "\n";
}

std::string reportHeading(char c) {
    const std::string marker(1, c);
    return marker + "\n" + marker + " !!! Unrouted !!!\n" + marker + " ----------------\n";
}

ProcessResult BinaryRuns::run(const std::string& configText, const std::string& destination,
                              const std::string& shellPrefix) {
    dir.write("pathgen.cfg", configText);
    dir.write("route.cfg", destination);
    return runBinary(dir.path(), {}, shellPrefix);
}

int openWhenRead(const fs::path& fifo) {
    for (int tries = 0; tries < 500; ++tries) {
        int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0 || errno != ENXIO) {
            return fd;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

} // namespace testing_support
