// The operators' documentation: the manual page renders cleanly, and the
// README explains every keyword, route type and message the program has.
#include <gtest/gtest.h>

#include <filesystem>

#include "driver/config_reader.hpp"
#include "test_support.hpp"
#include "writers/route_types.hpp"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const fs::path SourceRoot = SPOKEWAY_SOURCE_DIR;

} // namespace

TEST(Documentation, ManualPageRendersWithoutWarnings) {
    if (runCommand("command -v groff").exitCode != 0) {
        GTEST_SKIP() << "groff is not installed";
    }
    CommandResult render =
        runCommand("groff -man -ww -z " + shellQuote((SourceRoot / "doc" / "spokeway.1").string()));
    EXPECT_EQ(render.exitCode, 0);
    EXPECT_EQ(render.output, "");
}

TEST(Documentation, ReadmeExplainsEveryKeywordRouteTypeAndMessage) {
    const std::string readme = readFile(SourceRoot / "README.md");
    for (const KeywordEntry& row : KeywordTable) {
        EXPECT_NE(readme.find("### " + std::string(row.name)), std::string::npos) << row.name;
    }
    for (const RouteType& type : RouteTypes) {
        EXPECT_NE(readme.find("RouteType " + std::string(type.name)), std::string::npos)
            << type.name;
    }
    // Each line of a message, as it is printed, with "%s" standing for an
    // address; the address is left out of the comparison.
    for (std::string_view message : MessageTexts) {
        std::string text(message);
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = text.find_first_of("\n", start);
            if (end == std::string::npos) {
                end = text.size();
            }
            std::string line = text.substr(start, end - start);
            std::size_t hole = line.find("%s");
            for (const std::string& piece :
                 {line.substr(0, hole), hole == std::string::npos ? "" : line.substr(hole + 2)}) {
                if (!piece.empty() && piece != " ") {
                    EXPECT_NE(readme.find(piece), std::string::npos) << "[" << piece << "]";
                }
            }
            start = end + 1;
        }
    }
}
