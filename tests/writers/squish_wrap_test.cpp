// Squish Route lines broken at the line width.
#include <gtest/gtest.h>

#include "test_support.hpp"

using namespace testing_support;

TEST(SquishWriter, ARouteLineIsWrittenWhenANodeBringsItTo64Characters) {
    TableRun run = runTable(ConfigText{.minimize = "yes",
                                       .links = "Link 2:460/1 c\n",
                                       .more = "RouteFile routes.txt\n"},
                            {{"routes.txt", "2:460/1 100 101 102 103 104 105 106 107 108 109\n"}});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, consoleOf({"routes.txt"}, 1, 11));
    // The prefix is 32 characters long; eight nodes of 4 make exactly 64.
    EXPECT_EQ(run.destination,
              "; begin\n"
              "; Squish routing for 2:460/10. Created by Spokeway generator 1.31beta\n"
              ";                     Fri Jan  1 09:05:00 1999\n"
              ";\n"
              "; *** Direct links\n"
              ";\n"
              "Send Crash   1\n"
              ";\n"
              "; *** Route\n"
              ";\n"
              "; *** Nodes\n"
              "Route Crash             2:460/1  100 101 102 103 104 105 106 107\n"
              "Route Crash             2:460/1  108 109\n"
              "; *** Nets\n"
              "; *** Zones\n"
              "; *** Default\n"
              ";\n"
              "; !!! Unrouted !!!\n"
              "; ----------------\n"
              "; end\n");
}
