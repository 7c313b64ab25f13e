#include <gtest/gtest.h>

#include "writers/scenarios.hpp"

using namespace writer_scenarios;

TEST(BpackWriter, FullTableWithWildcardsFlavoursAndBrokenLines) {
    TableRun run = runScenario(FullTable, "bpack", Region);

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, consoleOf({"routes.txt"}, 4, 25));
    // 2:460/2 (direct, hold, NoArc) stands on three lines of the Direct
    // block; the idle link 3:50/1 has its Direct line and no Route line.
    EXPECT_EQ(run.destination,
              "; begin\n" + tableHeader(';', "BPack") +
                  "; *** Direct links\n"
                  "Direct crash   2:460/1\n"
                  "Direct direct  2:460/2\n"
                  "Direct         3:50/1\n"
                  "Direct hold    2:461/7 2:460/2\n"
                  "NoArcSend      2:460/2\n"
                  "; *** Nodes\n"
                  "Route Crash  2:460/1  2:460/5 2:461/3 2:461/8 2:460/100 2:460/101\n"
                  "Route Crash  2:460/1  2:460/102 2:460/103 2:460/104 2:460/105 2:460/106\n"
                  "Route Crash  2:460/1  2:460/107 2:460/108 2:460/109 2:460/110 2:460/111\n"
                  "Route Crash  2:460/1  2:460/112\n"
                  "Route Hold   2:461/7  3:50/5\n"
                  "Route Direct 2:460/2  2:460/6\n"
                  "; *** Nets\n"
                  "Route Crash  2:460/1  2:462/*\n"
                  "; *** Zones\n"
                  "Route Hold   2:461/7  3:*/*\n"
                  "; *** Default\n"
                  "Route Direct 2:460/2  *:*/*\n" +
                  reportHeading(';') + "; end\n");
}

TEST(BpackWriter, UnroutedReport) {
    TableRun run = runScenario(Unrouted, "bpack", Region);

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, consoleOf({"routes.txt"}, 1, 6));
    EXPECT_EQ(run.destination, "; begin\n" + tableHeader(';', "BPack") +
                                   "; *** Direct links\n"
                                   "Direct crash   2:460/1\n"
                                   "; *** Nodes\n"
                                   "Route Crash  2:460/1  2:460/5\n"
                                   "; *** Nets\n"
                                   "; *** Zones\n"
                                   "; *** Default\n" +
                                   reportHeading(';') +
                                   "; >>>  2:460/99 2:461/12\n"
                                   "; end\n");
}
