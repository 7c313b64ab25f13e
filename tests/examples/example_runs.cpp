#include "examples/example_runs.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "test_support.hpp"

namespace testing_support {

namespace fs = std::filesystem;

namespace {

const fs::path SourceRoot = SPOKEWAY_SOURCE_DIR;

} // namespace

std::vector<std::string> exampleNames() {
    std::vector<std::string> names{"basic"};
    for (const auto& entry : fs::directory_iterator(SourceRoot / "examples" / "route-types")) {
        if (entry.is_directory()) {
            names.push_back("route-types/" + entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

void checkExampleRun(const std::string& program, const fs::path& from, const std::string& name) {
    const fs::path expectations = SourceRoot / "tests" / "examples" / name;
    ASSERT_TRUE(fs::is_directory(expectations / "expected")) << "no expectations for " << name;

    ScratchDir work;
    fs::copy(from, work.path(), fs::copy_options::recursive);
    // The example is sound: --check finds no error, and no warning but those
    // the example shows on purpose (expected.check: the places, one a line),
    // and writes nothing.
    ProcessResult check = runProgram(program, work.path(), {"--check"});
    const std::string known = fs::exists(expectations / "expected.check")
                                  ? readFile(expectations / "expected.check")
                                  : std::string();
    std::string places;
    std::istringstream lines(check.standardError);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t at = line.find(": warning: ");
        if (at != std::string::npos || line.find(": error: ") != std::string::npos) {
            places += line.substr(0, at) + "\n";
        }
    }
    EXPECT_EQ(check.exitCode, known.empty() ? 0 : 4) << name << "\n" << check.standardError;
    EXPECT_EQ(places, known) << name;
    EXPECT_EQ(folderContents(work.path()), folderContents(from)) << name;
    ProcessResult result = runProgram(program, work.path(), {});
    EXPECT_EQ(result.exitCode, 0) << name;
    EXPECT_EQ(result.standardError, readFile(expectations / "expected.stderr")) << name;
    EXPECT_EQ(result.standardOutput, "") << name;

    for (const auto& [file, content] : folderContents(expectations / "expected")) {
        ASSERT_TRUE(fs::exists(from / file)) << name << ": the example has no file " << file;
    }
    expectFolderAfterRun(work.path(), from, expectations / "expected", name);
}

} // namespace testing_support
