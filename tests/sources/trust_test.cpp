#include <gtest/gtest.h>

#include "model_support.hpp"
#include "sources/sources.hpp"
#include "test_support.hpp"

using namespace testing_support;

namespace {

// Main address 2:460/10, a second own address 2:460/11, the crash link
// 2:460/1 and the hold link 2:460/2.
class TrustLine : public ::testing::Test {
  protected:
    void SetUp() override {
        state().akas = {FtnAddress{2, 460, 10}, FtnAddress{2, 460, 11}};
        run.context.notation.main = state().mainAddress();
        linkKeyword(run.context, "2:460/1 c\n", {});
        linkKeyword(run.context, "2:460/2 h\n", {});
    }
    RoutingState& state() { return captured.state; }
    void apply(const char* line) { readTrustLine(state(), captured.messages, line); }

    ConfigRun run;
    CapturedState& captured = run.captured;
};

} // namespace

TEST_F(TrustLine, LastListedLinkWinsAndOthersAreIgnored) {
    readRouteLine(state(), captured.messages, "2:460/1 2:461/9\n"); // an earlier source
    apply("2:461/5 460/1 2\n");         // both links, abbreviated after the node
    apply("2:461/6 2:460/3 9:9/9 1\n"); // no link among them
    apply("2:461/7\n");                 // the node alone
    apply("2:461/8 2:460/2 2:460/2\n"); // the same link twice
    apply("2:461/9 2:460/2\n");         // replaces the route file's via

    EXPECT_EQ(itemsText(state(), ItemForm::ByAddress), "2:460/1\n"
                                                       "2:460/2\n"
                                                       "2:461/9 via 2:460/2\n"
                                                       "2:461/5 via 2:460/2\n"
                                                       "2:461/8 via 2:460/2\n");
    EXPECT_EQ(captured.shown(), "\nRe-routing for  2:461/5."
                                "\nRe-routing for  2:461/9.");
}

TEST_F(TrustLine, CommentsStartOnlyInTheFirstColumn) {
    apply(";2:461/5 2:460/1\n");
    // Not a comment: ";" reads as node 0 of the main net, routed via 2:460/1.
    apply(" ; 2:460/1\n");
    apply("2:461/6 ; 2:460/1\n");
    apply("2:461/7 2:460/1 ;2:460/2\n");
    apply("\n");
    apply("");
    apply("2:461/8\t2:460/2\r\n");

    EXPECT_EQ(itemsText(state(), ItemForm::ByAddress), "2:460/1\n"
                                                       "2:460/2\n"
                                                       "2:460/0 via 2:460/1\n"
                                                       "2:461/7 via 2:460/1\n"
                                                       "2:461/8 via 2:460/2\n");
    EXPECT_EQ(captured.shown(), "");
}

TEST_F(TrustLine, OwnAddressesAreNeverRoutedAndWildcardsRouteGroups) {
    apply("2:460/11 2:460/1\n");  // an own address
    apply("2:460/1 2:460/2 1\n"); // a link via another; never via itself
    apply("2:462/* 2:460/1\n");
    apply("World 2:460/2\n");

    EXPECT_EQ(itemsText(state(), ItemForm::ByAddress), "2:460/1 via 2:460/2\n"
                                                       "2:460/2\n"
                                                       "2:462/* via 2:460/1\n"
                                                       "*:*/* via 2:460/2\n");
    EXPECT_EQ(captured.shown(), "");
}

TEST_F(TrustLine, ALongLineIsReadWhole) {
    ScratchDir dir;
    // Links after the 29999th character are still this node's.
    dir.write("trust.txt", "2:461/5" + std::string(40000, ' ') + "2:460/1\n2:461/6 9:9/9" +
                               std::string(29990, ' ') + "2:460/2\n");
    EXPECT_TRUE(run.routeFiles.readTrustFile(state(), captured.messages, dir.file("trust.txt")));
    EXPECT_EQ(itemsText(state(), ItemForm::ByAddress), "2:460/1\n"
                                                       "2:460/2\n"
                                                       "2:461/5 via 2:460/1\n"
                                                       "2:461/6 via 2:460/2\n");
}

TEST(TrustFile, OverridesRouteFilesAndIsOverriddenByDefaultRoutes) {
    TableRun run = runTable(ConfigText{.more = "TrustFile trust.txt\n"
                                               "Link 2:460/1 c\n"
                                               "Link 2:460/2 h\n"
                                               "RouteFile routes.txt\n"
                                               "DefaultRoute 2:460/1 2:461/3\n"},
                            {{"routes.txt", "2:460/1 2:461/1 2 3\n"},
                             {"trust.txt", "; trusted paths\n"
                                           "2:461/2 2:460/1 2:460/2\n"
                                           "2:461/3 2:460/2\n"}});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, Banner +
                               "\nScanning route file routes.txt..."
                               "\nScanning route file trust.txt..."
                               "\nRe-routing for  2:461/2."
                               "\nRe-routing for  2:461/3."
                               "\nRe-routing for  2:461/3." +
                               Writing + done(2, 5));
    EXPECT_EQ(run.destination,
              "; begin\n"
              "; Squish routing for 2:460/10. Created by Spokeway generator 1.31beta\n"
              ";                     Fri Jan  1 09:05:00 1999\n"
              ";\n"
              "; *** Direct links\n"
              ";\n"
              "Send Crash   1\n"
              "Send Hold    2\n"
              ";\n"
              "; *** Route\n"
              ";\n"
              "; *** Nodes\n"
              "Route Crash             2:460/1  461/1 3\n"
              "Route Hold              2:460/2  461/2\n"
              "; *** Nets\n"
              "; *** Zones\n"
              "; *** Default\n"
              ";\n"
              "; !!! Unrouted !!!\n"
              "; ----------------\n"
              "; end\n");
}

TEST(TrustFile, MissingFileFailsTheRunWithItsLine) {
    TableRun run =
        runTable(ConfigText{.markers = "",
                            .more = "TrustFile missing.txt\nTrustFile trust.txt\n" + markerLines()},
                 {{"trust.txt", "2:461/2 2:460/1\n"}}, "unchanged\n; begin\n; end\n");

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.console, Banner + "\npathgen.cfg 5: Cannot open file."
                                    "\nScanning route file trust.txt...");
    EXPECT_EQ(run.destination, "unchanged\n; begin\n; end\n");
}
