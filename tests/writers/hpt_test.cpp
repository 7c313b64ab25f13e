#include <gtest/gtest.h>

#include "writers/scenarios.hpp"

using namespace writer_scenarios;

namespace {

struct HptCase {
    const char* what;
    const Scenario& scenario;
    std::string console;
    std::string table; // between the header and the unrouted report's heading
    std::string unrouted;
};

// A link's own mask first in the node pass; targets in full; a line is
// broken once it reaches 100 characters and the next starts with the same
// head; a link with the file letter gets routeFile lines too, one with
// neither c, d nor h the flavour normal.
const HptCase Cases[] = {
    {"busy, minimised", Busy, BusyConsole,
     "# *** Nodes\n"
     "routeMail crash 2:460/1 2:460/1.* 2:460/100.* 2:460/101.* 2:460/102.* 2:460/103.* "
     "2:460/104.* 2:460/105.*\n"
     "routeMail crash 2:460/1 2:460/106.* 2:460/107.* 2:460/108.* 2:460/109.* 2:460/110.* "
     "2:460/111.*\n"
     "routeMail crash 2:461/7 2:461/7.* 2:461/20.* 2:461/21.* 2:461/22.* 2:461/23.* 2:461/24.* "
     "2:461/25.* 2:461/26.*\n"
     "routeMail crash 2:461/7 2:461/27.* 2:461/28.* 2:461/29.*\n"
     "routeFile crash 2:461/7 2:461/7.* 2:461/20.* 2:461/21.* 2:461/22.* 2:461/23.* 2:461/24.* "
     "2:461/25.* 2:461/26.*\n"
     "routeFile crash 2:461/7 2:461/27.* 2:461/28.* 2:461/29.*\n"
     "routeMail normal 2:463/2 2:463/2.*\n"
     "# *** Nets\n"
     "# *** Zones\n"
     "# *** Default\n",
     "# >>>  2:460/99 2:461/12\n"},
    {"every kind of wildcard", Wildcards, WildcardConsole,
     "# *** Nodes\n"
     "routeMail crash 2:460/1 2:460/1.* 2:460/5.*\n"
     "routeMail hold 2:461/7 2:461/7.*\n"
     "# *** Nets\n"
     "routeMail crash 2:460/1 2:462/*\n"
     "# *** Zones\n"
     "routeMail crash 2:460/1 3:*\n"
     "routeMail hold 2:461/7 2:*\n"
     "# *** Default\n"
     "routeMail hold 2:461/7 *\n",
     ""},
};

} // namespace

TEST(HptWriter, WritesTheTablesWorkedOutByHand) {
    for (const HptCase& c : Cases) {
        SCOPED_TRACE(c.what);
        TableRun run = runScenario(c.scenario, "hpt", "top\n# begin\nold\n# end\nbottom\n", '#');

        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.console, c.console);
        EXPECT_EQ(run.destination, "top\n# begin\n" + tableHeader('#', "hpt") + c.table +
                                       reportHeading('#') + c.unrouted + "# end\nbottom\n");
    }
}
