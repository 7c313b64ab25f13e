#include <gtest/gtest.h>

#include "writers/scenarios.hpp"

using namespace writer_scenarios;

namespace {

const std::string Opening = tableHeader(';', "Unimail") + ";\n; *** Route\n;\n";

} // namespace

// Continued lines repeat the prefix without the link's own mask; the file and
// no-archive bits add nothing, crash wins over direct and hold.
TEST(UnimailWriter, BreaksLinesAndReportsUnrouted) {
    TableRun run = runScenario(Busy, "unimail");

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, BusyConsole);
    EXPECT_EQ(run.destination,
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
    TableRun run = runScenario(Wildcards, "unimail");

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, WildcardConsole);
    EXPECT_EQ(run.destination, std::string("top\n; begin\n") + Opening +
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
