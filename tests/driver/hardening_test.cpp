// What damaged or hostile input, a file system that refuses writes and a
// second run at the same time do to a run of the real binary: every case
// checks the whole console text, the exit code, and that the destination is
// either byte for byte as it was or byte for byte the right new file.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <pwd.h>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "test_support.hpp"

using namespace testing_support;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

std::string tagged(int line, const std::string& message) {
    return "\npathgen.cfg " + std::to_string(line) + ": " + message;
}

// The ifmail (sendmail mailer table) frame around the lines of each pass,
// for the main address 2:460/10 unless given, with nothing unrouted.
std::string ifmailTable(const std::string& nodes, const std::string& nets = "",
                        const std::string& zones = "", const std::string& world = "",
                        const std::string& main = "2:460/10") {
    return tableHeader('#', "sendmail", main) + "# *** Nodes\n" + nodes + "# *** Nets\n" + nets +
           "# *** Zones\n" + zones + "# *** Default\n" + world + reportHeading('#');
}

// The two mailer table lines of a node reached through `target` with the
// flavour letter `flavour`.
std::string ifmailNode(const std::string& host, const std::string& target, char flavour) {
    const std::string to = "\tifmail-"s + flavour + ":" + target + ".fidonet.org\n";
    return host + ".fidonet.org" + to + "." + host + ".fidonet.org" + to;
}

// Reproducible bytes from the whole range, except those in `excluded`.
class Garbage {
  public:
    explicit Garbage(unsigned seed) : random_(seed) {}

    std::string bytes(std::size_t size, std::string_view excluded = "\x1A") {
        std::string text;
        text.reserve(size);
        while (text.size() < size) {
            text += byte(excluded);
        }
        return text;
    }
    // One line of `size` bytes and a line feed: no line feed or Ctrl-Z inside,
    // and a first byte that is none of `notFirst`.
    std::string line(std::size_t size, std::string_view notFirst = "") {
        std::string text(1, byte(std::string(notFirst) + "\n\x1A"));
        return text + bytes(size - 1, "\n\x1A") + "\n";
    }

  private:
    char byte(std::string_view excluded) {
        for (;;) {
            const char c = static_cast<char>(random_() & 0xFF);
            if (excluded.find(c) == std::string_view::npos) {
                return c;
            }
        }
    }
    std::mt19937 random_;
};

// A printable excerpt of a text around `at`, for failure messages.
std::string excerpt(const std::string& text, std::size_t at) {
    std::string shown;
    for (std::size_t i = at < 20 ? 0 : at - 20; i < text.size() && i < at + 40; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F) {
            shown += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            shown += hex;
        }
    }
    return shown;
}

// Compares texts of any size without printing megabytes when they differ.
::testing::AssertionResult sameBytes(const std::string& actual, const std::string& expected) {
    if (actual == expected) {
        return ::testing::AssertionSuccess();
    }
    std::size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) {
        ++at;
    }
    return ::testing::AssertionFailure()
           << "sizes " << actual.size() << " and " << expected.size() << " differ from byte " << at
           << ":\n  actual:   " << excerpt(actual, at) << "\n  expected: " << excerpt(expected, at);
}

const std::string Before = "a\n; begin\nold\n; end\nb\n";
const std::string Head = "a\n; begin\n";

// The shell words that run the binary as a user whom permission bits bind:
// nothing when this process is not root, else setpriv to the user nobody.
// Empty when neither can be done here.
std::optional<std::string> unprivilegedPrefix() {
    static const std::optional<std::string> prefix = []() -> std::optional<std::string> {
        if (::geteuid() != 0) {
            return std::string();
        }
        const struct passwd* nobody = ::getpwnam("nobody");
        if (nobody == nullptr) {
            return std::nullopt;
        }
        std::string words = "setpriv --reuid=" + std::to_string(nobody->pw_uid) +
                            " --regid=" + std::to_string(nobody->pw_gid) + " --clear-groups";
        ScratchDir probe;
        fs::permissions(probe.path(), fs::perms(0755));
        ProcessResult result = runBinary(probe.path(), {"?"}, words);
        if (result.exitCode != 0 || result.standardError != Title + "\nUsage: Route [config]\n") {
            return std::nullopt;
        }
        return words;
    }();
    return prefix;
}

#define REQUIRE_UNPRIVILEGED_RUNS(prefix)                                                          \
    const std::optional<std::string> prefix = unprivilegedPrefix();                                \
    if (!prefix) {                                                                                 \
        GTEST_SKIP() << "running as root, and the program cannot be run as the user nobody "       \
                        "(setpriv missing or the build not reachable for that user)";              \
    }

struct Hardening : BinaryRuns {};

// ---- the destination outside the routing region ----

TEST_F(Hardening, EveryByteOutsideTheRegionSurvives) {
    Garbage garbage(1);
    struct Case {
        const char* what;
        std::string markers;
        std::string before;
        std::string after;
    };
    const std::string head = "plain\n"
                             "nul\0in\0line\n"s +
                             std::string(70000, 'h') + "\n" +
                             "cr\ronly\rline\n"
                             "crlf\r\n"
                             "\r\n"
                             "\n"
                             "non-ascii \x80\xFF\xC3\xA9\xE2\x82\xAC\n"
                             "; end before the begin\n"
                             " ; begin indented\n" +
                             garbage.bytes(1000000) + "\n";
    const std::string tail = std::string(45000, 't') + "\n" + "\0\0\n"s + "\xFE\xFD\r\n" +
                             garbage.bytes(1000000) + "\ncr\rlast line without a line feed";
    const Case cases[] = {
        {"long lines in every place, the begin line whole, the end line dropped whole",
         markerLines(),
         head + "; begin" + std::string(40000, 'b') + "\n" + "old\n" + std::string(50000, 'o') +
             "\n" + "; end" + std::string(60000, 'e') + "\0\n"s + tail,
         head + "; begin" + std::string(40000, 'b') + "\n" + emptySquishTable() + "; end\n" + tail},
        {"a long begin line whose carriage return and line feed fall in different reads",
         markerLines(), "; begin" + std::string(29990, 'b') + "\r\nold\r\n; end\r\nafter\r\n",
         "; begin" + std::string(29990, 'b') + "\r\n" + emptySquishTable("2:460/10", "\r\n") +
             "; end\r\nafter\r\n"},
        {"a long begin line whose second read starts like the end marker", markerLines(),
         "; begin" + std::string(29991, 'b') + "; end of a piece\nold\n; end\ntail\n",
         "; begin" + std::string(29991, 'b') + "; end of a piece\n" + emptySquishTable() +
             "; end\ntail\n"},
        {"a long first line stays whole before the region", markerLines(),
         std::string(35000, 'f') + "\n; begin\nold\n; end\nsecond\n",
         std::string(35000, 'f') + "\n; begin\n" + emptySquishTable() + "; end\nsecond\n"},
        {"an end marker line without a line feed at the end of the file", markerLines(),
         "a\n; begin\nold\n; end", "a\n; begin\n" + emptySquishTable() + "; end\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProcessResult result = run(ConfigText{.markers = c.markers}, c.before);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.standardError, Banner + Writing + done(0, 0));
        EXPECT_TRUE(sameBytes(destination(), c.after));
        EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
    }
}

// ---- two runs at once ----

TEST_F(Hardening, ARunWaitsForTheFolderLockAndReadsWhatTheHolderWrote) {
    // This test holds the folder's lock, as a first run would, and replaces
    // the destination while the run waits; a run that read the destination
    // before it had the lock would bring the old file back.
    dir.write("pathgen.cfg", ConfigText{});
    dir.write("route.cfg", Before);
    const int folder = holdRunLock(dir.path());
    ASSERT_GE(folder, 0);

    ProcessResult result;
    std::atomic<bool> finished{false};
    std::thread program([&] {
        result = runBinary(dir.path(), {});
        finished = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_FALSE(finished) << "the run did not wait for the lock";
    dir.write("new.cfg", "new head\n; begin\nnew\n; end\nnew tail\n");
    fs::rename(dir.path() / "new.cfg", dir.path() / "route.cfg");
    ::close(folder);
    program.join();

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.standardError, Banner + Writing + done(0, 0));
    EXPECT_EQ(destination(), "new head\n; begin\n" + emptySquishTable() + "; end\nnew tail\n");
    EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
}

// Twenty runs at once into one folder, as a scheduler may start them: each
// destination ends as a whole file that one of its runs wrote. In a folder
// that cannot be opened for reading no lock can be had, and every run must
// refuse and leave the files alone.
TEST_F(Hardening, ManyRunsAtOnceLeaveWholeFilesOnly) {
    REQUIRE_UNPRIVILEGED_RUNS(prefix);
    const std::string tail = std::string(300000, 't') + "\n";
    struct Case {
        const char* what;
        int destinations;
        fs::perms folder;
    };
    const Case cases[] = {
        {"one destination", 1, fs::perms(01777)},
        {"four destinations", 4, fs::perms(01777)},
        {"one destination, folder unreadable", 1, fs::perms(0333)},
        {"four destinations, folder unreadable", 4, fs::perms(0333)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir folder;
        const bool locked = (c.folder & fs::perms::owner_read) != fs::perms::none;
        const int runs = 20;
        for (int k = 0; k < runs; ++k) {
            const std::string name = "run" + std::to_string(k) + ".cfg";
            writeFile(folder.path() / name,
                      ConfigText{.main = "2:460/" + std::to_string(100 + k),
                                 .writeTo = "route" + std::to_string(k % c.destinations) + ".cfg"});
            fs::permissions(folder.path() / name, fs::perms(0644));
        }
        for (int d = 0; d < c.destinations; ++d) {
            const std::string name = "route" + std::to_string(d) + ".cfg";
            writeFile(folder.path() / name, Before + tail);
            fs::permissions(folder.path() / name, fs::perms(0666));
            // The runs' own, as a sticky folder lets only its owner replace it.
            if (const struct passwd* nobody = ::getpwnam("nobody"); ::geteuid() == 0 && nobody) {
                ASSERT_EQ(::chown((folder.path() / name).c_str(), nobody->pw_uid, nobody->pw_gid),
                          0);
            }
        }
        fs::permissions(folder.path(), c.folder);

        std::vector<ProcessResult> results(runs);
        std::vector<std::thread> threads;
        for (int k = 0; k < runs; ++k) {
            threads.emplace_back([&, k] {
                results[k] =
                    runBinary(folder.path(), {"run" + std::to_string(k) + ".cfg"}, *prefix);
            });
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
        fs::permissions(folder.path(), fs::perms::owner_all, fs::perm_options::add);

        for (int k = 0; k < runs; ++k) {
            EXPECT_EQ(results[k].exitCode, locked ? 0 : 1) << "run " << k;
            EXPECT_EQ(results[k].standardError, locked ? Banner + Writing + done(0, 0)
                                                       : Banner + "\nCannot lock dest folder.")
                << "run " << k;
        }
        for (int d = 0; d < c.destinations; ++d) {
            const std::string content =
                withFixedTime(readFile(folder.path() / ("route" + std::to_string(d) + ".cfg")));
            bool whole = !locked && content == Before + tail;
            for (int k = d; locked && k < runs; k += c.destinations) {
                const std::string main = "2:460/" + std::to_string(100 + k);
                whole = whole || content == Head + emptySquishTable(main) + "; end\nb\n" + tail;
            }
            EXPECT_TRUE(whole) << "destination " << d << " holds " << content.size() << " bytes";
        }
        EXPECT_FALSE(fs::exists(folder.path() / "PG$TABLE.$$$"));
    }
}

TEST_F(Hardening, AStandardErrorNobodyReadsNeitherStopsNorFailsTheRun) {
    // As in "spokeway 2>&1 | head -c 0": the reader is gone before the
    // first message.
    dir.write("pathgen.cfg", ConfigText{});
    dir.write("route.cfg", Before);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ::close(pipeEnds[0]);
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGPIPE, SIG_DFL);
        ::dup2(pipeEnds[1], 2);
        if (::chdir(dir.path().c_str()) == 0) {
            ::execl(SPOKEWAY_BINARY, SPOKEWAY_BINARY, static_cast<char*>(nullptr));
        }
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(destination(), Head + emptySquishTable() + "; end\nb\n");
    EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
}

// ---- bad input ----

TEST_F(Hardening, GarbageInTheConfigurationIsPassedOverOrRefused) {
    Garbage garbage(2);
    // Lines of random bytes are unknown words; a keyword with a NUL byte
    // after it is one word with it, and no keyword; an address reads up to
    // the NUL byte; a huge line is one blank line or one unknown word.
    std::string configText = garbage.bytes(1000000) + "\n" + "RouteType\0ifmail\n"s +
                             "Minimize\0yes\n"s + std::string(1000000, ' ') + "\n" +
                             std::string(1000000, 'x') + "\n" + std::string(500000, '\0') + "\n" +
                             ConfigText{}.text() + "Address 2:460/11\0junk\n"s +
                             garbage.bytes(500000);
    ProcessResult result = run(configText, Before);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.standardError, Banner + Writing + done(0, 0));
    EXPECT_EQ(destination(), Head + emptySquishTable() + "; end\nb\n");

    // Nothing but random bytes, or NUL bytes, gives no main address.
    for (const std::string& text : {garbage.bytes(2000000), std::string(1000000, '\0')}) {
        result = run(text, Before);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.standardError, Banner + "\nMissing or illegal main address.");
        EXPECT_EQ(dir.read("route.cfg"), Before);
        EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
    }
}

TEST_F(Hardening, GarbageInRouteFilesTrustFilesAndNodelists) {
    Garbage garbage(3);
    // Without digits, '*', ':', '/' and the letters that start "All" and
    // "World", every word of a route or trust line reads as node 0 of the
    // main address's net: a route file of such lines only names 2:460/0
    // as a via node, and a trust file of them lists no link.
    const std::string noAddressParts = "0123456789*:/aAwW\x1A";
    dir.write("routes.bin", garbage.bytes(1000000, noAddressParts));
    dir.write("trust.bin", garbage.bytes(1000000, noAddressParts));
    // A nodelist of random lines has no Host line of the net.
    std::string junkList;
    for (int line = 0; line < 5000; ++line) {
        junkList += garbage.line(1 + line % 300);
    }
    dir.write("junk.ndl", junkList);
    // Random lines inside the selected net that begin like no nodelist
    // keyword are other lines; NUL bytes end a number.
    const std::string notKeyword = ",;hHpPdDzZrR";
    dir.write("net.ndl", "Zone,2\nHost,461,Net\n" + garbage.line(5000, notKeyword) + ",1,Node\n" +
                             garbage.line(20000, notKeyword) + "Hub,100\0\xFF\n"s +
                             garbage.line(100, notKeyword) + ",101\0,junk\n"s + "Host,462\n,5\n");
    ProcessResult result = run(ConfigText{.links = "Link 2:460/1 c\n",
                                          .more = "RouteFile routes.bin\n"
                                                  "Spokeway junk.ndl n 2 460\n"
                                                  "Spokeway net.ndl n 2 461\n"
                                                  "TrustFile trust.bin\n"
                                                  "DefaultRoute 2:460/1 2:461/*\n"},
                               Before);
    // 5000 lines turn the spinner 5000 / 21 = 238 times.
    std::string spinner;
    for (int turn = 0; turn < 238; ++turn) {
        spinner += "-\\|/"[turn % 4];
        spinner += '\b';
    }
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.standardError,
              Banner + "\nScanning route file routes.bin..." +
                  "\nScanning nodelist junk.ndl for 2:460 spokeway..." + spinner +
                  "\nScanning nodelist net.ndl for 2:461 spokeway..." +
                  "\nScanning route file trust.bin..." + Writing + done(1, 7));
    // The host and the hub get their default route through 2:461/*; the
    // via node 2:460/0 has none.
    EXPECT_EQ(destination(), Head + "; Squish routing for 2:460/10. Created by Spokeway generator "
                                    "1.31beta\n"
                                    ";                     Fri Jan  1 09:05:00 1999\n"
                                    ";\n"
                                    "; *** Direct links\n"
                                    ";\n"
                                    "Send Crash   1\n"
                                    ";\n"
                                    "; *** Route\n"
                                    ";\n"
                                    "; *** Nodes\n"
                                    "Route Crash             2:460/1  461/0 1 100 101\n"
                                    "; *** Nets\n"
                                    "Route Crash             2:460/1  461/All\n"
                                    "; *** Zones\n"
                                    "; *** Default\n"
                                    ";\n"
                                    "; !!! Unrouted !!!\n"
                                    "; ----------------\n"
                                    "; >>>  2:460/0\n"
                                    "; end\nb\n");
}

TEST_F(Hardening, EnormousLinesAndFilesAreReadThrough) {
    // Huge lines of blanks or of ';' are empty or comment lines, read
    // whole; thousands of repeated lines change nothing after the first.
    const std::string blanks = std::string(1000000, ' ') + "\n";
    const std::string semicolons = std::string(1000000, ';') + "\n";
    std::string routes = semicolons;
    std::string trust = blanks.substr(1);
    for (int line = 0; line < 100000; ++line) {
        routes += "2:460/1 2:461/5\n";
        trust += "2:461/6 2:460/1\n";
    }
    dir.write("routes.txt", routes + blanks);
    dir.write("trust.txt", trust);
    // 100002 short lines and one of 1.2 million characters: zone mode turns
    // the spinner on every 1001st line, 100003 / 1001 = 99 times.
    std::string nodelist =
        "Zone,2\nHost,460\nHub,100\n,101\n" + std::string(29999 * 40 - 1, ';') + "\n";
    for (int line = 0; line < 99998; ++line) {
        nodelist += line % 50 == 0 ? "Host," + std::to_string(1000 + line / 50) + "\n"
                                   : "," + std::to_string(line % 50) + "\n";
    }
    dir.write("nodelist.ndl", nodelist);
    std::string configText = semicolons + blanks +
                             ConfigText{.links = "Link 2:460/1 c\n",
                                        .more = "RouteFile routes.txt\n"
                                                "Spokeway nodelist.ndl z 2 460\n"
                                                "TrustFile trust.txt\n"
                                                "DefaultRoute 2:460/1 2:460/0 100\n"}
                                 .text() +
                             semicolons;
    ProcessResult result = run(configText, Before);
    std::string spinner;
    for (int turn = 0; turn < 99; ++turn) {
        spinner += "-\\|/"[turn % 4];
        spinner += '\b';
    }
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.standardError, Banner + "\nScanning route file routes.txt..." +
                                        "\nScanning nodelist nodelist.ndl for 2:460 spokeway..." +
                                        spinner + "\nScanning route file trust.txt..." + Writing +
                                        done(1, 6));
    EXPECT_EQ(destination(), Head + "; Squish routing for 2:460/10. Created by Spokeway generator "
                                    "1.31beta\n"
                                    ";                     Fri Jan  1 09:05:00 1999\n"
                                    ";\n"
                                    "; *** Direct links\n"
                                    ";\n"
                                    "Send Crash   1\n"
                                    ";\n"
                                    "; *** Route\n"
                                    ";\n"
                                    "; *** Nodes\n"
                                    "Route Crash             2:460/1  461/5 460/0 100 101 461/6\n"
                                    "; *** Nets\n"
                                    "; *** Zones\n"
                                    "; *** Default\n"
                                    ";\n"
                                    "; !!! Unrouted !!!\n"
                                    "; ----------------\n"
                                    "; end\nb\n");
}

TEST_F(Hardening, ADirectoryWhereAFileIsExpectedCannotBeOpened) {
    fs::create_directory(dir.path() / "folder");
    fs::create_directory(dir.path() / "NODELIST.999");
    dir.write("NODELIST.001", "Zone,2\nHost,460\n,1\n");
    // Line 7 of the configuration; the greatest numbered match of a pattern
    // is a folder, so no nodelist can be opened.
    for (const std::string line : {"RouteFile folder", "TrustFile folder",
                                   "Spokeway folder n 2 460", "Spokeway NODELIST.* n 2 460"}) {
        SCOPED_TRACE(line);
        ProcessResult result = run(ConfigText{.more = line + "\n"}, Before);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.standardError, Banner + tagged(7, "Cannot open file."));
        EXPECT_EQ(dir.read("route.cfg"), Before);
        // As after any run stopped after WriteTo.
        EXPECT_EQ(dir.read("PG$TABLE.$$$"), Head);
    }
}

TEST_F(Hardening, ANameWithANulByteNamesNoFile) {
    // No file name can hold a NUL byte: cut there, "route.cfg\0/" would
    // name the destination as the folder of the temporary file, which
    // would then stand in the destination's place.
    dir.write("routes.txt", "2:460/1 2\n");
    const std::string unended = "a\n; begin\nold\n";
    ProcessResult result = run(ConfigText{.writeTo = "route.cfg\0/"s}, unended);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.standardError, Banner + "\nCannot open dest file.");
    EXPECT_EQ(dir.read("route.cfg"), unended);
    EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));

    for (const std::string& line : {"RouteFile routes.txt\0x"s, "TrustFile routes.txt\0x"s}) {
        result = run(ConfigText{.more = line + "\n"}, Before);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.standardError, Banner + tagged(7, "Cannot open file."));
        EXPECT_EQ(dir.read("route.cfg"), Before);
    }
}

TEST_F(Hardening, UnreadableFilesStopTheRunWithTheirMessage) {
    REQUIRE_UNPRIVILEGED_RUNS(prefix);
    struct Case {
        const char* what;
        std::string line;
        std::string messages;
    };
    const Case cases[] = {
        {"configuration", "", Title + "\nCannot open config file."},
        {"destination", "", Banner + "\nCannot open dest file."},
        {"route file", "RouteFile secret.txt", Banner + tagged(7, "Cannot open file.")},
        {"trust file", "TrustFile secret.txt", Banner + tagged(7, "Cannot open file.")},
        {"nodelist", "Spokeway secret.txt n 2 460", Banner + tagged(7, "Cannot open file.")},
        {"unlistable nodelist folder", "Spokeway closed/NODELIST.* n 2 460",
         Banner + tagged(7, "Cannot open file.")},
        {"unreadable greatest match", "Spokeway NODELIST.* n 2 460",
         Banner + tagged(7, "Cannot open file.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir folder;
        // The temporary file may be made (sticky: a folder every user may
        // write is refused otherwise).
        fs::permissions(folder.path(), fs::perms::all | fs::perms::sticky_bit);
        const std::string what = c.what;
        writeFile(folder.path() / "pathgen.cfg",
                  ConfigText{.more = c.line.empty() ? "" : c.line + "\n"});
        writeFile(folder.path() / "route.cfg", Before);
        writeFile(folder.path() / "secret.txt", "2:460/1 2\n");
        writeFile(folder.path() / "NODELIST.001", "Zone,2\nHost,460\n,1\n");
        writeFile(folder.path() / "NODELIST.002", "Zone,2\nHost,460\n,2\n");
        writeFile(folder.path() / "closed/NODELIST.001", "Zone,2\nHost,460\n,1\n");
        for (const char* name : {"pathgen.cfg", "route.cfg", "secret.txt", "NODELIST.001",
                                 "NODELIST.002", "closed/NODELIST.001"}) {
            fs::permissions(folder.path() / name, fs::perms(0644));
        }
        // Nobody may read these, nor list the folder "closed".
        fs::permissions(folder.path() / "closed", fs::perms(0311));
        fs::permissions(folder.path() / "secret.txt", fs::perms::none);
        fs::permissions(folder.path() / "NODELIST.002", fs::perms::none);
        if (what == "configuration") {
            fs::permissions(folder.path() / "pathgen.cfg", fs::perms::none);
        }
        if (what == "destination") {
            fs::permissions(folder.path() / "route.cfg", fs::perms::none);
        }

        ProcessResult result = runBinary(folder.path(), {}, *prefix);

        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.standardError, c.messages);
        EXPECT_EQ(readFile(folder.path() / "route.cfg"), Before);
        const bool pastWriteTo = !c.line.empty();
        EXPECT_EQ(fs::exists(folder.path() / "PG$TABLE.$$$"), pastWriteTo);
        if (pastWriteTo) {
            EXPECT_EQ(readFile(folder.path() / "PG$TABLE.$$$"), Head);
        }
    }
}

TEST_F(Hardening, AFileThatFailsWhileBeingReadStopsTheRun) {
    // The process's own memory file opens like a regular file, and reading
    // it from offset 0 fails.
    const std::string failing = "/proc/self/mem";
    struct stat info {};
    if (::stat(failing.c_str(), &info) != 0) {
        GTEST_SKIP() << failing << " is not there to fail a read";
    }
    struct Case {
        std::string line;
        std::string messages;
    };
    const Case cases[] = {
        {"RouteFile " + failing,
         Banner + "\nScanning route file " + failing + "..." + tagged(7, "Cannot open file.")},
        {"TrustFile " + failing,
         Banner + "\nScanning route file " + failing + "..." + tagged(7, "Cannot open file.")},
        {"Spokeway " + failing + " n 2 460", Banner + "\nScanning nodelist " + failing +
                                                 " for 2:460 spokeway..." +
                                                 tagged(7, "Cannot open file.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ProcessResult result = run(ConfigText{.more = c.line + "\n"}, Before);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.standardError, c.messages);
        EXPECT_EQ(dir.read("route.cfg"), Before);
        EXPECT_EQ(dir.read("PG$TABLE.$$$"), Head);
    }
    fs::remove(dir.path() / "PG$TABLE.$$$");
    ProcessResult result = runBinary(dir.path(), {failing});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.standardError, Banner + "\nCannot open config file.");
    EXPECT_EQ(dir.read("route.cfg"), Before);
    EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
}

TEST_F(Hardening, NumbersPastTheirRangeWrapAround) {
    // Address parts are taken modulo 65536, and 65535 is the wildcard;
    // nodelist numbers keep their low 16 bits; a nodelist's extension is a
    // whole number that does not wrap, so 131074 is the greatest.
    for (const char* name : {"nodelist.40000", "nodelist.99999", "nodelist.-200000"}) {
        dir.write(name, "Host,460\n,1\n");
    }
    dir.write("nodelist.131074", "Zone,2\n"
                                 "Host,70000,Net\n"
                                 ",65547,Node\n"
                                 "Hub,65636\n"
                                 ",65637\n"
                                 ",4294967398\n");
    dir.write("routes.txt", "2:4464/1 2:4464/65548 12345678901234567890\n");
    ProcessResult result = run(ConfigText{.main = "2:70000/65546",
                                          .routeType = "ifmail",
                                          .links = "Link 2:4464/65537 c\n",
                                          .more = "RouteFile routes.txt\n"
                                                  "Spokeway nodelist.* n 65538 70000\n"
                                                  "DefaultRoute 2:70000/65537 65636 65536 65535\n"},
                               Before);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.standardError,
              Banner + "\nScanning route file routes.txt..." +
                  "\nScanning nodelist nodelist.131074 for 2:4464 spokeway..." + Writing +
                  done(1, 9));
    const std::string link = "f1.n4464.z2";
    EXPECT_EQ(
        destination(),
        Head +
            ifmailTable(
                ifmailNode(link, link, 'c') + ifmailNode("f12.n4464.z2", link, 'c') +
                    ifmailNode("f2770.n4464.z2", link, 'c') + ifmailNode("f0.n4464.z2", link, 'c') +
                    ifmailNode("f11.n4464.z2", link, 'c') + ifmailNode("f100.n4464.z2", link, 'c') +
                    ifmailNode("f101.n4464.z2", link, 'c') + ifmailNode("f102.n4464.z2", link, 'c'),
                ".n4464.z2.fidonet.org\tifmail-c:f1.n4464.z2.fidonet.org\n", "", "", "2:4464/10") +
            "; end\nb\n");
}

TEST_F(Hardening, ANodelistPatternOverThousandsOfFilesPicksTheGreatestNumber) {
    fs::create_directory(dir.path() / "lists");
    for (int number = 1; number <= 3000; ++number) {
        dir.write("lists/NODELIST." + std::to_string(number), "");
    }
    for (const char* name :
         {"lists/NODELIST", "lists/NODELIST.ZIP", "lists/NODELIST.-32768", "lists/OTHER.9999"}) {
        dir.write(name, "Host,460\n,1\n");
    }
    dir.write("lists/NODELIST.32768", "Zone,2\nHost,460\n,7\n");
    ProcessResult result = run(ConfigText{.routeType = "ifmail",
                                          .links = "Link 2:460/1 c\n",
                                          .more = "Spokeway lists/NODELIST.* z 2 460\n"
                                                  "DefaultRoute 2:460/1 2:460/0\n"},
                               Before);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.standardError,
              Banner + "\nScanning nodelist lists/NODELIST.32768 for 2:460 spokeway..." + Writing +
                  done(1, 3));
    const std::string link = "f1.n460.z2";
    EXPECT_EQ(destination(),
              Head +
                  ifmailTable(ifmailNode(link, link, 'c') + ifmailNode("f0.n460.z2", link, 'c') +
                              ifmailNode("f7.n460.z2", link, 'c')) +
                  "; end\nb\n");
}

TEST_F(Hardening, AChainThroughEveryItemIsShortenedQuickly) {
    // The link, the world entry and 65532 nodes: 65534 items, the most there
    // may be. Each node is routed via the one before it, the first via the
    // link, so every chain is shortened to the link; then the world entry
    // via the same link covers every node. The chain is built both ways
    // round: the far end first in the table, and the near end first.
    auto node = [](int k) {
        return "2:" + std::to_string(1000 + k / 1000) + "/" + std::to_string(k % 1000);
    };
    const int nodes = 65532;
    std::string nearFirst = "2:460/1 World\n2:460/1 " + node(1) + "\n";
    for (int k = 2; k <= nodes; ++k) {
        nearFirst += node(k - 1) + " " + node(k) + "\n";
    }
    std::string farFirst = "2:460/1 World\n";
    for (int k = 1; k < nodes; ++k) {
        farFirst += node(k + 1) + " " + node(k) + "\n";
    }
    farFirst += "2:460/1 " + node(nodes) + "\n";
    const std::string link = "f1.n460.z2";
    for (const std::string& routes : {nearFirst, farFirst}) {
        dir.write("chain.txt", routes);
        const auto start = std::chrono::steady_clock::now();
        ProcessResult result = run(ConfigText{.routeType = "ifmail",
                                              .minimize = "yes",
                                              .links = "Link 2:460/1 c\n",
                                              .more = "RouteFile chain.txt\n"},
                                   Before);
        const auto seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.standardError,
                  Banner + "\nScanning route file chain.txt..." + Writing + done(1, 65534));
        EXPECT_EQ(destination(),
                  Head +
                      ifmailTable(ifmailNode(link, link, 'c'), "", "",
                                  ".fidonet.org\tifmail-c:f1.n460.z2.fidonet.org\n") +
                      "; end\nb\n");
        EXPECT_LT(seconds.count(), 10.0);
    }
}

// ---- faults of the file system ----

TEST_F(Hardening, WritesPastAFileSizeLimitLeaveTheDestination) {
    // The limit is 100 blocks (of 512 or 1024 bytes, as the shell counts);
    // the temporary file outgrows it while the head is copied (which stops
    // at once), while the table is written, or while the tail is copied.
    std::string routes = "2:460/1 2:461/1";
    for (int node = 2; node <= 20000; ++node) {
        routes += " " + std::to_string(node);
    }
    dir.write("routes.txt", routes + "\n");
    const std::string big(300000, 'x');
    struct Case {
        const char* what;
        std::string more;
        std::string before;
        std::string messages;
    };
    const Case cases[] = {
        {"head", "", big + "\n" + Before, Banner},
        {"table", "Link 2:460/1 c\nRouteFile routes.txt\n", Before,
         Banner + "\nScanning route file routes.txt..." + Writing},
        {"tail", "", Before + big + "\n", Banner + Writing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProcessResult result =
            run(ConfigText{.more = c.more + "LogFile run.log\n"}, c.before, "ulimit -f 100;");
        EXPECT_EQ(result.exitCode, 3);
        EXPECT_EQ(result.standardError, c.messages + "\nCannot write temp file.");
        // The log names the file and the system's reason.
        EXPECT_NE(dir.read("run.log").find(
                      " SPKW Cannot write temp file. (PG$TABLE.$$$: File too large)\n"),
                  std::string::npos);
        EXPECT_TRUE(sameBytes(dir.read("route.cfg"), c.before));
        EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
    }
}

TEST_F(Hardening, AFolderTheRunMayNotChangeLeavesTheDestination) {
    REQUIRE_UNPRIVILEGED_RUNS(prefix);
    struct Case {
        const char* what;
        fs::perms folder;
        bool leftover;
        int exitCode;
        std::string messages;
        std::string reason; // what --check says beforehand
    };
    const Case cases[] = {
        // No temporary file can be made in a read-only folder.
        {"read-only folder", fs::perms(0555), false, 1, Banner + "\nCannot open temp file.",
         "Permission denied"},
        // In a sticky folder another user's destination cannot be replaced,
        {"sticky folder", fs::perms(01777), false, 3,
         Banner + Writing + "\nCannot replace dest file.", "Operation not permitted"},
        // nor another user's temporary file removed: it is not written through.
        {"sticky folder with a temporary file left", fs::perms(01777), true, 1,
         Banner + "\nCannot open temp file.", "Operation not permitted"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (prefix->empty() && (c.folder & fs::perms::sticky_bit) != fs::perms::none) {
            // The files are the runner's own then, which a sticky folder does not protect.
            continue;
        }
        ScratchDir folder;
        writeFile(folder.path() / "pathgen.cfg", ConfigText{});
        writeFile(folder.path() / "route.cfg", Before);
        fs::permissions(folder.path() / "pathgen.cfg", fs::perms(0644));
        fs::permissions(folder.path() / "route.cfg", fs::perms(0644));
        if (c.leftover) {
            writeFile(folder.path() / "PG$TABLE.$$$", "left over\n");
            fs::permissions(folder.path() / "PG$TABLE.$$$", fs::perms(0666));
        }
        fs::permissions(folder.path(), c.folder);

        ProcessResult checked = runBinary(folder.path(), {"--check"}, *prefix);
        EXPECT_EQ(checked.exitCode, 1);
        EXPECT_EQ(checked.standardError,
                  Title +
                      "pathgen.cfg:4: error: cannot make the temporary file and the lock in "
                      "the destination's folder \".\" and move it over the destination "
                      "\"route.cfg\": " +
                      c.reason + "\n");
        ProcessResult result = runBinary(folder.path(), {}, *prefix);

        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(result.standardError, c.messages);
        EXPECT_EQ(readFile(folder.path() / "route.cfg"), Before);
        if (c.leftover) {
            EXPECT_EQ(readFile(folder.path() / "PG$TABLE.$$$"), "left over\n");
        } else {
            EXPECT_FALSE(fs::exists(folder.path() / "PG$TABLE.$$$"));
        }
    }
}

TEST_F(Hardening, ADestinationNamedLikeTheTemporaryFileIsRefused) {
    // The temporary file would be the destination itself: a run stopped
    // later would delete it or leave only its head.
    fs::create_directory(dir.path() / "sub");
    fs::create_symlink("PG$TABLE.$$$", dir.path() / "route.cfg");
    for (const std::string name :
         {"PG$TABLE.$$$", "./PG$TABLE.$$$", "sub/PG$TABLE.$$$", "route.cfg"}) {
        SCOPED_TRACE(name);
        dir.write(name, Before);
        dir.write("pathgen.cfg", ConfigText{.writeTo = name, .more = "RouteFile missing.txt\n"});
        ProcessResult result = runBinary(dir.path(), {});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.standardError, Banner + "\nCannot open temp file.");
        EXPECT_EQ(dir.read(name), Before);
        EXPECT_TRUE(fs::is_symlink(dir.path() / "route.cfg"));
    }
}

TEST_F(Hardening, ATemporaryFileInTheWayIsReplacedNeverWrittenThrough) {
    dir.write("victim.txt", "victim\n");
    struct Case {
        const char* what;
        void (*plant)(const fs::path& folder);
    };
    const Case cases[] = {
        {"link to another file",
         [](const fs::path& folder) { fs::create_symlink("victim.txt", folder / "PG$TABLE.$$$"); }},
        {"link to a file not yet there",
         [](const fs::path& folder) {
             fs::create_symlink("made-through-link", folder / "PG$TABLE.$$$");
         }},
        {"second name of another file",
         [](const fs::path& folder) {
             fs::create_hard_link(folder / "victim.txt", folder / "PG$TABLE.$$$");
         }},
        {"read-only file",
         [](const fs::path& folder) {
             writeFile(folder / "PG$TABLE.$$$", "left over\n");
             fs::permissions(folder / "PG$TABLE.$$$", fs::perms(0444));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.plant(dir.path());
        ProcessResult result = run(ConfigText{}, Before);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.standardError, Banner + Writing + done(0, 0));
        EXPECT_EQ(destination(), Head + emptySquishTable() + "; end\nb\n");
        EXPECT_FALSE(fs::exists(fs::symlink_status(dir.path() / "PG$TABLE.$$$")));
        EXPECT_EQ(dir.read("victim.txt"), "victim\n");
        EXPECT_EQ(fs::hard_link_count(dir.path() / "victim.txt"), 1u);
        EXPECT_FALSE(dir.exists("made-through-link"));
    }
}

TEST_F(Hardening, ALinkedDestinationIsRewrittenWhereTheLinkLeads) {
    // The mail program reads the file the links lead to: that file gets
    // the table, through a temporary file in its own folder, and the links stay.
    fs::create_directory(dir.path() / "real");
    dir.write("real/route.cfg", Before);
    fs::create_symlink("real/route.cfg", dir.path() / "link.cfg");
    fs::create_symlink("link.cfg", dir.path() / "route.cfg");

    ProcessResult result = run(ConfigText{}, Before);
    // (run() wrote through the links: the file they lead to holds Before.)

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.standardError, Banner + Writing + done(0, 0));
    EXPECT_EQ(withFixedTime(dir.read("real/route.cfg")), Head + emptySquishTable() + "; end\nb\n");
    EXPECT_TRUE(fs::is_symlink(dir.path() / "route.cfg"));
    EXPECT_EQ(fs::read_symlink(dir.path() / "route.cfg"), "link.cfg");
    EXPECT_EQ(fs::read_symlink(dir.path() / "link.cfg"), "real/route.cfg");
    EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
    EXPECT_FALSE(dir.exists("real/PG$TABLE.$$$"));
}

TEST_F(Hardening, TheReplacedDestinationKeepsItsOwner) {
    const struct passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() != 0 || nobody == nullptr) {
        GTEST_SKIP() << "only root can give a file to another user";
    }
    dir.write("pathgen.cfg", ConfigText{});
    dir.write("route.cfg", Before);
    ASSERT_EQ(::chown(dir.file("route.cfg").c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    fs::permissions(dir.path() / "route.cfg", fs::perms(0604));

    ProcessResult result = runBinary(dir.path(), {});

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.standardError, Banner + Writing + done(0, 0));
    EXPECT_EQ(destination(), Head + emptySquishTable() + "; end\nb\n");
    struct stat info {};
    ASSERT_EQ(::stat(dir.file("route.cfg").c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, nobody->pw_uid);
    EXPECT_EQ(info.st_gid, nobody->pw_gid);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
}

// ---- root among another user's files ----

// A process of the user nobody that holds a lock in `folder` until killed:
// flock on the folder itself, or a write lock on a lock file of its own
// planted under the run's lock file name. -1 if it could not be started.
pid_t nobodyHoldsLock(const fs::path& folder, bool plantedLockFile) {
    const struct passwd* nobody = ::getpwnam("nobody");
    int ready[2];
    if (nobody == nullptr || ::pipe(ready) != 0) {
        return -1;
    }
    const std::string lockFile = (folder / "PG$TABLE.LCK").string();
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0) {
            ::_exit(1);
        }
        struct flock whole {};
        whole.l_type = F_WRLCK;
        const int fd = plantedLockFile ? ::open(lockFile.c_str(), O_RDWR | O_CREAT, 0666)
                                       : ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd < 0 ||
            (plantedLockFile ? ::fchmod(fd, 0666) != 0 || ::fcntl(fd, F_SETLK, &whole)
                             : ::flock(fd, LOCK_EX)) != 0 ||
            ::write(ready[1], "x", 1) != 1) {
            ::_exit(1);
        }
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char byte = 0;
    const bool holds = child > 0 && ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    if (!holds && child > 0) {
        ::waitpid(child, nullptr, 0);
    }
    return holds ? child : -1;
}

TEST_F(Hardening, AnotherUsersLinksFifosAndLocksNeverSteerARootRun) {
    const struct passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() != 0 || nobody == nullptr) {
        GTEST_SKIP() << "needs root and the user nobody";
    }
    // The mail system's folder belongs to nobody, which may plant anything
    // in it; the root file outside it must never change.
    struct Case {
        const char* what;
        std::function<void(const fs::path& shared)> plant;
        int exitCode;
        std::string messages;
        bool replaced;
        int holder = 0; // 1: flock on the folder, 2: a lock file of nobody's
    };
    const std::string written = Writing + done(0, 0);
    const Case cases[] = {
        {"normal use: root on nobody's files", [](const fs::path&) {}, 0, Banner + written, true},
        {"a log that links to a root file",
         [](const fs::path& shared) { fs::create_symlink("../victim.txt", shared / "run.log"); }, 0,
         Banner + "\nCannot write log file shared/run.log (a symbolic link)." + written, true},
        {"a log that links to no file yet",
         [](const fs::path& shared) { fs::create_symlink("../made.txt", shared / "run.log"); }, 0,
         Banner + "\nCannot write log file shared/run.log (a symbolic link)." + written, true},
        {"a log that is a FIFO",
         [](const fs::path& shared) { ASSERT_EQ(::mkfifo((shared / "run.log").c_str(), 0666), 0); },
         0, Banner + "\nCannot write log file shared/run.log (not a regular file)." + written,
         true},
        {"the folder locked as runs once locked it", [](const fs::path&) {}, 0, Banner + written,
         true, 1},
        {"a lock file of nobody's, held", [](const fs::path&) {}, 0, Banner + written, true, 2},
        {"the destination a link of nobody's to a root file",
         [](const fs::path& shared) {
             writeFile(shared / "../victim.cfg", Before);
             fs::remove(shared / "route.cfg");
             fs::create_symlink("../victim.cfg", shared / "route.cfg");
         },
         1, Banner + "\nCannot open dest file.", false},
        {"the destination a link of nobody's to nobody's file",
         [&](const fs::path& shared) {
             writeFile(shared / "real.cfg", Before);
             ASSERT_EQ(::chown((shared / "real.cfg").c_str(), nobody->pw_uid, nobody->pw_gid), 0);
             fs::remove(shared / "route.cfg");
             fs::create_symlink("real.cfg", shared / "route.cfg");
         },
         0, Banner + written, true},
        {"a folder every user may write",
         [](const fs::path& shared) { fs::permissions(shared, fs::perms(0777)); }, 1,
         Banner + "\nFolder shared/ is writable by every user and not sticky: refused.", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir folder;
        const fs::path shared = folder.path() / "shared";
        fs::create_directory(shared);
        writeFile(folder.path() / "pathgen.cfg",
                  ConfigText{.writeTo = "shared/route.cfg", .more = "LogFile shared/run.log\n"});
        writeFile(shared / "route.cfg", Before);
        writeFile(folder.path() / "victim.txt", "victim\n");
        fs::permissions(folder.path() / "victim.txt", fs::perms(0600));
        c.plant(shared);
        for (const fs::path& path : {shared, shared / "route.cfg", shared / "run.log"}) {
            ::lchown(path.c_str(), nobody->pw_uid, nobody->pw_gid);
        }
        const pid_t holder = c.holder == 0 ? 0 : nobodyHoldsLock(shared, c.holder == 2);
        ASSERT_GE(holder, 0);

        ProcessResult result = runBinary(folder.path(), {"--wait=3"}, "timeout 20");
        if (holder > 0) {
            ::kill(holder, SIGKILL);
            ::waitpid(holder, nullptr, 0);
        }

        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(result.standardError, c.messages);
        EXPECT_EQ(withFixedTime(readFile(shared / "route.cfg")),
                  c.replaced ? Head + emptySquishTable() + "; end\nb\n" : Before);
        struct stat info {};
        ASSERT_EQ(::stat((shared / "route.cfg").c_str(), &info), 0);
        EXPECT_TRUE(!c.replaced || info.st_uid == nobody->pw_uid); // the owner kept
        EXPECT_EQ(readFile(folder.path() / "victim.txt"), "victim\n");
        EXPECT_EQ(fs::status(folder.path() / "victim.txt").permissions(), fs::perms(0600));
        EXPECT_FALSE(fs::exists(folder.path() / "made.txt"));
        EXPECT_FALSE(fs::exists(shared / "PG$TABLE.$$$"));
        EXPECT_FALSE(fs::exists(shared / "PG$TABLE.LCK"));
    }
}

TEST_F(Hardening, ADiffStoppedBySignalLeavesNoCopy) {
    // A diff program that takes its time, so that the signal comes while the
    // private copy exists.
    dir.write("pathgen.cfg", ConfigText{});
    dir.write("route.cfg", Before);
    fs::create_directory(dir.path() / "bin");
    fs::create_directory(dir.path() / "tmp");
    dir.write("bin/diff", "#!/bin/sh\nexec sleep 5\n");
    fs::permissions(dir.path() / "bin/diff", fs::perms(0755));
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        const pid_t child = ::fork();
        if (child == 0) {
            ::setpgid(0, 0); // the signal below reaches the run alone
            const std::string path = dir.file("bin") + ":" + std::getenv("PATH");
            if (::chdir(dir.path().c_str()) != 0 || ::setenv("PATH", path.c_str(), 1) != 0 ||
                ::setenv("TMPDIR", dir.file("tmp").c_str(), 1) != 0 ||
                ::freopen("/dev/null", "w", stderr) == nullptr) {
                ::_exit(100);
            }
            ::execl(SPOKEWAY_BINARY, SPOKEWAY_BINARY, "--diff", static_cast<char*>(nullptr));
            ::_exit(101);
        }
        ASSERT_GT(child, 0);
        for (int k = 0; k < 200 && fs::is_empty(dir.path() / "tmp"); ++k) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_FALSE(fs::is_empty(dir.path() / "tmp")) << "the copy was never made";
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ::kill(child, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_TRUE(fs::is_empty(dir.path() / "tmp"));
        EXPECT_EQ(dir.read("route.cfg"), Before);
        EXPECT_EQ(folderContents(dir.path()).size(), 3u); // pathgen.cfg, route.cfg, bin/diff
    }
}

} // namespace
