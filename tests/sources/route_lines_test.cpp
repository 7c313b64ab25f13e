// Route lines (DefaultRoute arguments and route file lines) and the reading
// of route files.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <initializer_list>
#include <thread>

#include "model_support.hpp"
#include "sources/sources.hpp"
#include "test_support.hpp"

using namespace testing_support;

namespace {

// A state whose main address is 2:460/10, with further own addresses.
struct RouteLines : ::testing::Test {
    ConfigRun run;
    CapturedState& captured = run.captured;
    RoutingState& state = captured.state;

    void SetUp() override { state.akas.push_back(at("2:460/10")); }

    void apply(std::initializer_list<std::string_view> lines) {
        for (std::string_view line : lines) {
            readRouteLine(state, captured.messages, line);
        }
    }
};

TEST_F(RouteLines, ExampleOfCommentNetsAbbreviationsAndArrow) {
    apply({"; routes via the uplink\n", "2:460/1 2:460/* 2:461/*\n", "2:460/7 3 4 461/9\n",
           "> 2:460/10 2:460/20 2:460/21\n"});
    EXPECT_EQ(itemsText(state), "0 2:460/1 via - target\n"
                                "1 2:460/* via 0\n"
                                "2 2:461/* via 0\n"
                                "3 2:460/7 via - target\n"
                                "4 2:460/3 via 3\n"
                                "5 2:460/4 via 3\n"
                                "6 2:461/9 via 3\n"
                                "7 2:460/10 via - target\n"
                                "8 2:460/20 via 7\n"
                                "9 2:460/21 via 8\n");
    EXPECT_EQ(captured.shown(), "");
}

TEST_F(RouteLines, EmptyLinesCommentsAndTrailingBlanksChangeNothing) {
    apply({"", "\n", " \t\r\n", "   ; 2:460/1 2:460/2\n", ";2:460/1 2:460/2", "2:460/5\n",
           "2:460/6 ; 2:460/7\n", "2:460/8 \t\r\n", "2:460/9;x 2:461/1\n"});
    // A ';' inside a word belongs to the address word and ends nothing.
    EXPECT_EQ(itemsText(state), "0 2:460/5 via - target\n"
                                "1 2:460/6 via - target\n"
                                "2 2:460/8 via - target\n"
                                "3 2:460/9 via - target\n"
                                "4 2:461/1 via 3\n");
}

TEST_F(RouteLines, AbbreviationRunsOnWithinALineButNotAcrossLines) {
    apply({"3:100/1 3:200/7 8\n", "5 6\n", "3:100/1 World 7\n", "2:460/2 World 200/2\n"});
    // Each line starts again from the main address; "World" also leaves the
    // main address behind for the next abbreviation, also when it is
    // re-routed and the message for it is printed.
    EXPECT_EQ(itemsText(state), "0 3:100/1 via - target\n"
                                "1 3:200/7 via 0\n"
                                "2 3:200/8 via 0\n"
                                "3 2:460/5 via - target\n"
                                "4 2:460/6 via 3\n"
                                "5 *:*/* via 7\n"
                                "6 2:460/7 via 0\n"
                                "7 2:460/2 via - target\n"
                                "8 2:200/2 via 7\n");
    EXPECT_EQ(captured.shown(), "\nRe-routing for  World.");
}

TEST_F(RouteLines, ArrowFromAnotherOwnAddressRoutesViaTheMainAddressItem) {
    state.akas.push_back(at("2:5020/99"));
    apply({"> 2:5020/99 20 21\n"});
    EXPECT_EQ(itemsText(state), "0 2:460/10 via - target\n"
                                "1 2:5020/20 via 0\n"
                                "2 2:5020/21 via 1\n");
}

TEST_F(RouteLines, ArrowBeforeAForeignAddressOrInsideTheLineIsNoArrow) {
    apply({">2:460/7 8 9\n", "2:461/1 >8 9\n"});
    // ">8" is read as an address word: no digits at its start, so node 0.
    EXPECT_EQ(itemsText(state), "0 2:460/7 via - target\n"
                                "1 2:460/8 via 0\n"
                                "2 2:460/9 via 0\n"
                                "3 2:461/1 via - target\n"
                                "4 2:461/0 via 3\n"
                                "5 2:461/9 via 3\n");
}

TEST_F(RouteLines, ArrowWithoutANodeAfterItIsAnEmptyLine) {
    state.akas.push_back(at("2:5020/99"));
    apply({">\n", ">", "  >  \t; comment\n", "> 2:460/10\n", "> 2:460/10", "> 2:5020/99 ; x\n",
           ">2:460/10   \r\n"});
    EXPECT_EQ(itemsText(state), "");
    EXPECT_EQ(captured.shown(), "");
}

TEST_F(RouteLines, OwnAddressesAndTheViaNodeItselfAreSkippedInTheList) {
    state.akas.push_back(at("2:5020/99"));
    apply({"2:460/7 2:5020/99 2:460/10 7 8\n"});
    EXPECT_EQ(itemsText(state), "0 2:460/7 via - target\n"
                                "1 2:460/8 via 0\n");
}

TEST_F(RouteLines, TheLastRuleWinsAndSaysSoWhenTheViaChanges) {
    apply({"2:460/1 5 6\n", "2:460/2 5\n", "2:460/2 5\n", "2:460/1 2\n", "2:460/5 7\n",
           "World 2:460/6\n"});
    EXPECT_EQ(itemsText(state), "0 2:460/1 via - target\n"
                                "1 2:460/5 via 3\n"
                                "2 2:460/6 via 5\n"
                                "3 2:460/2 via 0\n"
                                "4 2:460/7 via 1\n"
                                "5 *:*/* via - target\n");
    EXPECT_EQ(captured.shown(), "\nRe-routing for  2:460/5.\nRe-routing for  2:460/6.");
}

// Route files, read from a scratch folder.
struct RouteFiles : RouteLines {
    ScratchDir dir;

    void SetUp() override {
        RouteLines::SetUp();
        run.context.line = 7;
    }

    bool readRoutes(const std::string& content) {
        dir.write("routes.txt", content);
        return routeFileKeyword(run.context, dir.file("routes.txt") + " ignored words\n", {});
    }

    std::string scanned() const {
        return "\nScanning route file " + dir.file("routes.txt") + "...";
    }
};

TEST_F(RouteFiles, EveryLineIsARouteLineAndTheLastNeedsNoLineFeed) {
    EXPECT_TRUE(readRoutes("; uplink\r\n2:460/1 5\r\n\r\n2:461/2 6"));
    EXPECT_EQ(itemsText(state), "0 2:460/1 via - target\n"
                                "1 2:460/5 via 0\n"
                                "2 2:461/2 via - target\n"
                                "3 2:461/6 via 2\n");
    EXPECT_EQ(captured.shown(), scanned());
}

TEST_F(RouteFiles, ALongLineIsReadWhole) {
    // A word across the 29999th character stays one address, and the rest
    // of the line is no route line of its own.
    std::string line = "2:460/1" + std::string(29985, ' ') + "2:460/78 9\n";
    ASSERT_EQ(line.find("2:460/78"), 29992u);
    EXPECT_TRUE(readRoutes(line));
    EXPECT_EQ(itemsText(state), "0 2:460/1 via - target\n"
                                "1 2:460/78 via 0\n"
                                "2 2:460/9 via 0\n");
}

TEST(RouteFile, ALineOf64000AddressesRoutesThemAll) {
    std::string line = "2:460/1 2:461/1";
    for (int node = 2; node <= 64000; ++node) {
        line += " " + std::to_string(node);
    }
    TableRun run = runTable(ConfigText{.links = "Link 2:460/1 c\n", .more = "RouteFile r.txt\n"},
                            {{"r.txt", line + "\n"}});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, consoleOf({"r.txt"}, 1, 64001));
    // No via node was made up: nothing is unrouted.
    EXPECT_TRUE(run.destination.ends_with(reportHeading(';') + "; end\n"));
}

TEST_F(RouteFiles, InputEndsAtCtrlZ) {
    EXPECT_TRUE(readRoutes("2:460/1 5 6\x1A 7\n2:460/2 8\n"));
    EXPECT_EQ(itemsText(state), "0 2:460/1 via - target\n"
                                "1 2:460/5 via 0\n"
                                "2 2:460/6 via 0\n");
}

TEST_F(RouteFiles, AFileNamedAgainIsAppliedAgainWheneverTheTableOrTheFileChanged) {
    EXPECT_TRUE(readRoutes("2:460/1 5 6\n"));
    EXPECT_TRUE(readRoutes("2:460/1 5 6\n"));
    EXPECT_TRUE(readRoutes("2:460/1 5 6\n"));
    apply({"2:460/2 5\n"});
    EXPECT_TRUE(readRoutes("2:460/1 5 6\n"));
    EXPECT_TRUE(readRoutes("2:460/2 5 6 7\n"));
    EXPECT_EQ(itemsText(state), "0 2:460/1 via - target\n"
                                "1 2:460/5 via 3\n"
                                "2 2:460/6 via 3\n"
                                "3 2:460/2 via - target\n"
                                "4 2:460/7 via 3\n");
    const std::string rerouted = "\nRe-routing for  2:460/5.";
    EXPECT_EQ(captured.shown(), scanned() + scanned() + scanned() + rerouted + scanned() +
                                    rerouted + scanned() + rerouted + "\nRe-routing for  2:460/6.");
    // Rewritten in place with as many bytes and given back its modification
    // time, the file is still told from the one applied before.
    EXPECT_TRUE(readRoutes("2:460/2 5 6 7\n"));
    const auto modified = std::filesystem::last_write_time(dir.file("routes.txt"));
    std::this_thread::sleep_for(std::chrono::milliseconds(20)); // a later change time
    dir.write("routes.txt", "2:460/1 5 6 7\n");
    std::filesystem::last_write_time(dir.file("routes.txt"), modified);
    EXPECT_TRUE(routeFileKeyword(run.context, dir.file("routes.txt") + "\n", {}));
    EXPECT_EQ(itemsText(state), "0 2:460/1 via - target\n"
                                "1 2:460/5 via 0\n"
                                "2 2:460/6 via 0\n"
                                "3 2:460/2 via - target\n"
                                "4 2:460/7 via 0\n");
}

TEST_F(RouteFiles, AFileThatCannotBeOpenedFailsWithATaggedMessage) {
    std::filesystem::create_directory(dir.path() / "folder");
    EXPECT_FALSE(routeFileKeyword(run.context, dir.file("missing.txt") + "\n", {}));
    EXPECT_FALSE(routeFileKeyword(run.context, dir.file("folder"), {}));
    EXPECT_EQ(captured.shown(),
              "\npathgen.cfg 7: Cannot open file.\npathgen.cfg 7: Cannot open file.");
    EXPECT_EQ(itemsText(state), "");
}

} // namespace
