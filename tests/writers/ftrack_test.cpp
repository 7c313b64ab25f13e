#include <gtest/gtest.h>

#include "test_support.hpp"
#include "writer_scenarios.hpp"

using namespace writer_scenarios;

namespace {

constexpr const char* Header =
    "\\ Ftrack routing for 2:460/10. Created by Spokeway generator 1.31beta\n"
    "\\                     Fri Jan  1 09:05:00 1999\n"
    "\\\n";

const std::string WildcardTable = std::string(Header) + "\\ *** Nodes\n"
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
    Outcome outcome = runScenario(busyConfig("ftrack"), BusyRoutes);

    EXPECT_EQ(outcome.run.exitCode, 0);
    EXPECT_EQ(outcome.run.console, BusyConsole);
    EXPECT_EQ(outcome.destination, std::string("top\n; begin\n") + Header +
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
    Outcome outcome = runScenario(wildcardConfig("ftrack"), WildcardRoutes);

    EXPECT_EQ(outcome.run.exitCode, 0);
    EXPECT_EQ(outcome.run.console, WildcardConsole);
    EXPECT_EQ(outcome.destination, "top\n; begin\n" + WildcardTable + "; end\nbottom\n");
}

// The line that closes each action block follows the destination's line ends.
TEST(FtrackWriter, EndsActionBlocksWithCrLfInACrLfDestination) {
    Outcome outcome = runScenario(wildcardConfig("ftrack"), WildcardRoutes,
                                  "top\r\n; begin\r\nold table\r\n; end\r\nbottom\r\n");

    std::string expected;
    for (char c : "top\n; begin\n" + WildcardTable + "; end\nbottom\n") {
        if (c == '\n') {
            expected += '\r';
        }
        expected += c;
    }
    EXPECT_EQ(outcome.run.exitCode, 0);
    EXPECT_EQ(outcome.destination, expected);
}
