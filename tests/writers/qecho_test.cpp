#include <gtest/gtest.h>

#include "writers/scenarios.hpp"

using namespace writer_scenarios;

namespace {

const std::string Opening = tableHeader('#', "QECHO") + "#\n# *** Route\n#\n";

const std::string WildcardTable = Opening + "# *** Nodes\n"
                                            "RouteVia\t2:460/1@fidonet\n"
                                            "RouteFor\t 2:460/1 2:460/5\n"
                                            "RouteVia\t2:461/7@fidonet\n"
                                            "RouteFor\t 2:461/7\n"
                                            "# *** Nets\n"
                                            "RouteVia\t2:460/1@fidonet\n"
                                            "RouteFor\t 2:462\n"
                                            "# *** Zones\n"
                                            "RouteVia\t2:460/1@fidonet\n"
                                            "RouteFor\t 3:\n"
                                            "RouteVia\t2:461/7@fidonet\n"
                                            "RouteFor\t 2:\n"
                                            "# *** Default\n"
                                            "RouteVia\t2:461/7@fidonet\n"
                                            "RouteFor\t1: 2: 3: 4: 5: 6: 7:\n"
                                            ";\n"
                                            "; !!! Unrouted !!!\n"
                                            "; ----------------\n";

} // namespace

// The width of 100 counts the whole two-line prefix; a broken list goes on
// in a new RouteVia/RouteFor pair. Flavours play no part. The report keeps
// ";" and breaks at 100 too.
TEST(QechoWriter, BreaksPairsAndReportsUnroutedWithSemicolons) {
    TableRun run = runScenario(Busy, "qecho");

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, BusyConsole);
    EXPECT_EQ(run.destination,
              std::string("top\n; begin\n") + Opening +
                  "# *** Nodes\n"
                  "RouteVia\t2:460/1@fidonet\n"
                  "RouteFor\t 2:460/1 2:460/100 2:460/101 2:460/102 2:460/103 2:460/104 "
                  "2:460/105\n"
                  "RouteVia\t2:460/1@fidonet\n"
                  "RouteFor\t 2:460/106 2:460/107 2:460/108 2:460/109 2:460/110 2:460/111\n"
                  "RouteVia\t2:461/7@fidonet\n"
                  "RouteFor\t 2:461/7 2:461/20 2:461/21 2:461/22 2:461/23 2:461/24 2:461/25 "
                  "2:461/26\n"
                  "RouteVia\t2:461/7@fidonet\n"
                  "RouteFor\t 2:461/27 2:461/28 2:461/29\n"
                  "RouteVia\t2:463/2@fidonet\n"
                  "RouteFor\t 2:463/2\n"
                  "# *** Nets\n"
                  "# *** Zones\n"
                  "# *** Default\n"
                  ";\n"
                  "; !!! Unrouted !!!\n"
                  "; ----------------\n"
                  "; >>>  2:460/99 2:461/12\n"
                  "; end\n"
                  "bottom\n");
}

TEST(QechoWriter, WritesZonesNetsAndTheWorldInItsOwnForm) {
    TableRun run = runScenario(Wildcards, "qecho");

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, WildcardConsole);
    EXPECT_EQ(run.destination, "top\n; begin\n" + WildcardTable + "; end\nbottom\n");
}

// The line break inside each pair follows the destination's line ends too.
TEST(QechoWriter, EndsBothLinesOfAPairWithCrLfInACrLfDestination) {
    TableRun run =
        runScenario(Wildcards, "qecho", "top\r\n; begin\r\nold table\r\n; end\r\nbottom\r\n");

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.destination, withCrLf("top\n; begin\n" + WildcardTable + "; end\nbottom\n"));
}
