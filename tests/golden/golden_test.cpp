// End-to-end cases run against the real binary. Each folder under
// tests/golden/ holds:
//   input/           the files the run starts with (its working folder)
//   expected/        the files the run changes or makes, as they must read
//                    afterwards; every other file must be left as it was and
//                    no other file may appear (absent when nothing changes)
//   expected.stderr  the whole standard error
//   expected.stdout  optional: the whole standard output (empty when absent)
//   expected.exit    the exit code (0 when absent)
//   args             optional: the command-line arguments, one per line
// The run time in a header line is replaced by "Fri Jan  1 09:05:00 1999"
// before comparing, so expected files are written with that time.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "test_support.hpp"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const fs::path GoldenRoot = fs::path(SPOKEWAY_SOURCE_DIR) / "tests" / "golden";

std::vector<std::string> goldenCases() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(GoldenRoot)) {
        if (entry.is_directory()) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

class GoldenCase : public ::testing::TestWithParam<std::string> {};

} // namespace

TEST_P(GoldenCase, MatchesExpectedFiles) {
    const fs::path caseDir = GoldenRoot / GetParam();
    ScratchDir work;
    fs::copy(caseDir / "input", work.path(), fs::copy_options::recursive);

    std::vector<std::string> args;
    if (fs::exists(caseDir / "args")) {
        std::istringstream lines(readFile(caseDir / "args"));
        for (std::string line; std::getline(lines, line);) {
            args.push_back(line);
        }
    }
    ProcessResult result = runBinary(work.path(), args);

    int expectedExit = 0;
    if (fs::exists(caseDir / "expected.exit")) {
        expectedExit = std::stoi(readFile(caseDir / "expected.exit"));
    }
    EXPECT_EQ(result.exitCode, expectedExit);
    EXPECT_EQ(result.standardError, readFile(caseDir / "expected.stderr"));
    const fs::path expectedOutput = caseDir / "expected.stdout";
    EXPECT_EQ(result.standardOutput, fs::exists(expectedOutput) ? readFile(expectedOutput) : "");
    expectFolderAfterRun(work.path(), caseDir / "input", caseDir / "expected", GetParam());
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenCase, ::testing::ValuesIn(goldenCases()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace_if(
                                 name.begin(), name.end(),
                                 [](char c) {
                                     return !std::isalnum(static_cast<unsigned char>(c));
                                 },
                                 '_');
                             return name;
                         });
