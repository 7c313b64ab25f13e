#include <gtest/gtest.h>

#include "writers/scenarios.hpp"

using namespace writer_scenarios;

TEST(ImbinkWriter, FullTableWithWildcardsFlavoursAndBrokenLines) {
    TableRun run = runScenario(FullTable, "imbink", "# begin\n# end\n", '#');

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, consoleOf({"routes.txt"}, 4, 25));
    // Each mask is abbreviated against the one before; after a break the
    // next is abbreviated against the link. 2:460/2 carries NoArc and so is
    // not compressed.
    EXPECT_EQ(run.destination,
              "# begin\n" + tableHeader('#', "Imbink") +
                  "FSENDTO  461/7.*\n"
                  "Compress ZIP  1.* 461/7.* 3:50/1.*\n"
                  "# *** Nodes\n"
                  "Static Crash  2:460/1   1.* 5.* 461/3.* 8.* 460/100.* 101.* 102.*\n"
                  "Static Crash  2:460/1   103.* 104.* 105.* 106.* 107.* 108.* 109.*\n"
                  "Static Crash  2:460/1   110.* 111.* 112.*\n"
                  "Static Hold   2:461/7   7.* 3:50/5.*\n"
                  "Static Direct 2:460/2   2.* 6.*\n"
                  "Static Normal 3:50/1   1.*\n"
                  "# *** Nets\n"
                  "Static Crash  2:460/1   462/*.*\n"
                  "# *** Zones\n"
                  "Static Hold   2:461/7   3:*/*.*\n"
                  "# *** Default\n"
                  "Static Direct 2:460/2   *:*/*.*\n" +
                  reportHeading('#') + "# end\n");
}

TEST(ImbinkWriter, UnroutedReportIsCommentedWithHash) {
    TableRun run = runScenario(Unrouted, "imbink", "# begin\n# end\n", '#');

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, consoleOf({"routes.txt"}, 1, 6));
    // No link carries the file bit: no FSENDTO line at all.
    EXPECT_EQ(run.destination, "# begin\n" + tableHeader('#', "Imbink") +
                                   "Compress ZIP  1.*\n"
                                   "# *** Nodes\n"
                                   "Static Crash  2:460/1   1.* 5.*\n"
                                   "# *** Nets\n"
                                   "# *** Zones\n"
                                   "# *** Default\n" +
                                   reportHeading('#') +
                                   "# >>>  2:460/99.* 2:461/12.*\n"
                                   "# end\n");
}
