#include <gtest/gtest.h>

#include "writers/scenarios.hpp"

using namespace writer_scenarios;

TEST(ItrackWriter, FullTableWithWildcardsFlavoursAndBrokenLines) {
    TableRun run = runScenario(FullTable, "itrack", Region);

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, consoleOf({"routes.txt"}, 4, 25));
    // The fifth routed mask takes the first line of 2:460/1 past 64; later
    // lines repeat flavour and link but not the link's own mask. The idle
    // link 3:50/1 only has its own mask, in the Nodes pass.
    EXPECT_EQ(run.destination,
              "; begin\n" + tableHeader(';', "iTrack") +
                  "; *** Nodes\n"
                  "Crash 2:460/1   2:460/1.* 2:460/5.* 2:461/3.* 2:461/8.* 2:460/100.*\n"
                  "Crash 2:460/1   2:460/101.* 2:460/102.* 2:460/103.* 2:460/104.* 2:460/105.*\n"
                  "Crash 2:460/1   2:460/106.* 2:460/107.* 2:460/108.* 2:460/109.* 2:460/110.*\n"
                  "Crash 2:460/1   2:460/111.* 2:460/112.*\n"
                  "Hold  2:461/7   2:461/7.* 3:50/5.*\n"
                  "Dir   2:460/2   2:460/2.* 2:460/6.*\n"
                  "      3:50/1   3:50/1.*\n"
                  "; *** Nets\n"
                  "Crash 2:460/1   2:462/*.*\n"
                  "; *** Zones\n"
                  "Hold  2:461/7   3:*/*.*\n"
                  "; *** Default\n"
                  "Dir   2:460/2   *:*/*.*\n" +
                  reportHeading(';') + "; end\n");
}

TEST(ItrackWriter, UnroutedReportKeepsThePointMasks) {
    TableRun run = runScenario(Unrouted, "itrack", Region);

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, consoleOf({"routes.txt"}, 1, 6));
    EXPECT_EQ(run.destination, "; begin\n" + tableHeader(';', "iTrack") +
                                   "; *** Nodes\n"
                                   "Crash 2:460/1   2:460/1.* 2:460/5.*\n"
                                   "; *** Nets\n"
                                   "; *** Zones\n"
                                   "; *** Default\n" +
                                   reportHeading(';') +
                                   "; >>>  2:460/99.* 2:461/12.*\n"
                                   "; end\n");
}
