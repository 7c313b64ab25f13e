// The program as the operator runs it: arguments, exit codes, files touched.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "driver/options.hpp"
#include "test_support.hpp"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

constexpr const char* Destination = "a\n; begin\nold\n; end\nb\n";
const ConfigText Config{.minimize = "yes", .links = "Link 2:460/1 c\n"};

} // namespace

TEST(Run, UsageTouchesNothing) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"?"}, {"-?"}, {"/?"}, {"?", "pathgen.cfg"}, {"?", "--check"}}) {
        SCOPED_TRACE(args.front());
        ScratchDir dir;
        dir.write("pathgen.cfg", Config);
        dir.write("route.cfg", Destination);
        const auto before = folderContents(dir.path());

        ProcessResult result = runBinary(dir.path(), args);

        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.standardError, Title + "\nUsage: Route [config]\n");
        EXPECT_EQ(result.standardOutput, "");
        EXPECT_EQ(folderContents(dir.path()), before);
    }
}

TEST(Run, HelpAndVersionGoToStandardOutput) {
    ScratchDir dir;
    dir.write("pathgen.cfg", Config);
    dir.write("route.cfg", Destination);
    const auto before = folderContents(dir.path());
    for (const char* option : {"-h", "--help"}) {
        ProcessResult result = runBinary(dir.path(), {"pathgen.cfg", option});
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.standardError, Title);
        EXPECT_EQ(result.standardOutput.rfind("Usage: spokeway [OPTION]... [CONFIG]\n", 0), 0u);
        for (const OptionRow& row : OptionTable) {
            EXPECT_NE(result.standardOutput.find(std::string("  ") + row.name), std::string::npos)
                << row.name;
        }
        EXPECT_NE(result.standardOutput.find("\n  4  "), std::string::npos);
        std::istringstream lines(result.standardOutput);
        for (std::string line; std::getline(lines, line);) {
            EXPECT_LE(line.size(), 79u) << line;
        }
    }
    ProcessResult version = runBinary(dir.path(), {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.standardOutput, "spokeway 1.31beta\n");
    EXPECT_EQ(folderContents(dir.path()), before);
}

TEST(Run, OnlyTheFirstArgumentCounts) {
    ScratchDir dir;
    dir.write("pathgen.cfg", Config);
    dir.write("route.cfg", Destination);
    const auto before = folderContents(dir.path());

    ProcessResult result = runBinary(dir.path(), {"missing.cfg", "?"});

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.standardError, Title + "\nCannot open config file.");
    EXPECT_EQ(result.standardOutput, "");
    EXPECT_EQ(folderContents(dir.path()), before);
}

TEST(Run, MoreItemsThanIndexesEndTheRunWithTheMemoryMessage) {
    ScratchDir dir;
    dir.write(
        "pathgen.cfg",
        ConfigText{.minimize = "yes", .links = "Link 2:460/1 c\n", .more = "RouteFile big.txt\n"});
    dir.write("route.cfg", Destination);
    // 66 lines route 66000 distinct nodes via the link 2:460/1, whose item
    // is the first: the 65534th node finds the table full.
    std::string routes;
    for (int net = 1; net <= 66; ++net) {
        routes += "2:460/1 2:" + std::to_string(net) + "/0";
        for (int node = 1; node < 1000; ++node) {
            routes += " " + std::to_string(node);
        }
        routes += "\n";
    }
    dir.write("big.txt", routes);

    ProcessResult result = runBinary(dir.path(), {});

    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.standardError,
              Banner + "\nScanning route file big.txt...\nCannot allocate memory.");
    EXPECT_EQ(result.standardOutput, "");
    EXPECT_EQ(dir.read("route.cfg"), Destination);
    // Like any run stopped after WriteTo, it leaves the temporary file with
    // the destination's head.
    EXPECT_EQ(dir.read("PG$TABLE.$$$"), "a\n; begin\n");
}
