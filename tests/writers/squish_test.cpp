#include <gtest/gtest.h>

#include "test_support.hpp"

using namespace testing_support;

TEST(SquishWriter, WorkedExampleByteForByte) {
    TableRun run =
        runTable("; own address and output\n" +
                     ConfigText{.minimize = "yes",
                                .markers = "RouteBegin \"; begin of routing\"\n"
                                           "RouteEnd \"; end of routing\"\n",
                                .links = "DefaultFlavor h\nLink 2:460/1 c\nLink 461/7 hf\n",
                                .more = "RouteFile routes.txt\n"}
                         .text(),
                 {{"routes.txt", "2:460/1 5 461/3 8 462/*\n"}},
                 "a\n; begin of routing\nold\n; end of routing\nb\n");

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, consoleOf({"routes.txt"}, 2, 6));
    EXPECT_EQ(run.destination,
              "a\n"
              "; begin of routing\n"
              "; Squish routing for 2:460/10. Created by Spokeway generator 1.31beta\n"
              ";                     Fri Jan  1 09:05:00 1999\n"
              ";\n"
              "; *** Direct links\n"
              ";\n"
              "Send Crash   1\n"
              "Send Hold    461/7\n"
              ";\n"
              "; *** Route\n"
              ";\n"
              "; *** Nodes\n"
              "Route Crash             2:460/1  5 461/3 8\n"
              "; *** Nets\n"
              "Route Crash             2:460/1  462/All\n"
              "; *** Zones\n"
              "; *** Default\n"
              ";\n"
              "; !!! Unrouted !!!\n"
              "; ----------------\n"
              "; end of routing\n"
              "b\n");
}

TEST(SquishWriter, LinkWhoseItemWasNormalisedListsNothingUnderIt) {
    // The link 2:*/5 stands in the table as 2:*/* after the adjustment, so no
    // item carries its address: the unrouted via target must not be listed
    // as routed via that link.
    TableRun run = runTable(ConfigText{.links = "Link 2:*/5 c\n", .more = "RouteFile routes.txt\n"},
                            {{"routes.txt", "2:460/99 2:460/50\n"}});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.destination,
              "; begin\n"
              "; Squish routing for 2:460/10. Created by Spokeway generator 1.31beta\n"
              ";                     Fri Jan  1 09:05:00 1999\n"
              ";\n"
              "; *** Direct links\n"
              ";\n"
              ";\n"
              "; *** Route\n"
              ";\n"
              "; *** Nodes\n"
              "; *** Nets\n"
              "Send Crash   All/5\n"
              "; *** Zones\n"
              "; *** Default\n"
              ";\n"
              "; !!! Unrouted !!!\n"
              "; ----------------\n"
              "; >>>  2:460/99\n"
              "; end\n");
}
