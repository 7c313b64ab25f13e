// Whole runs for the writer tests: a configuration with the main address
// 2:460/10, the links and route file of a case, and a destination that holds
// only the two marker lines.
#pragma once

#include <string>

namespace writer_runs {

struct TableRun {
    int exitCode = -1;
    std::string console;
    std::string destination;
};

// `linkLines` are whole configuration lines; `routeFile` is the text of the
// route file. The markers are c " begin" and c " end".
TableRun runTable(const std::string& routeType, const std::string& linkLines,
                  const std::string& routeFile, char c = ';');

// The whole console of a successful run that reads one route file.
std::string consoleOf(int links, int items);
// The three header lines at the fixed run time.
std::string headerOf(char c, const std::string& displayName);
// The report's three heading lines.
std::string reportHeading(char c);

// A table with node, net, zone and world entries, a link with several
// flavour bits (2:460/2 dha), a link nothing is routed via (3:50/1) and
// enough nodes via 2:460/1 to break its lines. 4 links, 25 items.
extern const char* const FullTableLinks;
extern const char* const FullTableRoutes;

// One link with one node; 2:460/99 and 2:461/12 are via targets that
// nothing routes, 2:460/50 and 2:461/40 go via them. 1 link, 6 items.
extern const char* const UnroutedLinks;
extern const char* const UnroutedRoutes;

} // namespace writer_runs
