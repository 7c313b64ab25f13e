// Configurations shared by the writer tests: each writer's tests run the same
// routing through a whole run and compare the whole destination.
#pragma once

#include <string>

#include "test_support.hpp"

namespace writer_scenarios {

// "Busy": enough nodes under two links to break lines at every writer's
// width, a link with direct, crash, hold, file and no-archive flavour, a
// no-archive link that nothing is routed via, and two via targets
// (2:460/99, 2:461/12) that no route reaches.
inline std::string busyConfig(const std::string& routeType) {
    return "Address 2:460/10\n"
           "RouteType " +
           routeType +
           "\n"
           "Minimize yes\n"
           "WriteTo route.cfg\n"
           "RouteBegin \"; begin\"\n"
           "RouteEnd \"; end\"\n"
           "Link 2:460/1 c\n"
           "Link 2:461/7 dchfa\n"
           "Link 2:463/2 a\n"
           "RouteFile routes.txt\n";
}
constexpr const char* BusyRoutes = "2:460/1 100 101 102 103 104 105 106 107 108 109 110 111\n"
                                   "2:461/7 20 21 22 23 24 25 26 27 28 29\n"
                                   "2:460/99 2:460/50\n"
                                   "2:461/12 2:461/60\n";
constexpr const char* BusyConsole = "Spokeway generator v.1.31beta(Win32) 28-Apr-1999\n"
                                    "\nScanning config file..."
                                    "\nScanning route file routes.txt..."
                                    "\nAdjusting routing..."
                                    "\nWriting routing..."
                                    "\nDone! Total of 3 links and 29 items.";

// "Wildcards": one entry of each kind (node, net, zone in another zone, zone
// in the main zone, world), unminimised so that every entry is written.
inline std::string wildcardConfig(const std::string& routeType) {
    return "Address 2:460/10\n"
           "RouteType " +
           routeType +
           "\n"
           "Minimize no\n"
           "WriteTo route.cfg\n"
           "RouteBegin \"; begin\"\n"
           "RouteEnd \"; end\"\n"
           "Link 2:460/1 c\n"
           "Link 2:461/7 h\n"
           "RouteFile routes.txt\n";
}
constexpr const char* WildcardRoutes = "2:460/1 5 462/* 3:*/*\n"
                                       "2:461/7 2:*/* World\n";
constexpr const char* WildcardConsole = "Spokeway generator v.1.31beta(Win32) 28-Apr-1999\n"
                                        "\nScanning config file..."
                                        "\nScanning route file routes.txt..."
                                        "\nAdjusting routing..."
                                        "\nWriting routing..."
                                        "\nDone! Total of 2 links and 7 items.";

constexpr const char* Destination = "top\n; begin\nold table\n; end\nbottom\n";

struct Outcome {
    testing_support::RunResult run;
    std::string destination;
};

// Runs the configuration in a fresh folder with routes.txt and route.cfg.
inline Outcome runScenario(const std::string& config, const std::string& routes,
                           const std::string& destination = Destination) {
    testing_support::ScratchDir dir;
    dir.write("pathgen.cfg", config);
    dir.write("routes.txt", routes);
    dir.write("route.cfg", destination);
    Outcome outcome;
    outcome.run = testing_support::runInProcess(dir.path(), {});
    outcome.destination = dir.read("route.cfg");
    return outcome;
}

} // namespace writer_scenarios
