#include <gtest/gtest.h>

#include "test_support.hpp"

using namespace testing_support;

namespace {

const char* const ExampleConfig = "; own address and output\n"
                                  "Address 2:460/10\n"
                                  "RouteType squish\n"
                                  "Minimize yes\n"
                                  "WriteTo route.cfg\n"
                                  "RouteBegin \"; begin of routing\"\n"
                                  "RouteEnd \"; end of routing\"\n"
                                  "DefaultFlavor h\n"
                                  "Link 2:460/1 c\n"
                                  "Link 461/7 hf\n"
                                  "RouteFile routes.txt\n";

} // namespace

TEST(SquishWriter, WorkedExampleByteForByte) {
    ScratchDir dir;
    dir.write("pathgen.cfg", ExampleConfig);
    dir.write("routes.txt", "2:460/1 5 461/3 8 462/*\n");
    dir.write("route.cfg", "a\n; begin of routing\nold\n; end of routing\nb\n");

    RunResult result = runInProcess(dir.path(), {});

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.console, "Spokeway generator v.1.31beta(Win32) 28-Apr-1999\n"
                              "\nScanning config file..."
                              "\nScanning route file routes.txt..."
                              "\nAdjusting routing..."
                              "\nWriting routing..."
                              "\nDone! Total of 2 links and 6 items.");
    EXPECT_EQ(dir.read("route.cfg"),
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
    EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
}

TEST(SquishWriter, LinkWhoseItemWasNormalisedListsNothingUnderIt) {
    // The link 2:*/5 stands in the table as 2:*/* after the adjustment, so no
    // item carries its address: the unrouted via target must not be listed
    // as routed via that link.
    ScratchDir dir;
    dir.write("pathgen.cfg", "Address 2:460/10\nRouteType squish\nMinimize no\nWriteTo route.cfg\n"
                             "RouteBegin \"; begin\"\nRouteEnd \"; end\"\nLink 2:*/5 c\n"
                             "RouteFile routes.txt\n");
    dir.write("routes.txt", "2:460/99 2:460/50\n");
    dir.write("route.cfg", "; begin\n; end\n");

    RunResult result = runInProcess(dir.path(), {});

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(dir.read("route.cfg"),
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
