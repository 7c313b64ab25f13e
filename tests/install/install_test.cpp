// What "cmake --install" and the Debian package put where, that the installed
// program is stripped and runs the installed examples, and that lintian finds
// no error in the package.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string_view>

#include "examples/example_runs.hpp"
#include "test_support.hpp"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const fs::path SourceRoot = SPOKEWAY_SOURCE_DIR;

// The files an installation holds, relative to its prefix.
std::set<std::string> installedFiles() {
    std::set<std::string> files{
        "bin/spokeway",
        std::string("share/man/man1/") + SPOKEWAY_INSTALLED_MANPAGE,
        "share/doc/spokeway/README.md",
        "share/doc/spokeway/copyright",
        // Compressed as the manual page is, where gzip is at hand.
        std::string_view(SPOKEWAY_INSTALLED_MANPAGE).ends_with(".gz")
            ? "share/doc/spokeway/changelog.gz"
            : "share/doc/spokeway/changelog",
    };
    for (const auto& [name, content] : folderContents(SourceRoot / "examples")) {
        files.insert("share/doc/spokeway/examples/" + name);
    }
    return files;
}

std::set<std::string> fileNames(const std::map<std::string, std::string>& contents) {
    std::set<std::string> names;
    for (const auto& [name, content] : contents) {
        names.insert(name);
    }
    return names;
}

bool haveCommand(const std::string& name) {
    return runCommand("command -v " + name).exitCode == 0;
}

bool underCi() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && *ci != '\0';
}

// The section table of a binary, as "readelf -S" prints it.
std::string sections(const fs::path& binary) {
    return runCommand("readelf -S --wide " + shellQuote(binary.string())).output;
}

// Makes the Debian package of the build in `output` with CPack; gives its
// path, or an empty one after reporting a failure.
fs::path makePackage(const fs::path& output) {
    CommandResult pack =
        runCommand(shellQuote(SPOKEWAY_CPACK_COMMAND) + " -G DEB --config " +
                   shellQuote((fs::path(SPOKEWAY_BUILD_DIR) / "CPackConfig.cmake").string()) +
                   " -B " + shellQuote(output.string()));
    EXPECT_EQ(pack.exitCode, 0) << pack.output;
    for (const auto& entry : fs::directory_iterator(output)) {
        if (entry.path().extension() == ".deb") {
            return entry.path();
        }
    }
    ADD_FAILURE() << "no package made: " << pack.output;
    return {};
}

} // namespace

TEST(Install, StagedStrippedInstallationRunsItsExamples) {
    ScratchDir stage;
    CommandResult install = runCommand(shellQuote(SPOKEWAY_CMAKE_COMMAND) + " --install " +
                                       shellQuote(SPOKEWAY_BUILD_DIR) + " --strip --prefix " +
                                       shellQuote(stage.path().string()));
    ASSERT_EQ(install.exitCode, 0) << install.output;

    std::map<std::string, std::string> installed = folderContents(stage.path());
    EXPECT_EQ(fileNames(installed), installedFiles());
    EXPECT_EQ(installed["share/doc/spokeway/README.md"], readFile(SourceRoot / "README.md"));
    EXPECT_EQ(installed["share/doc/spokeway/copyright"],
              readFile(SourceRoot / "packaging" / "copyright"));
    for (const auto& [name, content] : folderContents(SourceRoot / "examples")) {
        EXPECT_EQ(installed["share/doc/spokeway/examples/" + name], content) << name;
    }
    const fs::path binary = stage.path() / "bin" / "spokeway";
    EXPECT_TRUE((fs::status(binary).permissions() & fs::perms::owner_exec) != fs::perms::none);
    if (haveCommand("readelf")) {
        // The built program has a symbol table (and debug information when
        // built with it); the installed one has neither.
        EXPECT_NE(sections(SPOKEWAY_BINARY).find(" .symtab "), std::string::npos);
        const std::string installedSections = sections(binary);
        EXPECT_EQ(installedSections.find(" .symtab "), std::string::npos) << installedSections;
        EXPECT_EQ(installedSections.find(" .debug_"), std::string::npos) << installedSections;
    }

    const fs::path examples = stage.path() / "share" / "doc" / "spokeway" / "examples";
    for (const std::string& name : exampleNames()) {
        checkExampleRun(binary.string(), examples / name, name);
    }
}

TEST(Install, DebianPackageHoldsTheInstalledFiles) {
    if (SPOKEWAY_SANITIZED) {
        GTEST_SKIP() << "no package is made of a build with sanitizers";
    }
    if (!haveCommand("dpkg-deb")) {
        GTEST_SKIP() << "dpkg-deb is not installed";
    }
    ScratchDir output;
    const fs::path package = makePackage(output.path());
    ASSERT_FALSE(package.empty());

    // The regular files of "dpkg-deb -c": the last word of the lines of mode "-".
    CommandResult listing = runCommand("dpkg-deb -c " + shellQuote(package.string()));
    ASSERT_EQ(listing.exitCode, 0) << listing.output;
    std::set<std::string> files;
    std::istringstream lines(listing.output);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line[0] == '-') {
            files.insert(line.substr(line.rfind(' ') + 1));
        }
    }
    std::set<std::string> expected;
    for (const std::string& file : installedFiles()) {
        expected.insert("./usr/" + file);
    }
    EXPECT_EQ(files, expected);

    CommandResult fields =
        runCommand("dpkg-deb -f " + shellQuote(package.string()) + " Package Version Section");
    EXPECT_EQ(fields.output, "Package: spokeway\nVersion: 1.31\nSection: mail\n");
    CommandResult depends = runCommand("dpkg-deb -f " + shellQuote(package.string()) + " Depends");
    EXPECT_NE(depends.output.find("libc6"), std::string::npos) << depends.output;
    // The C++ runtime is linked in.
    EXPECT_EQ(depends.output.find("libstdc++6"), std::string::npos) << depends.output;
    CommandResult maintainer =
        runCommand("dpkg-deb -f " + shellQuote(package.string()) + " Maintainer");
    EXPECT_NE(maintainer.output, "");
}

TEST(Install, DebianPackagePassesLintian) {
    if (SPOKEWAY_SANITIZED) {
        GTEST_SKIP() << "no package is made of a build with sanitizers";
    }
    if (!haveCommand("lintian")) {
        if (underCi()) {
            FAIL() << "lintian is not installed (required under CI)";
        }
        GTEST_SKIP() << "lintian is not installed (apt-get install lintian)";
    }
    ScratchDir output;
    const fs::path package = makePackage(output.path());
    ASSERT_FALSE(package.empty());

    // Exit status 0: no tag of error level (2) and no failure of lintian itself (1).
    CommandResult lint = runCommand("lintian " + shellQuote(package.string()));
    EXPECT_EQ(("\n" + lint.output).find("\nE:"), std::string::npos) << lint.output;
    EXPECT_EQ(lint.exitCode, 0) << lint.output;
}
