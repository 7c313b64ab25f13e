#include <gtest/gtest.h>

#include "writers/scenarios.hpp"

using namespace writer_scenarios;

TEST(XmailWriter, FullTableWithWildcardsAndFlavours) {
    TableRun run = runScenario(FullTable, "xmail", Region);

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, consoleOf({"routes.txt"}, 4, 25));
    // One line per node, never broken; flavours play no part.
    std::string nodes;
    for (int node = 100; node <= 112; ++node) {
        nodes += "2:460/" + std::to_string(node) + " VIA  2:460/1 /NC\n";
    }
    EXPECT_EQ(run.destination, "; begin\n" + tableHeader(';', "Xmail") +
                                   "; *** Directs\n"
                                   "2:460/1\n"
                                   "2:461/7\n"
                                   "2:460/2\n"
                                   "3:50/1\n"
                                   "; *** Nodes\n"
                                   "2:460/5 VIA  2:460/1 /NC\n"
                                   "2:461/3 VIA  2:460/1 /NC\n"
                                   "2:461/8 VIA  2:460/1 /NC\n" +
                                   nodes +
                                   "3:50/5 VIA  2:461/7 /NC\n"
                                   "2:460/6 VIA  2:460/2 /NC\n"
                                   "; *** Nets\n"
                                   "2:462/All VIA  2:460/1 /NC\n"
                                   "; *** Zones\n"
                                   "3:All/All VIA  2:461/7 /NC\n"
                                   "; *** Default\n"
                                   "World VIA  2:460/2 /NC\n" +
                                   reportHeading(';') + "; end\n");
}

TEST(XmailWriter, NodesViaUnroutedTargetsAndTheReport) {
    TableRun run = runScenario(Unrouted, "xmail", Region);

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, consoleOf({"routes.txt"}, 1, 6));
    // A node routed via a via target that is no link still names it.
    EXPECT_EQ(run.destination, "; begin\n" + tableHeader(';', "Xmail") +
                                   "; *** Directs\n"
                                   "2:460/1\n"
                                   "; *** Nodes\n"
                                   "2:460/5 VIA  2:460/1 /NC\n"
                                   "2:460/50 VIA  2:460/99 /NC\n"
                                   "2:461/40 VIA  2:461/12 /NC\n"
                                   "; *** Nets\n"
                                   "; *** Zones\n"
                                   "; *** Default\n" +
                                   reportHeading(';') +
                                   "; >>>  2:460/99 2:461/12\n"
                                   "; end\n");
}
