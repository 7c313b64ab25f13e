#include "writers/writer_runs.hpp"

#include <gtest/gtest.h>

#include "test_support.hpp"

using namespace testing_support;

namespace writer_runs {

const char* const FullTableLinks = "Link 2:460/1 c\n"
                                   "Link 461/7 hf\n"
                                   "Link 2:460/2 dha\n"
                                   "Link 3:50/1\n";
const char* const FullTableRoutes =
    "2:460/1 5 461/3 8 462/* 460/100 101 102 103 104 105 106 107 108 109 110 111 112\n"
    "2:461/7 3:*/* 3:50/5\n"
    "2:460/2 World 2:460/6\n";

const char* const UnroutedLinks = "Link 2:460/1 c\n";
const char* const UnroutedRoutes = "2:460/1 5\n"
                                   "2:460/99 2:460/50\n"
                                   "2:461/12 2:461/40\n";

TableRun runTable(const std::string& routeType, const std::string& linkLines,
                  const std::string& routeFile, char c) {
    std::string marker(1, c);
    ScratchDir dir;
    dir.write("pathgen.cfg", "Address 2:460/10\n"
                             "RouteType " +
                                 routeType +
                                 "\n"
                                 "Minimize no\n"
                                 "WriteTo route.cfg\n"
                                 "RouteBegin \"" +
                                 marker + " begin\"\nRouteEnd \"" + marker + " end\"\n" +
                                 linkLines + "RouteFile routes.txt\n");
    dir.write("routes.txt", routeFile);
    dir.write("route.cfg", marker + " begin\n" + marker + " end\n");
    RunResult result = runInProcess(dir.path(), {});
    EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
    return TableRun{result.exitCode, result.console, dir.read("route.cfg")};
}

std::string consoleOf(int links, int items) {
    return "Spokeway generator v.1.31beta(Win32) 28-Apr-1999\n"
           "\nScanning config file..."
           "\nScanning route file routes.txt..."
           "\nAdjusting routing..."
           "\nWriting routing..."
           "\nDone! Total of " +
           std::to_string(links) + " links and " + std::to_string(items) + " items.";
}

std::string headerOf(char c, const std::string& displayName) {
    std::string marker(1, c);
    return marker + " " + displayName +
           " routing for 2:460/10. Created by Spokeway generator 1.31beta\n" + marker +
           "                     " + FixedTimeText + "\n" + marker + "\n";
}

std::string reportHeading(char c) {
    std::string marker(1, c);
    return marker + "\n" + marker + " !!! Unrouted !!!\n" + marker + " ----------------\n";
}

} // namespace writer_runs
