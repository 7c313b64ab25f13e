#include <gtest/gtest.h>

#include "test_support.hpp"
#include "writer_scenarios.hpp"

using namespace writer_scenarios;

namespace {

constexpr const char* Opening =
    "; Unimail routing for 2:460/10. Created by Spokeway generator 1.31beta\n"
    ";                     Fri Jan  1 09:05:00 1999\n"
    ";\n"
    ";\n"
    "; *** Route\n"
    ";\n";

} // namespace

// Continued lines repeat the prefix without the link's own mask; the file and
// no-archive bits add nothing, crash wins over direct and hold.
TEST(UnimailWriter, BreaksLinesAndReportsUnrouted) {
    Outcome outcome = runScenario(busyConfig("unimail"), BusyRoutes);

    EXPECT_EQ(outcome.run.exitCode, 0);
    EXPECT_EQ(outcome.run.console, BusyConsole);
    EXPECT_EQ(outcome.destination,
              std::string("top\n; begin\n") + Opening +
                  "; *** Nodes\n"
                  "RouteCrash  2:460/1 2:460/1.* 2:460/100.* 2:460/101.* 2:460/102.*\n"
                  "RouteCrash  2:460/1 2:460/103.* 2:460/104.* 2:460/105.* 2:460/106.*\n"
                  "RouteCrash  2:460/1 2:460/107.* 2:460/108.* 2:460/109.* 2:460/110.*\n"
                  "RouteCrash  2:460/1 2:460/111.*\n"
                  "RouteCrash  2:461/7 2:461/7.* 2:461/20.* 2:461/21.* 2:461/22.* 2:461/23.*\n"
                  "RouteCrash  2:461/7 2:461/24.* 2:461/25.* 2:461/26.* 2:461/27.* 2:461/28.*\n"
                  "RouteCrash  2:461/7 2:461/29.*\n"
                  "RouteNormal 2:463/2 2:463/2.*\n"
                  "; *** Nets\n"
                  "; *** Zones\n"
                  "; *** Default\n"
                  ";\n"
                  "; !!! Unrouted !!!\n"
                  "; ----------------\n"
                  "; >>>  2:460/99.* 2:461/12.*\n"
                  "; end\n"
                  "bottom\n");
}

TEST(UnimailWriter, WritesEveryKindOfWildcardInFull) {
    Outcome outcome = runScenario(wildcardConfig("unimail"), WildcardRoutes);

    EXPECT_EQ(outcome.run.exitCode, 0);
    EXPECT_EQ(outcome.run.console, WildcardConsole);
    EXPECT_EQ(outcome.destination, std::string("top\n; begin\n") + Opening +
                                       "; *** Nodes\n"
                                       "RouteCrash  2:460/1 2:460/1.* 2:460/5.*\n"
                                       "RouteHold   2:461/7 2:461/7.*\n"
                                       "; *** Nets\n"
                                       "RouteCrash  2:460/1 2:462/*.*\n"
                                       "; *** Zones\n"
                                       "RouteCrash  2:460/1 3:*/*.*\n"
                                       "RouteHold   2:461/7 2:*/*.*\n"
                                       "; *** Default\n"
                                       "RouteHold   2:461/7 *:*/*.*\n"
                                       ";\n"
                                       "; !!! Unrouted !!!\n"
                                       "; ----------------\n"
                                       "; end\n"
                                       "bottom\n");
}
