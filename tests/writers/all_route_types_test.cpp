#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "writers/route_types.hpp"
#include "writers/scenarios.hpp"

using namespace writer_scenarios;

namespace {

struct RouteTypeCase {
    const char* routeType;
    const char* displayName;
    char headerChar;
    char reportChar;
    const char* unroutedLines; // after the report's comment character
};

// The unrouted report inherits the writer's comment character, point suffix
// and width: Ftrack's width of 10 puts every address on a line of its own.
const RouteTypeCase Cases[] = {
    {"squish", "Squish", ';', ';', " >>>  2:460/99 2:461/12\n"},
    {"itrack", "iTrack", ';', ';', " >>>  2:460/99.* 2:461/12.*\n"},
    {"tmail", "T-mail", ';', ';', " >>>  2:460/99 2:461/12\n"},
    {"tmailn", "T-mail", ';', ';', " >>>  2:460/99 2:461/12\n"},
    {"bpack", "BPack", ';', ';', " >>>  2:460/99 2:461/12\n"},
    {"imbink", "Imbink", '#', '#', " >>>  2:460/99.* 2:461/12.*\n"},
    {"xmail", "Xmail", ';', ';', " >>>  2:460/99 2:461/12\n"},
    {"ifmail", "sendmail", '#', '#', " >>>  2:460/99 2:461/12\n"},
    {"bip", "BiP", ';', ';', " >>>  2:460/99.* 2:461/12.*\n"},
    {"unimail", "Unimail", ';', ';', " >>>  2:460/99.* 2:461/12.*\n"},
    {"qecho", "QECHO", '#', ';', " >>>  2:460/99 2:461/12\n"},
    {"fidogate", "Fidogate", '#', '#', " >>>  2:460/99 2:461/12\n"},
    {"ftrack", "Ftrack", '\\', '\\', " >>>  2:460/99.*\n\\ >>>  2:461/12.*\n"},
    {"hpt", "hpt", '#', '#', " >>>  2:460/99 2:461/12\n"},
};

const Scenario Routes{"Link 2:460/1 c\nLink 461/7 hf\n",
                      "2:460/1 5 461/3 8 462/*\n"
                      "2:460/99 2:460/50\n"
                      "2:461/12 2:461/60\n",
                      "yes"};

void PrintTo(const RouteTypeCase& c, std::ostream* out) {
    *out << c.routeType;
}

class AllRouteTypes : public ::testing::TestWithParam<RouteTypeCase> {};

} // namespace

// Every route type writes its header, at least one table line, and the
// unrouted report in its own comment character, between the markers.
TEST_P(AllRouteTypes, WritesTableAndUnroutedReport) {
    const RouteTypeCase& c = GetParam();
    TableRun run = runScenario(Routes, c.routeType);

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, consoleOf({"routes.txt"}, 2, 10));

    const std::string head = "top\n; begin\n" + tableHeader(c.headerChar, c.displayName);
    const std::string tail =
        reportHeading(c.reportChar) + c.reportChar + c.unroutedLines + "; end\nbottom\n";
    const std::string& dest = run.destination;
    ASSERT_GE(dest.size(), head.size() + tail.size());
    EXPECT_EQ(dest.substr(0, head.size()), head);
    EXPECT_EQ(dest.substr(dest.size() - tail.size()), tail);

    std::istringstream table(dest.substr(head.size(), dest.size() - head.size() - tail.size()));
    bool tableLine = false;
    for (std::string line; std::getline(table, line);) {
        tableLine = tableLine || (!line.empty() && line[0] != c.headerChar);
    }
    EXPECT_TRUE(tableLine) << dest;
}

INSTANTIATE_TEST_SUITE_P(Writers, AllRouteTypes, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<RouteTypeCase>& info) {
                             return std::string(info.param.routeType);
                         });

TEST(AllRouteTypesTable, EveryRouteTypeHasACase) {
    ASSERT_EQ(std::size(Cases), RouteTypes.size());
    for (const RouteType& type : RouteTypes) {
        EXPECT_TRUE(std::any_of(std::begin(Cases), std::end(Cases), [&](const RouteTypeCase& c) {
            return std::string_view(c.routeType) == type.name;
        })) << type.name;
    }
}
