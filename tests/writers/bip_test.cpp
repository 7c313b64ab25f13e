#include <gtest/gtest.h>

#include "writers/scenarios.hpp"

using namespace writer_scenarios;

namespace {

const std::string Header = tableHeader(';', "BiP");

} // namespace

// A continued line repeats the prefix but not the link's own mask; all its
// masks, the first included, are abbreviated against the main address. The
// File line breaks at its own (one shorter) prefix length.
TEST(BipWriter, BreaksLinesAddsFileLinesAndReportsUnrouted) {
    TableRun run = runScenario(Busy, "bip");

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, BusyConsole);
    EXPECT_EQ(run.destination,
              std::string("top\n; begin\n") + Header +
                  "; *** Default\n"
                  "; *** Zones\n"
                  "; *** Nets\n"
                  "; *** Nodes\n"
                  "RouteCrash 2:460/1   1.* 100.* 101.* 102.* 103.* 104.* 105.* 106.*\n"
                  "RouteCrash 2:460/1   107.* 108.* 109.* 110.* 111.*\n"
                  "RouteCrash 2:461/7   461/7.* 461/20.* 461/21.* 461/22.* 461/23.*\n"
                  "RouteCrash 2:461/7   461/24.* 461/25.* 461/26.* 461/27.* 461/28.*\n"
                  "RouteCrash 2:461/7   461/29.*\n"
                  "FileCrash 2:461/7   461/7.* 461/20.* 461/21.* 461/22.* 461/23.* 461/24.*\n"
                  "FileCrash 2:461/7   461/25.* 461/26.* 461/27.* 461/28.* 461/29.*\n"
                  "RouteNorm  2:463/2   463/2.*\n"
                  ";\n"
                  "; !!! Unrouted !!!\n"
                  "; ----------------\n"
                  "; >>>  2:460/99.* 2:461/12.*\n"
                  "; end\n"
                  "bottom\n");
}

TEST(BipWriter, WritesWildcardEntriesFromWorldDownToNodes) {
    TableRun run = runScenario(Wildcards, "bip");

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, WildcardConsole);
    EXPECT_EQ(run.destination, std::string("top\n; begin\n") + Header +
                                   "; *** Default\n"
                                   "RouteHold  2:461/7   *:*/*.*\n"
                                   "; *** Zones\n"
                                   "RouteCrash 2:460/1   3:*/*.*\n"
                                   "RouteHold  2:461/7   */*.*\n"
                                   "; *** Nets\n"
                                   "RouteCrash 2:460/1   462/*.*\n"
                                   "; *** Nodes\n"
                                   "RouteCrash 2:460/1   1.* 5.*\n"
                                   "RouteHold  2:461/7   461/7.*\n"
                                   ";\n"
                                   "; !!! Unrouted !!!\n"
                                   "; ----------------\n"
                                   "; end\n"
                                   "bottom\n");
}
