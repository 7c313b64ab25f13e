#include <gtest/gtest.h>

#include "writers/scenarios.hpp"

using namespace writer_scenarios;

namespace {

const std::string Header = tableHeader('#', "Fidogate");

} // namespace

// A link with several delivery bits is sent on each matching line; its route
// line names crash, file and noarc. The idle link gets a send line only.
TEST(FidogateWriter, BreaksRouteLinesAndReportsUnroutedWithHashes) {
    TableRun run = runScenario(Busy, "fidogate");

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, BusyConsole);
    EXPECT_EQ(run.destination,
              std::string("top\n; begin\n") + Header +
                  "# *** Direct links\n"
                  "#\n"
                  "send crash   2:460/1 2:461/7\n"
                  "send direct  2:461/7\n"
                  "send hold    2:461/7\n"
                  "send normal  2:463/2\n"
                  "#\n"
                  "# *** Route\n"
                  "#\n"
                  "# *** Nodes\n"
                  "route crash             2:460/1  2:460/100 2:460/101 2:460/102 2:460/103\n"
                  "route crash             2:460/1  2:460/104 2:460/105 2:460/106 2:460/107\n"
                  "route crash             2:460/1  2:460/108 2:460/109 2:460/110 2:460/111\n"
                  "route crash  file noarc 2:461/7  2:461/20 2:461/21 2:461/22 2:461/23\n"
                  "route crash  file noarc 2:461/7  2:461/24 2:461/25 2:461/26 2:461/27\n"
                  "route crash  file noarc 2:461/7  2:461/28 2:461/29\n"
                  "# *** Nets\n"
                  "# *** Zones\n"
                  "# *** Default\n"
                  "#\n"
                  "# !!! Unrouted !!!\n"
                  "# ----------------\n"
                  "# >>>  2:460/99 2:461/12\n"
                  "; end\n"
                  "bottom\n");
}

TEST(FidogateWriter, WritesEveryKindOfWildcardWithAll) {
    TableRun run = runScenario(Wildcards, "fidogate");

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, WildcardConsole);
    EXPECT_EQ(run.destination, std::string("top\n; begin\n") + Header +
                                   "# *** Direct links\n"
                                   "#\n"
                                   "send crash   2:460/1\n"
                                   "send hold    2:461/7\n"
                                   "#\n"
                                   "# *** Route\n"
                                   "#\n"
                                   "# *** Nodes\n"
                                   "route crash             2:460/1  2:460/5\n"
                                   "# *** Nets\n"
                                   "route crash             2:460/1  2:462/All\n"
                                   "# *** Zones\n"
                                   "route crash             2:460/1  3:All/All\n"
                                   "route hold              2:461/7  2:All/All\n"
                                   "# *** Default\n"
                                   "route hold              2:461/7  World\n"
                                   "#\n"
                                   "# !!! Unrouted !!!\n"
                                   "# ----------------\n"
                                   "; end\n"
                                   "bottom\n");
}
