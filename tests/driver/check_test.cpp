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
const fs::path NewYearList = WorldList.parent_path() / "nodelist.003";

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

// Link blocks for the links of the hub: its two, and the nodes the
// nodelist routes via it, which the adjustment makes links.
std::string hubLinkBlocks(std::string_view leftOut = "") {
    std::string blocks;
    for (const char* node : {"146", "70", "6", "9", "23", "46", "55", "86", "111", "126", "139",
                             "144", "151", "197", "233", "371", "434", "853"}) {
        if (node != leftOut) {
            blocks += std::string("Link n") + node + "\nAka 2:5020/" + node + "\n";
        }
    }
    return blocks;
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
    // The destination's lines above the begin marker, and more files.
    std::string head = "head\n";
    std::map<std::string, std::string> files{};
    // The destination's region: its lines (after a first run when `afterRun`,
    // put in after the table's three header lines).
    std::string region{};
    bool afterRun = false;
    // What follows the end marker on its line.
    std::string afterEnd{};
    // The configuration, route and trust file begin with a byte-order mark.
    bool byteOrderMark = false;
    bool strict = false;
    bool quiet = false;
    int exitCode = 0;
    // "FILE:LINE: warning" / "FILE:LINE: error" of each report, in any order.
    std::vector<std::string> reports{};
    // Quiet: the whole standard error.
    std::string standardError{};
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
        {.what = "a newer nodelist than the pattern picks, copied before the older one",
         .line = 10,
         .text = "Spokeway nodelist.* z 2 5020",
         .newerFile = true,
         .exitCode = 4,
         .reports = V{"pathgen.cfg:10: warning"}},
        {.what = "a Link flavour that is a word",
         .line = 8,
         .text = "Link 2:5020/70 hold",
         .quiet = true,
         .exitCode = 4,
         .reports = V{"pathgen.cfg:8: warning"},
         .standardError = "pathgen.cfg:8: warning: the flavour \"hold\" of link 2:5020/70 is not "
                          "flavour letters alone (c, d, h, n, f, a): every one of its letters "
                          "counts (a comment starts with \";\")\n"},
        {.what = "a Link flavour with a comment",
         .line = 8,
         .text = "Link 2:5020/70 c   # uplink",
         .exitCode = 4,
         .reports = V{"pathgen.cfg:8: warning"}},
        {.what = "Link flavour letters one by one, and a comment after ';'",
         .line = 7,
         .text = "Link 2:5020/146 d a ; uplink"},
        {.what = "a DefaultRoute via an own address",
         .line = 12,
         .text = "DefaultRoute 2:5020/52 World",
         .exitCode = 4,
         // Squish, reading the new table, sends the world straight (Send Hold World).
         .reports = V{"pathgen.cfg:12: warning", "route.cfg:24: warning"}},
        {.what = "a route line via an own address",
         .routes = "2:5020/70 2:5030/*\n2:5020/52 2:5040/*\n",
         .exitCode = 4,
         // The net becomes a link with a wildcard part, which Squish reads as sending straight.
         .reports = V{"routes.txt:2: warning", "route.cfg:18: warning"}},
        {.what = "byte-order marks at the start of the configuration and the route files",
         .byteOrderMark = true},
        {.what = "a comment after a route between the markers",
         .region = "Route Crash             2:5020/70  999 ; hand-made\n",
         .afterRun = true,
         .exitCode = 4,
         .reports = V{"route.cfg:6: warning"}},
        {.what = "a word the syntax does not use between the markers",
         .region = "Rout Crash 2:5020/70 2:5020/998\n",
         .afterRun = true,
         .exitCode = 4,
         .reports = V{"route.cfg:6: warning"}},
        {.what = "a region without the header, --check -q",
         .region = "; my own routes\nRoute Crash 2:5020/70 2:5020/998\n",
         .quiet = true,
         .exitCode = 4,
         .reports = V{"route.cfg:3: warning", "route.cfg:4: warning"},
         .standardError =
             "route.cfg:3: warning: this line between the markers is lost at the next run (the "
             "region does not begin with the header Spokeway writes): Spokeway never writes it\n"
             "route.cfg:4: warning: this line between the markers is lost at the next run (the "
             "region does not begin with the header Spokeway writes): Spokeway never writes it\n"},
        {.what = "a table of an earlier run with other links is no slip",
         .line = 8,
         .text = "Link 2:5020/70 hf",
         .afterRun = true},
        {.what = "text after the end marker",
         .afterEnd = " keep me",
         .exitCode = 4,
         .reports = V{"route.cfg:3: warning"}},
        {.what = "the log is the destination",
         .added = "LogFile route.cfg\n",
         .exitCode = 1,
         .reports = V{"pathgen.cfg:13: error"}},
        {.what = "the log is a route file",
         .added = "LogFile ./routes.txt\n",
         .exitCode = 1,
         .reports = V{"pathgen.cfg:13: error"}},
        {.what = "the destination is the trust file",
         .line = 4,
         .text = "WriteTo trust.txt",
         .trust = "2:5020/999 2:5020/70\n; begin\n; end\n",
         .exitCode = 1,
         .reports = V{"pathgen.cfg:4: error"}},
        {.what = "--strict -q after a warning",
         .line = 1,
         .text = "Address 2:5020/52x",
         .strict = true,
         .quiet = true,
         .exitCode = 4,
         .reports = V{"pathgen.cfg:1: warning"},
         .standardError = "pathgen.cfg:1: warning: \"2:5020/52x\" is not wholly an address (junk "
                          "\"x\"), taken as 2:5020/52\n"},
        {.what = "markers with the wrong comment character",
         .type = "ifmail",
         .comment = ';',
         .exitCode = 4,
         .reports = V{"pathgen.cfg:5: warning", "pathgen.cfg:6: warning"}},
        {.what = "clean, hpt, Link blocks above the marker and in an include",
         .type = "hpt",
         .comment = '#',
         .head = "Link a\n  AKA 2:5020/146@fidonet\ninclude links.cfg\n",
         .files = {{"links.cfg", hubLinkBlocks("146") + "link b\n# a comment\naka 2:5020/70.0\n"}}},
        {.what = "hpt, a link whose Link block has another point or stands below",
         .type = "hpt",
         .comment = '#',
         .head = hubLinkBlocks("70") + "Link b\nAka 2:5020/70.1\n# Aka 2:5020/70\n",
         .exitCode = 1,
         .reports = V{"pathgen.cfg:8: error"}},
        {.what = "hpt, a node routed via us without a Link block",
         .type = "hpt",
         .comment = '#',
         .head = hubLinkBlocks("853"),
         .exitCode = 1,
         .reports = V{"pathgen.cfg: error"}},
        {.what = "hpt, an include that cannot be read",
         .type = "hpt",
         .comment = '#',
         .head = "Link a\nAka 2:5020/146\ninclude links.cfg\n",
         .exitCode = 4,
         .reports = V{"route.cfg:3: warning"}},
        {.what = "hpt, markers that are no comment",
         .type = "hpt",
         .comment = ';',
         .head = hubLinkBlocks(),
         .exitCode = 1,
         .reports = V{"pathgen.cfg:5: error", "pathgen.cfg:6: error"}},
        // fidoconfig refuses the unknown keyword ';': one warning for all
        // the mail the table would route.
        {.what = "hpt, a ';' line above the table",
         .type = "hpt",
         .comment = '#',
         .head = hubLinkBlocks() + "; old routing\n",
         .exitCode = 4,
         .reports = V{"route.cfg:37: warning"}},
        // Squish's reading of the new file decides, at the table's line:
        // "Send Crash All/5" sends 2:32123/5 to itself, where the routing
        // has it go via the world's link 2:5020/146.
        {.what = "a link with a wildcard",
         .added = "Link 2:*/5 c\n",
         .exitCode = 4,
         .reports = V{"route.cfg:18: warning"}},
        {.what = "a link with a wildcard, ifmail (no model of its reading)",
         .type = "ifmail",
         .comment = '#',
         .added = "Link 2:*/5 c\n",
         .exitCode = 4,
         .reports = V{"pathgen.cfg:13: warning"}},
        // "Send Crash 70 146" comes before "Send Direct 146".
        {.what = "one link with two flavours",
         .added = "Link 2:5020/146 c\n",
         .exitCode = 4,
         .reports = V{"route.cfg:8: warning"}},
        {.what = "--strict after a difference in Squish's reading",
         .added = "Link 2:5020/146 c\n",
         .strict = true,
         .exitCode = 4,
         .reports = V{"route.cfg:8: warning"}},
        // The world's first line in the table names 2:5020/146; the routing
        // took the entry *:*/5 became, via 2:5020/70.
        {.what = "two entries that become the world",
         .routes = "2:5020/70 *:*/5\n",
         .exitCode = 4,
         .reports = V{"route.cfg:22: warning"}},
        {.what = "two entries that become the world, ifmail",
         .type = "ifmail",
         .comment = '#',
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
        const std::string mark = c.byteOrderMark ? "\xEF\xBB\xBF" : "";
        dir.write("pathgen.cfg", mark + config + c.added);
        dir.write("routes.txt", mark + c.routes);
        dir.write("trust.txt", mark + c.trust);
        for (const auto& [name, text] : c.files) {
            dir.write(name, text);
        }
        const std::string begin = std::string(1, c.comment) + " begin\n";
        const std::string end = std::string(1, c.comment) + " end" + c.afterEnd + "\n";
        dir.write("route.cfg", c.head + begin + (c.afterRun ? "" : c.region) + end + "tail\n");
        dir.write("nodelist.362", c.nodelist.empty() ? world : c.nodelist);
        if (c.newerFile) {
            // After the turn of the year, copied with cp in the wrong order:
            // day 3 of 1997 follows day 362 of 1996 but has the older time.
            fs::copy_file(NewYearList, dir.path() / "nodelist.003");
            fs::last_write_time(dir.path() / "nodelist.003",
                                fs::last_write_time(dir.path() / "nodelist.362") -
                                    std::chrono::hours(24 * 7));
        }
        if (c.afterRun) {
            // The table of the configuration before this case's change.
            std::string base;
            for (const std::string& line : hubConfig(c.type, c.comment)) {
                base += line + "\n";
            }
            dir.write("pathgen.cfg", base);
            ASSERT_EQ(runBinary(dir.path(), {"-q"}).exitCode, 0);
            std::string table = dir.read("route.cfg");
            std::size_t at = c.head.size();
            for (int k = 0; k < 4; ++k) { // the begin marker and the header's three lines
                at = table.find('\n', at) + 1;
            }
            dir.write("route.cfg", table.insert(at, c.region));
            writeFile(dir.path() / "pathgen.cfg", config + c.added);
        }
        const auto before = folderContents(dir.path());
        const FileStamp destination = stampOf(dir.path() / "route.cfg");

        std::vector<std::string> args = {c.strict ? "--strict" : "--check"};
        if (c.quiet) {
            args.push_back("-q");
        }
        ProcessResult result = runBinary(dir.path(), args);

        EXPECT_EQ(result.exitCode, c.exitCode) << result.standardError;
        EXPECT_EQ(reportsOf(result.standardError), [&] {
            std::vector<std::string> sorted = c.reports;
            std::sort(sorted.begin(), sorted.end());
            return sorted;
        }()) << result.standardError;
        if (c.quiet) {
            EXPECT_EQ(result.standardError, c.standardError);
        }
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
