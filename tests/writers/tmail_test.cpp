#include <gtest/gtest.h>

#include "writers/scenarios.hpp"

using namespace writer_scenarios;

TEST(TmailWriter, FullTableWithWildcardsFlavoursAndBrokenLines) {
    TableRun run = runScenario(FullTable, "tmail", Region);

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, consoleOf({"routes.txt"}, 4, 25));
    // 2:460/2 (direct, hold, NoArc) stands on two Direct lines and the Hold
    // line. /108 brings the Mail line to 66; the link's address still follows.
    EXPECT_EQ(run.destination,
              "; begin\n" + tableHeader(';', "T-mail") +
                  "; *** Direct links\n"
                  "Direct  /1.*\n"
                  "Direct  /2.*\n"
                  "Direct  3:50/1.*\n"
                  "Direct  461/7.* /2.*\n"
                  "Priority  /1\n"
                  "Hold  461/7 /2\n"
                  "; *** Nodes\n"
                  "Mail   /5 461/3 461/8 /100 /101 /102 /103 /104 /105 /106 /107 /108 2:460/1\n"
                  "Mail   /109 /110 /111 /112 2:460/1\n"
                  "Mail   3:50/5 2:461/7\n"
                  "Files  3:50/5 2:461/7\n"
                  "Mail   /6 2:460/2\n"
                  "; *** Nets\n"
                  "Mail   462/* 2:460/1\n"
                  "; *** Zones\n"
                  "Mail   3:*/* 2:461/7\n"
                  "Files  3:*/* 2:461/7\n"
                  "; *** Default\n"
                  "Mail   *:*/* 2:460/2\n" +
                  reportHeading(';') + "; end\n");
}

TEST(TmailWriter, TmailnKeywordsMoveTheBreak) {
    TableRun run = runScenario(FullTable, "tmailn", Region);

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, consoleOf({"routes.txt"}, 4, 25));
    // "Mail-For  " is four characters longer than "Mail  ": /107 ends the line.
    EXPECT_EQ(run.destination,
              "; begin\n" + tableHeader(';', "T-mail") +
                  "; *** Direct links\n"
                  "Direct  /1.*\n"
                  "Direct  /2.*\n"
                  "Direct  3:50/1.*\n"
                  "Direct  461/7.* /2.*\n"
                  "Priority  /1\n"
                  "Hold  461/7 /2\n"
                  "; *** Nodes\n"
                  "Mail-For   /5 461/3 461/8 /100 /101 /102 /103 /104 /105 /106 /107 2:460/1\n"
                  "Mail-For   /108 /109 /110 /111 /112 2:460/1\n"
                  "Mail-For   3:50/5 2:461/7\n"
                  "Files-For  3:50/5 2:461/7\n"
                  "Mail-For   /6 2:460/2\n"
                  "; *** Nets\n"
                  "Mail-For   462/* 2:460/1\n"
                  "; *** Zones\n"
                  "Mail-For   3:*/* 2:461/7\n"
                  "Files-For  3:*/* 2:461/7\n"
                  "; *** Default\n"
                  "Mail-For   *:*/* 2:460/2\n" +
                  reportHeading(';') + "; end\n");
}

TEST(TmailWriter, UnroutedReport) {
    TableRun run = runScenario(Unrouted, "tmail", Region);

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, consoleOf({"routes.txt"}, 1, 6));
    EXPECT_EQ(run.destination, "; begin\n" + tableHeader(';', "T-mail") +
                                   "; *** Direct links\n"
                                   "Direct  /1.*\n"
                                   "Priority  /1\n"
                                   "; *** Nodes\n"
                                   "Mail   /5 2:460/1\n"
                                   "; *** Nets\n"
                                   "; *** Zones\n"
                                   "; *** Default\n" +
                                   reportHeading(';') +
                                   "; >>>  2:460/99 2:461/12\n"
                                   "; end\n");
}

TEST(TmailWriter, BrokenReportLinesEndWithAnUnroutedAddress) {
    // Eight via targets alone on their lines: nothing routes them.
    TableRun run =
        runScenario({Unrouted.links, "2:460/1 5\n2:460/91\n2:460/92\n2:460/93\n"
                                     "2:460/94\n2:460/95\n2:460/96\n2:460/97\n2:460/98\n"},
                    "tmail", Region);

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, consoleOf({"routes.txt"}, 1, 10));
    // The writer's continuation address (the last link) must not end them.
    EXPECT_EQ(run.destination,
              "; begin\n" + tableHeader(';', "T-mail") +
                  "; *** Direct links\n"
                  "Direct  /1.*\n"
                  "Priority  /1\n"
                  "; *** Nodes\n"
                  "Mail   /5 2:460/1\n"
                  "; *** Nets\n"
                  "; *** Zones\n"
                  "; *** Default\n" +
                  reportHeading(';') +
                  "; >>>  2:460/91 2:460/92 2:460/93 2:460/94 2:460/95 2:460/96 2:460/97\n"
                  "; >>>  2:460/98\n"
                  "; end\n");
}
