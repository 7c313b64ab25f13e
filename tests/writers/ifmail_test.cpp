#include <gtest/gtest.h>

#include "writers/scenarios.hpp"

using namespace writer_scenarios;

TEST(IfmailWriter, FullTableWithWildcardsAndFlavours) {
    TableRun run = runScenario(FullTable, "ifmail", "# begin\n# end\n", '#');

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, consoleOf({"routes.txt"}, 4, 25));
    // Every node of the Nodes pass has a line for itself and a dotted one;
    // wildcards only the dotted one. 2:460/2 is direct (and hold): "n".
    std::string nodes;
    for (int node = 100; node <= 112; ++node) {
        std::string host = "f" + std::to_string(node) + ".n460.z2.fidonet.org";
        nodes += host + "\tifmail-c:f1.n460.z2.fidonet.org\n";
        nodes += "." + host + "\tifmail-c:f1.n460.z2.fidonet.org\n";
    }
    EXPECT_EQ(run.destination, "# begin\n" + tableHeader('#', "sendmail") +
                                   "# *** Nodes\n"
                                   "f1.n460.z2.fidonet.org\tifmail-c:f1.n460.z2.fidonet.org\n"
                                   ".f1.n460.z2.fidonet.org\tifmail-c:f1.n460.z2.fidonet.org\n"
                                   "f7.n461.z2.fidonet.org\tifmail-h:f7.n461.z2.fidonet.org\n"
                                   ".f7.n461.z2.fidonet.org\tifmail-h:f7.n461.z2.fidonet.org\n"
                                   "f2.n460.z2.fidonet.org\tifmail-n:f2.n460.z2.fidonet.org\n"
                                   ".f2.n460.z2.fidonet.org\tifmail-n:f2.n460.z2.fidonet.org\n"
                                   "f1.n50.z3.fidonet.org\tifmail-n:f1.n50.z3.fidonet.org\n"
                                   ".f1.n50.z3.fidonet.org\tifmail-n:f1.n50.z3.fidonet.org\n"
                                   "f5.n460.z2.fidonet.org\tifmail-c:f1.n460.z2.fidonet.org\n"
                                   ".f5.n460.z2.fidonet.org\tifmail-c:f1.n460.z2.fidonet.org\n"
                                   "f3.n461.z2.fidonet.org\tifmail-c:f1.n460.z2.fidonet.org\n"
                                   ".f3.n461.z2.fidonet.org\tifmail-c:f1.n460.z2.fidonet.org\n"
                                   "f8.n461.z2.fidonet.org\tifmail-c:f1.n460.z2.fidonet.org\n"
                                   ".f8.n461.z2.fidonet.org\tifmail-c:f1.n460.z2.fidonet.org\n" +
                                   nodes +
                                   "f5.n50.z3.fidonet.org\tifmail-h:f7.n461.z2.fidonet.org\n"
                                   ".f5.n50.z3.fidonet.org\tifmail-h:f7.n461.z2.fidonet.org\n"
                                   "f6.n460.z2.fidonet.org\tifmail-n:f2.n460.z2.fidonet.org\n"
                                   ".f6.n460.z2.fidonet.org\tifmail-n:f2.n460.z2.fidonet.org\n"
                                   "# *** Nets\n"
                                   ".n462.z2.fidonet.org\tifmail-c:f1.n460.z2.fidonet.org\n"
                                   "# *** Zones\n"
                                   ".z3.fidonet.org\tifmail-h:f7.n461.z2.fidonet.org\n"
                                   "# *** Default\n"
                                   ".fidonet.org\tifmail-n:f2.n460.z2.fidonet.org\n" +
                                   reportHeading('#') + "# end\n");
}

TEST(IfmailWriter, NodesViaUnroutedTargetsGetNoLineAndAreReported) {
    TableRun run = runScenario(Unrouted, "ifmail", "# begin\n# end\n", '#');

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, consoleOf({"routes.txt"}, 1, 6));
    EXPECT_EQ(run.destination, "# begin\n" + tableHeader('#', "sendmail") +
                                   "# *** Nodes\n"
                                   "f1.n460.z2.fidonet.org\tifmail-c:f1.n460.z2.fidonet.org\n"
                                   ".f1.n460.z2.fidonet.org\tifmail-c:f1.n460.z2.fidonet.org\n"
                                   "f5.n460.z2.fidonet.org\tifmail-c:f1.n460.z2.fidonet.org\n"
                                   ".f5.n460.z2.fidonet.org\tifmail-c:f1.n460.z2.fidonet.org\n"
                                   "# *** Nets\n"
                                   "# *** Zones\n"
                                   "# *** Default\n" +
                                   reportHeading('#') +
                                   "# >>>  2:460/99 2:461/12\n"
                                   "# end\n");
}

TEST(IfmailWriter, LinkOnTwoLinkLinesGetsOneLetterPerEntry) {
    TableRun run =
        runScenario({"Link 2:460/1 c\nLink 2:460/1 h\nLink 2:461/7 d\n", "2:460/1 5 462/*\n"},
                    "ifmail", "# begin\n# end\n", '#');

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, consoleOf({"routes.txt"}, 3, 4));
    EXPECT_EQ(run.destination, "# begin\n" + tableHeader('#', "sendmail") +
                                   "# *** Nodes\n"
                                   "f1.n460.z2.fidonet.org\tifmail-ch:f1.n460.z2.fidonet.org\n"
                                   ".f1.n460.z2.fidonet.org\tifmail-ch:f1.n460.z2.fidonet.org\n"
                                   "f7.n461.z2.fidonet.org\tifmail-n:f7.n461.z2.fidonet.org\n"
                                   ".f7.n461.z2.fidonet.org\tifmail-n:f7.n461.z2.fidonet.org\n"
                                   "f5.n460.z2.fidonet.org\tifmail-ch:f1.n460.z2.fidonet.org\n"
                                   ".f5.n460.z2.fidonet.org\tifmail-ch:f1.n460.z2.fidonet.org\n"
                                   "# *** Nets\n"
                                   ".n462.z2.fidonet.org\tifmail-ch:f1.n460.z2.fidonet.org\n"
                                   "# *** Zones\n"
                                   "# *** Default\n" +
                                   reportHeading('#') + "# end\n");
}

// The arrow line puts the main address into the table, where the zone entry
// gives it a default route. Mail for the gateway and its points must not be
// sent to the uplink, so the main address gets no line, as in the lists of
// every other route type.
TEST(IfmailWriter, OwnAddressGetsNoLineEvenWithADefaultRoute) {
    TableRun run = runScenario({"Link 2:460/1 c\n", "2:460/1 2:*/*\n> 2:460/10 2:460/20 21\n"},
                               "ifmail", "# begin\n# end\n", '#');

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, Banner +
                               "\nScanning route file routes.txt..."
                               "\nAdjusting routing..."
                               "\n 2:460/20 is routed via us, but missing in \"Link\" definitions."
                               "\n 'DefaultFlavor' assumed."
                               "\nWriting routing..."
                               "\nDone! Total of 2 links and 5 items.");
    EXPECT_EQ(run.destination, "# begin\n" + tableHeader('#', "sendmail") +
                                   "# *** Nodes\n"
                                   "f1.n460.z2.fidonet.org\tifmail-c:f1.n460.z2.fidonet.org\n"
                                   ".f1.n460.z2.fidonet.org\tifmail-c:f1.n460.z2.fidonet.org\n"
                                   "f20.n460.z2.fidonet.org\tifmail-h:f20.n460.z2.fidonet.org\n"
                                   ".f20.n460.z2.fidonet.org\tifmail-h:f20.n460.z2.fidonet.org\n"
                                   "f21.n460.z2.fidonet.org\tifmail-h:f20.n460.z2.fidonet.org\n"
                                   ".f21.n460.z2.fidonet.org\tifmail-h:f20.n460.z2.fidonet.org\n"
                                   "# *** Nets\n"
                                   "# *** Zones\n"
                                   ".z2.fidonet.org\tifmail-c:f1.n460.z2.fidonet.org\n"
                                   "# *** Default\n" +
                                   reportHeading('#') + "# end\n");
}
