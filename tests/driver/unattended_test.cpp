// Whole runs of the binary on a real hub (net 2:460 of a real nodelist) with
// the options for unattended use: --stdout, --diff, --if-changed, --wait,
// -q and the LogFile.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "test_support.hpp"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const fs::path Nodelist =
    fs::path(SPOKEWAY_SHARED_DATA_DIR) / "nodelists" / "nodelistdb" / "nodelist.002";

const std::string Epoch = "SOURCE_DATE_EPOCH=915181500";

struct Unattended : ::testing::Test {
    ScratchDir dir;

    void SetUp() override {
        if (!fs::exists(Nodelist)) {
            GTEST_SKIP() << "real nodelist not found at " << Nodelist;
        }
        fs::copy_file(Nodelist, dir.path() / "nodelist.002");
        writeConfig("");
        dir.write("route.cfg", "head\n; begin\nold table\n; end\ntail\n");
    }
    void writeConfig(const std::string& more) {
        dir.write("pathgen.cfg", ConfigText{.minimize = "yes",
                                            .links = "Link 2:460/1 c\n",
                                            .more = "Spokeway nodelist.002 Z 2 460\n"
                                                    "DefaultRoute 2:460/1 World\n" +
                                                    more});
    }
    ProcessResult run(const std::vector<std::string>& args, const std::string& prefix = Epoch) {
        return runBinary(dir.path(), args, prefix);
    }
    // The lines of route.cfg between the marker lines.
    std::string region() const {
        const std::string text = dir.read("route.cfg");
        const std::size_t begin = text.find('\n', text.find("; begin")) + 1;
        return text.substr(begin, text.find("; end", begin) - begin);
    }
};

TEST_F(Unattended, StandardOutputIsTheRegionARunWritesAndTouchesNothing) {
    for (const std::string eol : {"\n", "\r\n"}) {
        const std::string before = "head" + eol + "; begin" + eol + "old" + eol + "; end" + eol;
        dir.write("route.cfg", before);
        ProcessResult shown = run({"--stdout"});
        EXPECT_EQ(shown.exitCode, 0);
        EXPECT_EQ(dir.read("route.cfg"), before);
        EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
        EXPECT_EQ(shown.standardOutput.find(eol == "\n" ? "\r" : "\n;\n"), std::string::npos);
        ASSERT_EQ(run({}).exitCode, 0);
        EXPECT_EQ(shown.standardOutput, region()) << "line ends " << eol.size();
    }
    // The destination's marker errors are reported as in a run.
    dir.write("route.cfg", "; begin\n");
    ProcessResult missingEnd = run({"--stdout"});
    EXPECT_EQ(missingEnd.exitCode, 1);
    EXPECT_EQ(missingEnd.standardOutput, "");
    EXPECT_NE(missingEnd.standardError.find("Missing \"RouteEnd\" in dest file."),
              std::string::npos);
}

TEST_F(Unattended, PatchTurnsTheDestinationIntoWhatARunWritesFromTheDiff) {
    ScratchDir temporary;
    ProcessResult diff =
        run({"--diff"}, Epoch + " TMPDIR=" + shellQuote(temporary.path().string()));
    EXPECT_EQ(diff.exitCode, 0);
    EXPECT_EQ(diff.standardOutput.rfind("--- route.cfg\n+++ route.cfg\n@@ -1,5 +1,", 0), 0u);
    EXPECT_TRUE(folderContents(temporary.path()).empty()) << "the private copy is removed";
    EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
    dir.write("patched.cfg", dir.read("route.cfg"));
    dir.write("diff", diff.standardOutput);
    EXPECT_EQ(runCommand("cd " + shellQuote(dir.path()) + " && patch -s patched.cfg diff").exitCode,
              0);
    ASSERT_EQ(run({}).exitCode, 0);
    EXPECT_EQ(dir.read("patched.cfg"), dir.read("route.cfg"));
    // Nothing would change: no diff.
    EXPECT_EQ(run({"--diff"}).standardOutput, "");
}

TEST_F(Unattended, IfChangedKeepsTheFileWhenOnlyTheTimeWouldChange) {
    ASSERT_EQ(run({}).exitCode, 0);
    struct stat first {};
    ASSERT_EQ(::stat(dir.file("route.cfg").c_str(), &first), 0);
    const std::string written = dir.read("route.cfg");
    ::usleep(20000);
    ProcessResult later = run({"--if-changed"}, "SOURCE_DATE_EPOCH=1700000000");
    EXPECT_EQ(later.exitCode, 5);
    EXPECT_TRUE(
        later.standardError.ends_with(" items.\nRouting unchanged, dest file left as it was."))
        << later.standardError;
    struct stat second {};
    ASSERT_EQ(::stat(dir.file("route.cfg").c_str(), &second), 0);
    EXPECT_EQ(second.st_ino, first.st_ino);
    EXPECT_EQ(second.st_mtim.tv_nsec, first.st_mtim.tv_nsec);
    EXPECT_EQ(dir.read("route.cfg"), written);
    EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
    // As a diff: no hunk for the time line alone, and the same exit status.
    ProcessResult diff = run({"--diff", "--if-changed", "-q"}, "SOURCE_DATE_EPOCH=1700000000");
    EXPECT_EQ(diff.exitCode, 5);
    EXPECT_EQ(diff.standardOutput + diff.standardError, "");
    // A real change replaces it.
    writeConfig("Link 2:460/2 h\n");
    EXPECT_EQ(run({"--if-changed"}).exitCode, 0);
    EXPECT_NE(dir.read("route.cfg"), written);
}

// The peak memory (kB) of a run of the binary in `folder` with `args`.
long peakKilobytes(const fs::path& folder, const char* arg) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::chdir(folder.c_str()) != 0 || ::setenv("SOURCE_DATE_EPOCH", "915181500", 1) != 0 ||
            ::freopen("/dev/null", "w", stderr) == nullptr) {
            ::_exit(100);
        }
        ::execl(SPOKEWAY_BINARY, SPOKEWAY_BINARY, arg, static_cast<char*>(nullptr));
        ::_exit(101);
    }
    int status = 0;
    struct rusage usage {};
    return child > 0 && ::wait4(child, &status, 0, &usage) == child ? usage.ru_maxrss : -1;
}

TEST_F(Unattended, IfChangedComparesAsItReads) {
    // A destination of 40 MB: held whole, the two files would take 80 MB.
    dir.write("route.cfg", "head\n; begin\n; end\n" + std::string(40 << 20, 't') + "\n");
    const long plain = peakKilobytes(dir.path(), "-q");
    const long compared = peakKilobytes(dir.path(), "--if-changed");
    ASSERT_GT(plain, 0);
    EXPECT_LT(static_cast<double>(compared) / static_cast<double>(plain), 1.5)
        << plain << " kB, with --if-changed " << compared << " kB";
}

TEST_F(Unattended, ASourceDateEpochTheHeaderCannotShowIsRefused) {
    const std::string before = dir.read("route.cfg");
    for (const std::string value :
         {"99999999999999999", "1234567890123456789", "12345678901234567890", "-1", "1e9", "12a"}) {
        SCOPED_TRACE(value);
        ProcessResult result = run({}, "SOURCE_DATE_EPOCH=" + value);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.standardError,
                  Title + "\nSOURCE_DATE_EPOCH \"" + value + "\" is no time the header can show.");
        EXPECT_EQ(dir.read("route.cfg"), before);
    }
}

TEST_F(Unattended, QuietRunsPrintOnlyWhatNeedsAttention) {
    ProcessResult quiet = run({"-q"});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.standardError + quiet.standardOutput, "");
    // An error that continues a progress line keeps that line.
    writeConfig("RouteFile missing.txt\n");
    ProcessResult failed = run({"--quiet"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.standardError, "pathgen.cfg 10: Cannot open file.\n");
}

TEST_F(Unattended, TheLogGrowsByAppendingWithOneLinePerEvent) {
    writeConfig("LogFile spokeway.log\n");
    ASSERT_EQ(run({}).exitCode, 0);
    const std::string first = dir.read("spokeway.log");
    writeConfig("LogFile spokeway.log\nRouteFile missing.txt\n");
    ASSERT_EQ(run({"-q"}).exitCode, 1);
    const std::string both = dir.read("spokeway.log");
    EXPECT_EQ(both.substr(0, first.size()), first);
    EXPECT_EQ(both.find('\b'), std::string::npos);
    std::istringstream lines(both);
    std::vector<std::string> texts;
    const std::regex form(R"([+*!] \d\d [A-Z][a-z]{2} \d\d:\d\d:\d\d SPKW (.+))");
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, form)) << line;
        texts.push_back(line.substr(0, 2) + match[1].str());
    }
    const std::vector<std::string> expected = {
        "+ " + Title.substr(0, Title.size() - 1),
        "+ Begin, config pathgen.cfg",
        "+ Scanning config file...",
        "+ Scanning nodelist nodelist.002 for 2:460 spokeway...",
        "+ Adjusting routing...",
        "+ Writing routing..."};
    ASSERT_GE(texts.size(), expected.size() + 3);
    EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + 6), expected);
    const std::size_t firstRun =
        static_cast<std::size_t>(std::count(first.begin(), first.end(), '\n'));
    EXPECT_EQ(texts[firstRun - 2].rfind("+ Done! Total of ", 0), 0u);
    EXPECT_EQ(texts[firstRun - 1], "+ End, exit status 0");
    EXPECT_EQ(texts.back(), "! End, exit status 1");
    EXPECT_EQ(texts[texts.size() - 2],
              "! pathgen.cfg 11: Cannot open file. (missing.txt: No such file or directory)");
    // The runs that write nothing neither make the log nor add to it.
    for (const bool exists : {true, false}) {
        if (!exists) {
            fs::remove(dir.path() / "spokeway.log");
        }
        for (const char* mode : {"--check", "--stdout", "--diff", "--explain=2:460/1", "--graph"}) {
            SCOPED_TRACE(mode);
            run({mode});
            EXPECT_EQ(dir.exists("spokeway.log") ? dir.read("spokeway.log") : "",
                      exists ? both : "");
        }
    }
    // A log whose last line was cut (a full disk) goes on on a new line.
    dir.write("spokeway.log", "+ 07 Dec 13:01:36 SPKW Scanning conf");
    writeConfig("LogFile spokeway.log\n");
    ASSERT_EQ(run({"-q"}).exitCode, 0);
    EXPECT_EQ(dir.read("spokeway.log").rfind("+ 07 Dec 13:01:36 SPKW Scanning conf\n+ ", 0), 0u);
    // A log that cannot be opened is reported once and does not fail the run.
    writeConfig("LogFile no-such-folder/spokeway.log\n");
    ProcessResult unlogged = run({"-q"});
    EXPECT_EQ(unlogged.exitCode, 0);
    EXPECT_EQ(unlogged.standardError,
              "Cannot write log file no-such-folder/spokeway.log (No such file or directory).\n");
}

TEST_F(Unattended, ABoundedWaitGivesUpAndLeavesTheDestination) {
    const std::string before = dir.read("route.cfg");
    const int folder = holdRunLock(dir.path());
    ASSERT_GE(folder, 0);
    ProcessResult waited = run({"--wait=1"});
    ::close(folder);
    EXPECT_EQ(waited.exitCode, 6);
    EXPECT_TRUE(waited.standardError.ends_with(
        "\nWaiting for the run that holds route.cfg...\nGave up waiting for the run that holds "
        "route.cfg."))
        << waited.standardError;
    EXPECT_EQ(dir.read("route.cfg"), before);
    EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
    EXPECT_EQ(run({"--wait=1"}).exitCode, 0);
}

TEST_F(Unattended, AWaitIsShownWhileItLasts) {
    // Not inherited by the run: the lock goes with the close below.
    const int folder = holdRunLock(dir.path());
    ASSERT_GE(folder, 0);
    const std::string command = "cd " + shellQuote(dir.path().string()) + " && " + Epoch + " " +
                                shellQuote(SPOKEWAY_BINARY) +
                                " --wait=60 2>errors >/dev/null; echo $? >status";
    ASSERT_EQ(std::system(("(" + command + ") </dev/null &").c_str()), 0);
    auto waitFor = [&](const std::string& file, const std::string& text) {
        for (int k = 0; k < 400 && !(dir.exists(file) && dir.read(file).ends_with(text)); ++k) {
            ::usleep(50000);
        }
        return dir.exists(file) ? dir.read(file) : "";
    };
    const std::string waiting = "\nWaiting for the run that holds route.cfg...";
    EXPECT_TRUE(waitFor("errors", waiting).ends_with(waiting));
    ::close(folder);
    EXPECT_EQ(waitFor("status", "\n"), "0\n");
}

} // namespace

namespace {

// The line of the operators' guide that begins with `start` (blanks before
// it left out) and holds `holding`, without `start`.
std::string guideLine(const std::string& start, const std::string& holding = "") {
    std::istringstream lines(readFile(fs::path(SPOKEWAY_SOURCE_DIR) / "doc" / "guide.md"));
    for (std::string line; std::getline(lines, line);) {
        const std::size_t at = line.find_first_not_of(' ');
        if (at != std::string::npos && line.compare(at, start.size(), start) == 0 &&
            line.find(holding) != std::string::npos) {
            return line.substr(at + start.size());
        }
    }
    ADD_FAILURE() << "the guide has no line beginning with " << start;
    return "";
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

} // namespace

// The guide's crontab line and systemd service as written (their folders moved
// into a scratch folder, makemap a stand-in that notes its calls) on the hub
// 2:5020/52, whose trust file re-routes and whose nodelist routes downlinks
// without Link lines via it: a clean run prints nothing, a refusal its reasons.
TEST(UnattendedCommands, TheGuidesCronLineAndServicePrintOnlyWhatNeedsAttention) {
    const fs::path world =
        fs::path(SPOKEWAY_SHARED_DATA_DIR) / "nodelists" / "fidonet-nodepatch" / "nodelist.362";
    if (!fs::exists(world)) {
        GTEST_SKIP() << "real nodelist not found at " << world;
    }
    const std::string cron = guideLine("30 4 * * *  ", "--strict");
    const std::string service =
        "cd " + guideLine("WorkingDirectory=") + " && " + guideLine("ExecStart=");
    struct Row {
        const char* what;
        std::string command;
        std::string configChange{}; // a line added to the configuration
        bool noTrustFile = false;
        int exitCode = 0;
        std::string standardError{}; // "CFG" stands for the configuration's path
        int makemapCalls = 1;
    };
    const std::string hold =
        "CFG:12: warning: the flavour \"hold\" of link 2:5020/86 is not flavour letters alone "
        "(c, d, h, n, f, a): every one of its letters counts (a comment starts with \";\")\n";
    const std::string noTrust = "CFG 10: Cannot open file.\nCFG:10: error: cannot read the trust "
                                "file \"trust.txt\": No such file or directory\n";
    const Row rows[] = {
        {.what = "cron, clean", .command = cron},
        {.what = "service, clean", .command = service},
        {.what = "cron, a warning",
         .command = cron,
         .configChange = "Link 2:5020/86 hold\n",
         .exitCode = 4,
         .standardError = hold,
         .makemapCalls = 0},
        {.what = "service, a warning",
         .command = service,
         .configChange = "Link 2:5020/86 hold\n",
         .exitCode = 4,
         .standardError = hold,
         .makemapCalls = 0},
        {.what = "cron, an error",
         .command = cron,
         .noTrustFile = true,
         .exitCode = 1,
         .standardError = noTrust,
         .makemapCalls = 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ScratchDir dir;
        const std::string routing = (dir.path() / "routing").string();
        const std::string table = (dir.path() / "mail" / "mailertable").string();
        fs::create_directories(dir.path() / "routing");
        fs::create_directories(dir.path() / "mail");
        fs::create_directories(dir.path() / "bin");
        fs::create_symlink(SPOKEWAY_BINARY, dir.path() / "bin" / "spokeway");
        dir.write("bin/makemap", "#!/bin/sh\necho \"$*\" >>" + shellQuote(dir.file("makemap")) +
                                     "\ncat >/dev/null\n");
        fs::permissions(dir.path() / "bin" / "makemap", fs::perms::owner_all);
        dir.write("mail/mailertable", "# begin\n# end\n");
        dir.write("routing/pathgen.cfg",
                  "Address 2:5020/52\nRouteType ifmail\nMinimize yes\n"
                  "WriteTo " +
                      table +
                      "\nRouteBegin \"# begin\"\n"
                      "RouteEnd \"# end\"\nLink 2:5020/146 d\n"
                      "Link 2:5020/70 c\nSpokeway nodelist.362 z 2 5020\n"
                      "TrustFile trust.txt\nDefaultRoute 2:5020/146 World\n" +
                      row.configChange);
        if (!row.noTrustFile) {
            dir.write("routing/trust.txt", "2:5020/57 2:5020/70\n2:5020/8 2:5020/70\n");
        }
        fs::copy_file(world, dir.path() / "routing" / "nodelist.362");
        const std::string command = replaced(replaced(row.command, "/etc/ftn/routing", routing),
                                             "/etc/mail/mailertable", table);
        // Standard output and error together: neither command prints to standard output.
        CommandResult result = runCommand("export PATH=" + shellQuote(dir.file("bin")) + ":$PATH " +
                                          Epoch + "; " + command);
        EXPECT_EQ(result.exitCode, row.exitCode);
        EXPECT_EQ(result.output, replaced(row.standardError, "CFG", routing + "/pathgen.cfg"));
        EXPECT_EQ(dir.exists("makemap") ? dir.read("makemap") : "",
                  row.makemapCalls == 0 ? "" : "hash " + table + "\n");
        if (row.exitCode == 0) {
            // Unchanged: exit status 5, which the service counts a success, and silence.
            CommandResult again = runCommand("export PATH=" + shellQuote(dir.file("bin")) +
                                             ":$PATH SOURCE_DATE_EPOCH=1700000000; " + command);
            EXPECT_EQ(again.exitCode, 5);
            EXPECT_EQ(again.output, "");
            // What the quiet runs left out: re-routings and downlinks without Link lines.
            ProcessResult loud = runBinary(dir.path() / "routing", {"--stdout"});
            EXPECT_NE(loud.standardError.find("Re-routing for  2:5020/57."), std::string::npos);
            EXPECT_NE(loud.standardError.find(" is routed via us, but missing in"),
                      std::string::npos);
        } else {
            EXPECT_EQ(dir.read("mail/mailertable"), "# begin\n# end\n");
        }
    }
}
