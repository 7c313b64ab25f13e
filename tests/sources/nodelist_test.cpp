#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "model_support.hpp"
#include "sources/sources.hpp"
#include "test_support.hpp"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

// One Spokeway definition handled on a fresh state: main address 2:460/10,
// read from line 14 of "pathgen.cfg".
struct Scanner {
    Scanner() {
        state().akas = {FtnAddress{2, 460, 10}};
        run.context.line = 14;
    }
    RoutingState& state() { return run.captured.state; }
    bool define(const std::string& rest) { return spokewayKeyword(run.context, rest, {}); }
    std::string console() { return run.captured.shown(); }
    std::string table() const { return itemsText(run.captured.state, ItemForm::ByAddress); }

    ConfigRun run;
};

std::string scanning(const std::string& path, const std::string& net) {
    return "\nScanning nodelist " + path + " for " + net + " spokeway...";
}

const std::string CannotOpen = "\npathgen.cfg 14: Cannot open file.";
const std::string BadDefinition = "\npathgen.cfg 14: Bad \"SpokeWay\" definition.";

std::string netWithNode(const std::string& node) {
    return "Zone,2,Zone_2,Europe\nHost,460,Net_460,Town\n," + node + ",Node,Town\n";
}

} // namespace

TEST(SpokewayPattern, GreatestNumberWinsNotLatestDate) {
    ScratchDir dir;
    dir.write("NODELIST.360", netWithNode("360"));
    dir.write("NODELIST.003", netWithNode("3"));
    dir.write("NODELIST.ARC", netWithNode("99"));
    auto now = fs::file_time_type::clock::now();
    fs::last_write_time(dir.file("NODELIST.360"), now - std::chrono::hours(24 * 10));
    fs::last_write_time(dir.file("NODELIST.003"), now);

    Scanner scan;
    EXPECT_TRUE(scan.define(dir.file("NODELIST.*") + " Z 2 460\n"));
    EXPECT_EQ(scan.console(), scanning(dir.file("NODELIST.360"), "2:460"));
    EXPECT_EQ(scan.table(), "2:460/0 target\n"
                            "2:460/360 via 2:460/0\n");
}

TEST(SpokewayPattern, NumbersAreComparedWholeWithoutWrapping) {
    ScratchDir dir;
    dir.write("NODELIST.365", netWithNode("365"));
    dir.write("NODELIST.40000", netWithNode("4"));  // a negative 16-bit number
    dir.write("NODELIST.-70000", netWithNode("7")); // a positive one
    Scanner scan;
    EXPECT_TRUE(scan.define(dir.file("NODELIST.*") + " Z 2 460\n"));
    EXPECT_EQ(scan.console(), scanning(dir.file("NODELIST.40000"), "2:460"));
    // Past every integer type, and leading zeros do not make a number greater.
    dir.write("NODELIST.000000000000000000000000040001", netWithNode("1"));
    dir.write("NODELIST.0000040000", netWithNode("2"));
    dir.write("NODELIST.123456789012345678901234567890", netWithNode("3"));
    Scanner wide;
    EXPECT_TRUE(wide.define(dir.file("NODELIST.*") + " Z 2 460\n"));
    EXPECT_EQ(wide.console(),
              scanning(dir.file("NODELIST.123456789012345678901234567890"), "2:460"));
    fs::remove(dir.file("NODELIST.123456789012345678901234567890"));
    Scanner zeros;
    EXPECT_TRUE(zeros.define(dir.file("NODELIST.*") + " Z 2 460\n"));
    EXPECT_EQ(zeros.console(),
              scanning(dir.file("NODELIST.000000000000000000000000040001"), "2:460"));
}

TEST(SpokewayPattern, NonNumericExtensionCountsAsZeroAndNamesWithoutDotNeverMatch) {
    ScratchDir dir;
    dir.write("NODELIST", netWithNode("9"));
    dir.write("NODELIST.-5", netWithNode("5"));
    dir.write("NODELIST.ARC", netWithNode("1"));
    Scanner scan;
    EXPECT_TRUE(scan.define(dir.file("NODELIST*") + " Z 2 460\n"));
    EXPECT_EQ(scan.console(), scanning(dir.file("NODELIST.ARC"), "2:460"));
    EXPECT_EQ(scan.table(), "2:460/0 target\n"
                            "2:460/1 via 2:460/0\n");

    // Without the non-numeric one nothing qualifies: no dot, a negative number.
    fs::remove(dir.file("NODELIST.ARC"));
    Scanner none;
    EXPECT_FALSE(none.define(dir.file("NODELIST*") + " Z 2 460\n"));
    EXPECT_EQ(none.console(), CannotOpen);
    EXPECT_EQ(none.table(), "");
}

TEST(SpokewayPattern, NameEndingInADotIsOpenedAsListed) {
    ScratchDir dir;
    dir.write("NODELIST.", netWithNode("7"));
    Scanner scan;
    EXPECT_TRUE(scan.define(dir.file("NODELIST.*") + " Z 2 460\n"));
    EXPECT_EQ(scan.console(), scanning(dir.file("NODELIST."), "2:460"));
    EXPECT_EQ(scan.table(), "2:460/0 target\n"
                            "2:460/7 via 2:460/0\n");
}

TEST(SpokewayPattern, PathWithoutWildcardsIsOpenedDirectly) {
    ScratchDir dir;
    dir.write("NODELIST.360", netWithNode("360"));
    dir.write("NODELIST.003", netWithNode("3"));
    Scanner scan;
    EXPECT_TRUE(scan.define(dir.file("NODELIST.003") + " Z 2 460\n"));
    EXPECT_EQ(scan.console(), scanning(dir.file("NODELIST.003"), "2:460"));
    EXPECT_EQ(scan.table(), "2:460/0 target\n"
                            "2:460/3 via 2:460/0\n");
}

TEST(SpokewayDefinition, FailuresInTheOrderOfTheChecks) {
    ScratchDir dir;
    dir.write("NODELIST.120", netWithNode("1"));
    const std::string nodelist = dir.file("NODELIST.120");
    struct Case {
        std::string rest;
        std::string console;
    };
    const Case cases[] = {
        // The nodelist is looked for first, whatever the rest says.
        {dir.file("MISSING.*") + " ZZ 2 460\n", CannotOpen},
        {dir.file("MISSING.120") + " ZZ\n", CannotOpen},
        {dir.file("nodir/NODELIST.*") + " Z 2 460\n", CannotOpen},
        // Only the path: its word holds the line feed.
        {nodelist + "\n", CannotOpen},
        {"", CannotOpen},
        {nodelist + " ZZ 2 460\n", BadDefinition},
        {nodelist + " X 2 460\n", BadDefinition},
        {nodelist + " Z\n", BadDefinition},
        {nodelist + " Z 2\n", BadDefinition},
        {nodelist + " Z 2 460\n", scanning(nodelist, "2:460")},
    };
    for (const Case& c : cases) {
        Scanner scan;
        EXPECT_EQ(scan.define(c.rest), c.console == scanning(nodelist, "2:460")) << c.rest;
        EXPECT_EQ(scan.console(), c.console) << c.rest;
    }
}

TEST(SpokewayDefinition, NumbersAreReadLikeAtoiAndKept16Bit) {
    ScratchDir dir;
    dir.write("NODELIST.120", "Zone,2,Zone_2\n"
                              "Host, 460,Net_460\n"
                              ",65537,Node\n");
    Scanner scan;
    // Tabs separate words too; words after the net are ignored.
    EXPECT_TRUE(scan.define(dir.file("NODELIST.120") + "\tz\t+2\t65996 ; net 460\n"));
    EXPECT_EQ(scan.console(), scanning(dir.file("NODELIST.120"), "2:460"));
    EXPECT_EQ(scan.table(), "2:460/0 target\n"
                            "2:460/1 via 2:460/0\n");
}

TEST(SpokewayScan, ZonesRegionsAndHostsDelimitTheSelectedNet) {
    ScratchDir dir;
    dir.write("NODELIST.120", ";S segment with net 460 in three zones\n"
                              "Zone,1,Zone_1\n"
                              "Host,460,Net_460_of_zone_1\n"
                              ",1,Node_1\n"
                              "Zone,2,Zone_2\n"
                              ",7,Zone_coordinator_node\n"
                              "Host,460,Net_460\n"
                              ",2,Node_2\n"
                              "Region,24,Region_24\n"
                              ",8,Independent_node\n"
                              "Host,460,Net_460_again\n"
                              ",3,Node_3\n"
                              "Zone,3,Zone_3\n"
                              ",4,Zone_coordinator_node\n"
                              "Host,461,Net_461\n"
                              ",5,Node_5\n");
    const std::string path = dir.file("NODELIST.120");

    // Segment mode: every Host line of net 460 counts, whatever its zone, and
    // a Zone line inside the net does not end it; a Region line does.
    for (const char* mode : {"N", "n", "R", "r"}) {
        Scanner scan;
        EXPECT_TRUE(scan.define(path + " " + mode + " 2 460\n"));
        EXPECT_EQ(scan.console(), scanning(path, "2:460"));
        EXPECT_EQ(scan.table(), "2:460/0 target\n"
                                "2:460/1 via 2:460/0\n"
                                "2:460/7 via 2:460/0\n"
                                "2:460/2 via 2:460/0\n"
                                "2:460/3 via 2:460/0\n"
                                "2:460/4 via 2:460/0\n")
            << mode;
    }
    // Zone mode: Host lines count only inside the selected zone, and the next
    // Zone or Region line ends the net.
    for (const char* mode : {"Z", "z"}) {
        Scanner scan;
        EXPECT_TRUE(scan.define(path + " " + mode + " 2 460\n"));
        EXPECT_EQ(scan.table(), "2:460/0 target\n"
                                "2:460/2 via 2:460/0\n"
                                "2:460/3 via 2:460/0\n")
            << mode;
    }
    Scanner zoneOne;
    EXPECT_TRUE(zoneOne.define(path + " Z 1 460\n"));
    EXPECT_EQ(zoneOne.console(), scanning(path, "1:460"));
    EXPECT_EQ(zoneOne.table(), "1:460/0 target\n"
                               "1:460/1 via 1:460/0\n");
}

TEST(SpokewayScan, NodesGoViaTheirHubAndHubsKeepTheirOwnRoute) {
    ScratchDir dir;
    dir.write("NODELIST.120", "Zone,2,Zone_2\n"
                              "Host,460,Net_460\n"
                              ",1,Node_1\n"
                              "Hub,100,Hub_100\n"
                              ",101,Node_101\n"
                              "Pvt,102,Node_102\n"
                              "Hold,103,Node_103\n"
                              "Down,104,Node_104\n"
                              "Hub,200,Hub_200\n"
                              ",201,Node_201\n"
                              ",10,Our_own_node\n"
                              "HUB,300,Hub_300\n"
                              ",300,Hub_300_again\n"
                              "Host,460,Net_460_again\n"
                              ",2,Node_2\n"
                              "host,461,Net_461\n"
                              ",3,Node_3\n"
                              "Host,460,Net_460_after_the_end\n"
                              "\x1a"
                              ",9,Node_9\n");
    Scanner scan;
    // An earlier source routed the hub 100 and the node 101.
    readRouteLine(scan.state(), scan.run.captured.messages, "2:5020/1 2:460/101 2:460/100\n");
    EXPECT_TRUE(scan.define(dir.file("NODELIST.120") + " Z 2 460\n"));
    EXPECT_EQ(scan.console(),
              scanning(dir.file("NODELIST.120"), "2:460") + "\nRe-routing for  2:460/101.");
    EXPECT_EQ(scan.table(), "2:5020/1 target\n"
                            "2:460/101 via 2:460/100\n"
                            "2:460/100 via 2:5020/1\n"
                            "2:460/0 target\n"
                            "2:460/1 via 2:460/0\n"
                            "2:460/102 via 2:460/100\n"
                            "2:460/103 via 2:460/100\n"
                            "2:460/104 via 2:460/100\n"
                            "2:460/200 target\n"
                            "2:460/201 via 2:460/200\n"
                            "2:460/300 target\n"
                            "2:460/2 via 2:460/0\n");
}

TEST(SpokewayScan, ALongLineIsOneLine) {
    ScratchDir dir;
    // What stands after 29999 characters of a line is no line of its own:
    // no hub, no node.
    dir.write("NODELIST.120", "Host,460,Net_460\n,5," + std::string(29996, 'x') +
                                  "Hub,7,Hub_7\n"
                                  ",6,Node_6\n;" +
                                  std::string(29998, 'y') + ",8,Node_8\n");
    Scanner scan;
    EXPECT_TRUE(scan.define(dir.file("NODELIST.120") + " N 2 460\n"));
    EXPECT_EQ(scan.table(), "2:460/0 target\n"
                            "2:460/5 via 2:460/0\n"
                            "2:460/6 via 2:460/0\n");
}

TEST(SpokewayRun, OwnHubMakesItsNodesLinks) {
    // A second own address, before the route type.
    TableRun result = runTable(ConfigText{.main = "2:460/10\nAddress 2:460/100",
                                          .more = "Spokeway NODELIST.120 Z 2 460\n"},
                               {{"NODELIST.120", "Zone,2,Zone_2\n"
                                                 "Host,460,Net_460\n"
                                                 ",1,Node_1\n"
                                                 ",10,Our_main_address\n"
                                                 "Hub,100,Our_hub\n"
                                                 ",101,Node_101\n"
                                                 ",102,Node_102\n"}});

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.console,
              Banner + "\nScanning nodelist NODELIST.120 for 2:460 spokeway..."
                       "\nAdjusting routing..."
                       "\n 2:460/101 is routed via us, but missing in \"Link\" definitions."
                       "\n 'DefaultFlavor' assumed."
                       "\n 2:460/102 is routed via us, but missing in \"Link\" definitions."
                       "\n 'DefaultFlavor' assumed."
                       "\nWriting routing..."
                       "\nDone! Total of 2 links and 5 items.");
    EXPECT_EQ(result.destination,
              "; begin\n"
              "; Squish routing for 2:460/10. Created by Spokeway generator 1.31beta\n"
              ";                     Fri Jan  1 09:05:00 1999\n"
              ";\n"
              "; *** Direct links\n"
              ";\n"
              "Send Hold    101 102\n"
              ";\n"
              "; *** Route\n"
              ";\n"
              "; *** Nodes\n"
              "; *** Nets\n"
              "; *** Zones\n"
              "; *** Default\n"
              ";\n"
              "; !!! Unrouted !!!\n"
              "; ----------------\n"
              "; >>>  2:460/0\n"
              "; end\n");
}

TEST(SpokewayRun, DefinitionWithOnlyThePathFailsTheRun) {
    TableRun result = runTable(
        ConfigText{.markers = "",
                   .more = "Spokeway NODELIST.120\nRouteFile routes.txt\n" + markerLines()},
        {{"NODELIST.120", netWithNode("1")}, {"routes.txt", "2:460/1 2:460/2\n"}},
        "unchanged\n; begin\n; end\n");

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.console, Banner + "\npathgen.cfg 5: Cannot open file."
                                       "\nScanning route file routes.txt...");
    EXPECT_EQ(result.destination, "unchanged\n; begin\n; end\n");
}

TEST(SpokewayRun, SpinnerTurnsEvery21stOr1001stLineAcrossScans) {
    auto lines = [](int count) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += ";\n";
        }
        return text;
    };
    // The last line of ZONE.2002 has no line feed and still counts.
    TableRun result = runTable(
        ConfigText{.markers = "",
                   .more = "Spokeway SEGMENT.45 N 2 460\n"
                           "Spokeway ZONE.2002 Z 2 460\n"
                           "Spokeway SEGMENT.41 r 2 460\n" +
                           markerLines()},
        {{"SEGMENT.45", lines(45)}, {"ZONE.2002", lines(2001) + ";"}, {"SEGMENT.41", lines(41)}},
        "head\n; begin\n; end\n");

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.console, Banner + "\nScanning nodelist SEGMENT.45 for 2:460 spokeway..."
                                       "-\b\\\b"
                                       "\nScanning nodelist ZONE.2002 for 2:460 spokeway..."
                                       "|\b/\b"
                                       "\nScanning nodelist SEGMENT.41 for 2:460 spokeway..."
                                       "-\b"
                                       "\nAdjusting routing..."
                                       "\nWriting routing..."
                                       "\nDone! Total of 0 links and 0 items.");
}
