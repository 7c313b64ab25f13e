#include <gtest/gtest.h>

#include "writers/scenarios.hpp"

using namespace writer_scenarios;

namespace {

const std::string Header = tableHeader('\\', "Ftrack");

const std::string WildcardTable = Header + "\\ *** Nodes\n"
                                           "Mask: * * *  2:460/1.* * *\n"
                                           "Mask: * * *  2:460/5.* * *\n"
                                           "Action: Route Crash  2:460/1\n"
                                           "\\\n"
                                           "Mask: * * *  2:461/7.* * *\n"
                                           "Action: Route Hold   2:461/7\n"
                                           "\\\n"
                                           "\\ *** Nets\n"
                                           "Mask: * * *  2:462/*.* * *\n"
                                           "Action: Route Crash  2:460/1\n"
                                           "\\\n"
                                           "\\ *** Zones\n"
                                           "Mask: * * *  3:*/*.* * *\n"
                                           "Action: Route Crash  2:460/1\n"
                                           "\\\n"
                                           "Mask: * * *  2:*/*.* * *\n"
                                           "Action: Route Hold   2:461/7\n"
                                           "\\\n"
                                           "\\ *** Default\n"
                                           "Mask: * * * * * *\n"
                                           "Action: Route Hold   2:461/7\n"
                                           "\\\n"
                                           "\\\n"
                                           "\\ !!! Unrouted !!!\n"
                                           "\\ ----------------\n";

} // namespace

// Every mask stands on its own line, one action per link and pass; the idle
// link still gets its own mask and action in the Nodes pass, and the report
// after it writes one unrouted address a line.
TEST(FtrackWriter, WritesOneMaskALineAndOneUnroutedAddressALine) {
    TableRun run = runScenario(Busy, "ftrack");

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, BusyConsole);
    EXPECT_EQ(run.destination, std::string("top\n; begin\n") + Header +
                                   "\\ *** Nodes\n"
                                   "Mask: * * *  2:460/1.* * *\n"
                                   "Mask: * * *  2:460/100.* * *\n"
                                   "Mask: * * *  2:460/101.* * *\n"
                                   "Mask: * * *  2:460/102.* * *\n"
                                   "Mask: * * *  2:460/103.* * *\n"
                                   "Mask: * * *  2:460/104.* * *\n"
                                   "Mask: * * *  2:460/105.* * *\n"
                                   "Mask: * * *  2:460/106.* * *\n"
                                   "Mask: * * *  2:460/107.* * *\n"
                                   "Mask: * * *  2:460/108.* * *\n"
                                   "Mask: * * *  2:460/109.* * *\n"
                                   "Mask: * * *  2:460/110.* * *\n"
                                   "Mask: * * *  2:460/111.* * *\n"
                                   "Action: Route Crash  2:460/1\n"
                                   "\\\n"
                                   "Mask: * * *  2:461/7.* * *\n"
                                   "Mask: * * *  2:461/20.* * *\n"
                                   "Mask: * * *  2:461/21.* * *\n"
                                   "Mask: * * *  2:461/22.* * *\n"
                                   "Mask: * * *  2:461/23.* * *\n"
                                   "Mask: * * *  2:461/24.* * *\n"
                                   "Mask: * * *  2:461/25.* * *\n"
                                   "Mask: * * *  2:461/26.* * *\n"
                                   "Mask: * * *  2:461/27.* * *\n"
                                   "Mask: * * *  2:461/28.* * *\n"
                                   "Mask: * * *  2:461/29.* * *\n"
                                   "Action: Route Crash  2:461/7\n"
                                   "\\\n"
                                   "Mask: * * *  2:463/2.* * *\n"
                                   "Action: Route Normal 2:463/2\n"
                                   "\\\n"
                                   "\\ *** Nets\n"
                                   "\\ *** Zones\n"
                                   "\\ *** Default\n"
                                   "\\\n"
                                   "\\ !!! Unrouted !!!\n"
                                   "\\ ----------------\n"
                                   "\\ >>>  2:460/99.*\n"
                                   "\\ >>>  2:461/12.*\n"
                                   "; end\n"
                                   "bottom\n");
}

TEST(FtrackWriter, WritesEveryKindOfWildcardAsAMask) {
    TableRun run = runScenario(Wildcards, "ftrack");

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, WildcardConsole);
    EXPECT_EQ(run.destination, "top\n; begin\n" + WildcardTable + "; end\nbottom\n");
}

// The line that closes each action block follows the destination's line ends.
TEST(FtrackWriter, EndsActionBlocksWithCrLfInACrLfDestination) {
    TableRun run =
        runScenario(Wildcards, "ftrack", "top\r\n; begin\r\nold table\r\n; end\r\nbottom\r\n");

    const std::string expected = withCrLf("top\n; begin\n" + WildcardTable + "; end\nbottom\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.destination, expected);
}
