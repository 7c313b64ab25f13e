// The shared regression corpus: set-ups with the exact result of a default
// run, made by an independent implementation. Each case folder holds in/
// (the run's folder), expected/ (the files the run changes or makes), stderr
// and exit; standard output must stay empty. A failure names the case and
// its first difference, file and line.
#include <gtest/gtest.h>

#include <filesystem>

#include "test_support.hpp"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const fs::path CorpusCases = fs::path(SPOKEWAY_SOURCE_DIR) / ".." / "shared" / "corpus" / "cases";

// "line N: expected ..., got ..." for the first line that differs.
std::string firstDifference(const std::string& want, const std::string& got) {
    std::istringstream a(want), b(got);
    std::string x, y;
    for (int line = 1;; ++line) {
        bool moreA = static_cast<bool>(std::getline(a, x));
        bool moreB = static_cast<bool>(std::getline(b, y));
        if (!moreA && !moreB) {
            return "the same lines, other line ends";
        }
        if (moreA != moreB || x != y) {
            return "line " + std::to_string(line) + ": expected " +
                   (moreA ? "\"" + x.substr(0, 100) + "\"" : "no line") + ", got " +
                   (moreB ? "\"" + y.substr(0, 100) + "\"" : "no line");
        }
    }
}

// Why the case fails, or "" when it passes.
std::string runCase(const fs::path& caseDir) {
    ScratchDir work;
    fs::copy(caseDir / "in", work.path(), fs::copy_options::recursive);
    ProcessResult result = runBinary(work.path(), {}, "SOURCE_DATE_EPOCH=915181500 TZ=UTC");
    int wantExit = std::stoi(readFile(caseDir / "exit"));
    if (result.exitCode != wantExit) {
        return "exit status " + std::to_string(result.exitCode) + ", expected " +
               std::to_string(wantExit);
    }
    if (!result.standardOutput.empty()) {
        return "standard output is not empty";
    }
    std::string wantError = readFile(caseDir / "stderr");
    if (result.standardError != wantError) {
        return "standard error, " + firstDifference(wantError, result.standardError);
    }
    std::map<std::string, std::string> want = folderContents(caseDir / "in");
    for (auto& [name, content] : folderContents(caseDir / "expected")) {
        want[name] = content;
    }
    std::map<std::string, std::string> got = folderContents(work.path());
    for (const auto& [name, content] : want) {
        if (!got.count(name)) {
            return name + " is missing";
        }
        if (got[name] != content) {
            return name + ", " + firstDifference(content, got[name]);
        }
    }
    for (const auto& [name, content] : got) {
        if (!want.count(name)) {
            return name + " should not exist";
        }
    }
    return "";
}

} // namespace

TEST(Corpus, EveryCaseGivesItsExactResult) {
    if (!fs::is_directory(CorpusCases)) {
        if (std::getenv("CI") != nullptr) {
            FAIL() << "no corpus at " << CorpusCases;
        }
        GTEST_SKIP() << "no corpus at " << CorpusCases;
    }
    std::vector<fs::path> cases;
    for (const auto& entry : fs::directory_iterator(CorpusCases)) {
        cases.push_back(entry.path());
    }
    std::sort(cases.begin(), cases.end());
    int failed = 0;
    for (const fs::path& caseDir : cases) {
        std::string why = runCase(caseDir);
        if (!why.empty()) {
            ++failed;
            ADD_FAILURE() << "case " << caseDir.filename().string() << ": " << why;
        }
    }
    EXPECT_EQ(failed, 0) << "of " << cases.size() << " cases";
    EXPECT_GE(cases.size(), 500u);
}
