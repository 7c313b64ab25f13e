#include <gtest/gtest.h>

#include <sstream>

#include "test_support.hpp"
#include "writer_scenarios.hpp"

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
    {"bpack", "BPack", ';', ';', " >>>  2:460/99 2:461/12\n"},
    {"imbink", "Imbink", '#', '#', " >>>  2:460/99.* 2:461/12.*\n"},
    {"xmail", "Xmail", ';', ';', " >>>  2:460/99 2:461/12\n"},
    {"ifmail", "sendmail", '#', '#', " >>>  2:460/99 2:461/12\n"},
    {"bip", "BiP", ';', ';', " >>>  2:460/99.* 2:461/12.*\n"},
    {"unimail", "Unimail", ';', ';', " >>>  2:460/99.* 2:461/12.*\n"},
    {"qecho", "QECHO", '#', ';', " >>>  2:460/99 2:461/12\n"},
    {"fidogate", "Fidogate", '#', '#', " >>>  2:460/99 2:461/12\n"},
    {"ftrack", "Ftrack", '\\', '\\', " >>>  2:460/99.*\n\\ >>>  2:461/12.*\n"},
};

std::string config(const std::string& routeType) {
    return "Address 2:460/10\n"
           "RouteType " +
           routeType +
           "\n"
           "Minimize yes\n"
           "WriteTo route.cfg\n"
           "RouteBegin \"; begin\"\n"
           "RouteEnd \"; end\"\n"
           "Link 2:460/1 c\n"
           "Link 461/7 hf\n"
           "RouteFile routes.txt\n";
}

constexpr const char* Routes = "2:460/1 5 461/3 8 462/*\n"
                               "2:460/99 2:460/50\n"
                               "2:461/12 2:461/60\n";

void PrintTo(const RouteTypeCase& c, std::ostream* out) {
    *out << c.routeType;
}

class AllRouteTypes : public ::testing::TestWithParam<RouteTypeCase> {};

} // namespace

// Every route type writes its header, at least one table line, and the
// unrouted report in its own comment character, between the markers.
TEST_P(AllRouteTypes, WritesTableAndUnroutedReport) {
    const RouteTypeCase& c = GetParam();
    Outcome outcome = runScenario(config(c.routeType), Routes);

    EXPECT_EQ(outcome.run.exitCode, 0);
    EXPECT_EQ(outcome.run.console, "Spokeway generator v.1.31beta(Win32) 28-Apr-1999\n"
                                   "\nScanning config file..."
                                   "\nScanning route file routes.txt..."
                                   "\nAdjusting routing..."
                                   "\nWriting routing..."
                                   "\nDone! Total of 2 links and 10 items.");

    const std::string h(1, c.headerChar);
    const std::string r(1, c.reportChar);
    const std::string head = "top\n; begin\n" + h + " " + c.displayName +
                             " routing for 2:460/10. Created by Spokeway generator 1.31beta\n" + h +
                             "                     Fri Jan  1 09:05:00 1999\n" + h + "\n";
    const std::string tail = r + "\n" + r + " !!! Unrouted !!!\n" + r + " ----------------\n" + r +
                             c.unroutedLines + "; end\nbottom\n";
    const std::string& dest = outcome.destination;
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
