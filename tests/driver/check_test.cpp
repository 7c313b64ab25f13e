// --check and --strict on a real hub of the 1996 world nodelist: each mistake
// alone, the FILE:LINE of what is reported, the exit status, and a folder
// that no run changed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "test_support.hpp"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const fs::path WorldList =
    fs::path(SPOKEWAY_SHARED_DATA_DIR) / "nodelists" / "fidonet-nodepatch" / "nodelist.362";

// The hub 2:5020/52 with two links, a route file, the nodelist's hub routes
// of its net, a trust file and a default route. Line numbers are 1-based.
std::vector<std::string> hubConfig(const std::string& type, char comment) {
    const std::string c(1, comment);
    return {"Address 2:5020/52",
            "RouteType " + type,
            "Minimize yes",
            "WriteTo route.cfg",
            "RouteBegin \"" + c + " begin\"",
            "RouteEnd \"" + c + " end\"",
            "Link 2:5020/146 d",
            "Link 2:5020/70 c",
            "RouteFile routes.txt",
            "Spokeway nodelist.362 z 2 5020",
            "TrustFile trust.txt",
            "DefaultRoute 2:5020/146 World"};
}

struct Case {
    const char* what;
    const char* type = "squish";
    char comment = ';';
    // A configuration line replaced (0: none) and lines added at the end.
    int line = 0;
    std::string text{};
    std::string added{};
    std::string routes = "2:5020/70 2:5030/*\n";
    std::string trust = "2:5020/999 2:5020/70\n";
    // The nodelist as written (empty: the real one), and a second, newer file.
    std::string nodelist{};
    bool newerFile = false;
    bool strict = false;
    int exitCode = 0;
    // "FILE:LINE: warning" / "FILE:LINE: error" of each report, in any order.
    std::vector<std::string> reports{};
};

// What the run reported, up to the severity word.
std::vector<std::string> reportsOf(const std::string& standardError) {
    static const std::regex Report(R"(^([^\n:]+:[0-9]*:? ?(warning|error)):)",
                                   std::regex::multiline);
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(standardError.begin(), standardError.end(), Report);
         it != std::sregex_iterator(); ++it) {
        found.push_back((*it)[1]);
    }
    std::sort(found.begin(), found.end());
    return found;
}

struct FileStamp {
    ino_t inode;
    std::int64_t modified;
    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const fs::path& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return {info.st_ino, info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec};
}

} // namespace

TEST(CheckAndStrict, EachMistakeAloneOnARealHub) {
    if (!fs::exists(WorldList)) {
        GTEST_SKIP() << "real nodelists not found at " << WorldList;
    }
    const std::string world = readFile(WorldList);
    std::string lfCopy;
    for (char ch : world) {
        if (ch != '\r') {
            lfCopy += ch;
        }
    }
    std::string oneByteChanged = world;
    oneByteChanged[world.size() / 2] ^= 0x01;

    using V = std::vector<std::string>;
    const Case cases[] = {
        {.what = "clean, squish"},
        {.what = "clean, ifmail", .type = "ifmail", .comment = '#'},
        {.what = "clean, fidogate", .type = "fidogate", .comment = '#'},
        {.what = "clean, ftrack", .type = "ftrack", .comment = '\\'},
        {.what = "LF copy of the nodelist", .nodelist = lfCopy},
        {.what = "a nodelist with one byte changed",
         .nodelist = oneByteChanged,
         .exitCode = 4,
         .reports = V{"nodelist.362:1: warning"}},
        {.what = "a word that is no keyword",
         .line = 9,
         .text = "RouteFle routes.txt",
         .exitCode = 4,
         .reports = V{"pathgen.cfg:9: warning"}},
        {.what = "a mistyped Link",
         .line = 7,
         .text = "Linc 2:5020/146 d",
         .exitCode = 4,
         .reports = V{"pathgen.cfg:7: warning"}},
        {.what = "a letter in a link's address",
         .line = 7,
         .text = "Link 2:5020/l46 d",
         .exitCode = 4,
         .reports = V{"pathgen.cfg:7: warning"}},
        {.what = "junk after the main address",
         .line = 1,
         .text = "Address 2:5020/52x",
         .exitCode = 4,
         .reports = V{"pathgen.cfg:1: warning"}},
        {.what = "a second address after Address",
         .line = 1,
         .text = "Address 2:5020/52 2:5020/53",
         .exitCode = 4,
         .reports = V{"pathgen.cfg:1: warning"}},
        {.what = "a part over 65535 in a route file",
         .routes = "2:5020/70 2:5030/70146\n",
         .exitCode = 4,
         .reports = V{"routes.txt:1: warning"}},
        {.what = "a word in a route line",
         .routes = "2:5020/70 2:5030/1\n2:5020/70 garbage\n",
         .exitCode = 4,
         .reports = V{"routes.txt:2: warning"}},
        {.what = "an indented comment in a trust file",
         .trust = "2:5020/999 2:5020/70\n  ; old\n",
         .exitCode = 4,
         .reports = V{"trust.txt:2: warning", "trust.txt:2: warning"}},
        {.what = "a route type by its first letters",
         .line = 2,
         .text = "RouteType squishy",
         .exitCode = 4,
         .reports = V{"pathgen.cfg:2: warning"}},
        {.what = "a net the nodelist lacks",
         .line = 10,
         .text = "Spokeway nodelist.362 z 3 5020",
         .exitCode = 4,
         .reports = V{"pathgen.cfg:10: warning"}},
        {.what = "a newer file than the pattern picks",
         .line = 10,
         .text = "Spokeway nodelist.* z 2 5020",
         .newerFile = true,
         .exitCode = 4,
         .reports = V{"pathgen.cfg:10: warning"}},
        {.what = "markers with the wrong comment character",
         .type = "ifmail",
         .comment = ';',
         .exitCode = 4,
         .reports = V{"pathgen.cfg:5: warning", "pathgen.cfg:6: warning"}},
        {.what = "a link with a wildcard",
         .added = "Link 2:*/5 c\n",
         .exitCode = 4,
         .reports = V{"pathgen.cfg:13: warning"}},
        {.what = "one link with two flavours",
         .added = "Link 2:5020/146 c\n",
         .exitCode = 4,
         .reports = V{"pathgen.cfg:13: warning"}},
        {.what = "two entries that become the world",
         .routes = "2:5020/70 *:*/5\n",
         .exitCode = 4,
         .reports = V{"pathgen.cfg:12: warning"}},
        {.what = "errors and a warning, all reported",
         .line = 9,
         .text = "RouteFile missing.txt",
         .added = "TrustFile gone.txt\nMinimize maybe\nAddress 2:5020/52x\n",
         .exitCode = 1,
         .reports = V{"pathgen.cfg:9: error", "pathgen.cfg:13: error", "pathgen.cfg:14: error",
                      "pathgen.cfg:15: warning"}},
        {.what = "an unquoted marker",
         .line = 6,
         .text = "RouteEnd ; end",
         .exitCode = 1,
         .reports = V{"pathgen.cfg:6: error"}},
        // The log a run would open, tested without being made.
        {.what = "a LogFile in a folder that is not there",
         .added = "LogFile logs/spokeway.log\n",
         .exitCode = 4,
         .reports = V{"pathgen.cfg:13: warning"}},
        {.what = "a LogFile that is a folder",
         .added = "LogFile .\n",
         .exitCode = 4,
         .reports = V{"pathgen.cfg:13: warning"}},
        {.what = "a LogFile that can be made", .added = "LogFile spokeway.log\n"},
        {.what = "--strict after a warning",
         .line = 1,
         .text = "Address 2:5020/52x",
         .strict = true,
         .exitCode = 4,
         .reports = V{"pathgen.cfg:1: warning"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        std::vector<std::string> lines = hubConfig(c.type, c.comment);
        if (c.line != 0) {
            lines[c.line - 1] = c.text;
        }
        std::string config;
        for (const std::string& line : lines) {
            config += line + "\n";
        }
        dir.write("pathgen.cfg", config + c.added);
        dir.write("routes.txt", c.routes);
        dir.write("trust.txt", c.trust);
        dir.write("route.cfg", "head\n" + std::string(1, c.comment) + " begin\nold\n" +
                                   std::string(1, c.comment) + " end\ntail\n");
        dir.write("nodelist.362", c.nodelist.empty() ? world : c.nodelist);
        if (c.newerFile) {
            // After the turn of the year: day 3 is newer than day 362.
            dir.write("nodelist.003", world);
            fs::last_write_time(dir.path() / "nodelist.362",
                                fs::last_write_time(dir.path() / "nodelist.003") -
                                    std::chrono::hours(24 * 7));
        }
        const auto before = folderContents(dir.path());
        const FileStamp destination = stampOf(dir.path() / "route.cfg");

        ProcessResult result = runBinary(dir.path(), {c.strict ? "--strict" : "--check"});

        EXPECT_EQ(result.exitCode, c.exitCode) << result.standardError;
        EXPECT_EQ(reportsOf(result.standardError), [&] {
            std::vector<std::string> sorted = c.reports;
            std::sort(sorted.begin(), sorted.end());
            return sorted;
        }()) << result.standardError;
        EXPECT_EQ(folderContents(dir.path()), before);
        EXPECT_EQ(stampOf(dir.path() / "route.cfg"), destination);
    }
}

TEST(CheckAndStrict, StrictWithoutWarningsIsANormalRun) {
    if (!fs::exists(WorldList)) {
        GTEST_SKIP() << "real nodelists not found at " << WorldList;
    }
    ScratchDir dir;
    std::string config;
    for (const std::string& line : hubConfig("squish", ';')) {
        config += line + "\n";
    }
    dir.write("pathgen.cfg", config);
    dir.write("routes.txt", "2:5020/70 2:5030/*\n");
    dir.write("trust.txt", "2:5020/999 2:5020/70\n");
    dir.write("route.cfg", "head\n; begin\n; end\n");
    fs::copy_file(WorldList, dir.path() / "nodelist.362");
    ProcessResult strict = runBinary(dir.path(), {"--strict"});
    const std::string strictTable = dir.read("route.cfg");
    dir.write("route.cfg", "head\n; begin\n; end\n");
    ProcessResult normal = runBinary(dir.path(), {});
    EXPECT_EQ(strict.exitCode, 0);
    EXPECT_EQ(strict.standardError, normal.standardError);
    EXPECT_NE(strictTable.find("; end\n"), std::string::npos);
    EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
}
