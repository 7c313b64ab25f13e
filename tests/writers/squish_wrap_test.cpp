// Squish Route lines broken at the line width.
#include <gtest/gtest.h>

#include "test_support.hpp"

using namespace testing_support;

TEST(SquishWriter, ARouteLineIsWrittenWhenANodeBringsItTo64Characters) {
    ScratchDir dir;
    dir.write("pathgen.cfg", "Address 2:460/10\nRouteType squish\nMinimize yes\n"
                             "WriteTo route.cfg\nRouteBegin \"; begin\"\nRouteEnd \"; end\"\n"
                             "Link 2:460/1 c\nRouteFile routes.txt\n");
    dir.write("routes.txt", "2:460/1 100 101 102 103 104 105 106 107 108 109\n");
    dir.write("route.cfg", "; begin\n; end\n");

    RunResult result = runInProcess(dir.path(), {});

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.console, "Spokeway generator v.1.31beta(Win32) 28-Apr-1999\n"
                              "\nScanning config file..."
                              "\nScanning route file routes.txt..."
                              "\nAdjusting routing..."
                              "\nWriting routing..."
                              "\nDone! Total of 1 links and 11 items.");
    // The prefix is 32 characters long; eight nodes of 4 make exactly 64.
    EXPECT_EQ(dir.read("route.cfg"),
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
