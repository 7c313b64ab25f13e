// The routings the writer tests run through every writer: each is a whole
// run with the main address 2:460/10 and the route file routes.txt, and the
// tests compare the whole destination afterwards.
#pragma once

#include <string>

#include "test_support.hpp"

namespace writer_scenarios {

using namespace testing_support;

struct Scenario {
    std::string links;  // whole Link lines
    std::string routes; // the text of routes.txt
    std::string minimize = "no";
};

// Node, net, zone and world entries, a link with several flavour bits
// (2:460/2 dha), a link nothing is routed via (3:50/1) and enough nodes via
// 2:460/1 to break its lines. 4 links, 25 items.
inline const Scenario FullTable{
    "Link 2:460/1 c\nLink 461/7 hf\nLink 2:460/2 dha\nLink 3:50/1\n",
    "2:460/1 5 461/3 8 462/* 460/100 101 102 103 104 105 106 107 108 109 110 111 112\n"
    "2:461/7 3:*/* 3:50/5\n"
    "2:460/2 World 2:460/6\n"};

// One link with one node; 2:460/99 and 2:461/12 are via targets that
// nothing routes, 2:460/50 and 2:461/40 go via them. 1 link, 6 items.
inline const Scenario Unrouted{"Link 2:460/1 c\n", "2:460/1 5\n"
                                                   "2:460/99 2:460/50\n"
                                                   "2:461/12 2:461/40\n"};

// Minimised: enough nodes under two links to break lines at every writer's
// width, a link with direct, crash, hold, file and no-archive flavour, a
// no-archive link that nothing is routed via, and two via targets
// (2:460/99, 2:461/12) that no route reaches. 3 links, 29 items.
inline const Scenario Busy{"Link 2:460/1 c\nLink 2:461/7 dchfa\nLink 2:463/2 a\n",
                           "2:460/1 100 101 102 103 104 105 106 107 108 109 110 111\n"
                           "2:461/7 20 21 22 23 24 25 26 27 28 29\n"
                           "2:460/99 2:460/50\n"
                           "2:461/12 2:461/60\n",
                           "yes"};
inline const std::string BusyConsole = consoleOf({"routes.txt"}, 3, 29);

// One entry of each kind (node, net, zone in another zone, zone in the main
// zone, world), unminimised so that every entry is written. 2 links, 7 items.
inline const Scenario Wildcards{"Link 2:460/1 c\nLink 2:461/7 h\n", "2:460/1 5 462/* 3:*/*\n"
                                                                    "2:461/7 2:*/* World\n"};
inline const std::string WildcardConsole = consoleOf({"routes.txt"}, 2, 7);

// A destination with lines around the region, and one with the region only.
inline const std::string Destination = "top\n; begin\nold table\n; end\nbottom\n";
inline const std::string Region = "; begin\n; end\n";

// Runs `scenario` with `routeType` on `destination`, the markers written in
// comment character c.
inline TableRun runScenario(const Scenario& scenario, const std::string& routeType,
                            const std::string& destination = Destination, char c = ';') {
    return runTable(ConfigText{.routeType = routeType,
                               .minimize = scenario.minimize,
                               .markers = markerLines(c),
                               .links = scenario.links,
                               .more = "RouteFile routes.txt\n"},
                    {{"routes.txt", scenario.routes}}, destination);
}

} // namespace writer_scenarios
