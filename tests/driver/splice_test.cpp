// Splicing the table into the destination, run end to end with the real
// binary; every case compares the whole destination afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "fake_disk.hpp"
#include "test_support.hpp"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const std::string Success = Banner + Writing + done(0, 0);

const std::string Before = "a\n; begin\nold\n; end\nb\n";

struct Splicing : BinaryRuns {
    // A run that must end with the destination replaced.
    void expectSpliced(const std::string& configText, const std::string& before,
                       const std::string& after) {
        ProcessResult result = run(configText, before);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.standardError, Success);
        EXPECT_EQ(destination(), after);
        EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
    }

    // A run that must fail and leave the destination as it was.
    void expectUntouched(const ProcessResult& result, int exitCode, const std::string& messages,
                         const std::string& before) {
        EXPECT_EQ(result.exitCode, exitCode);
        EXPECT_EQ(result.standardError, messages);
        EXPECT_EQ(dir.read("route.cfg"), before);
    }
};

TEST_F(Splicing, TheOldRegionIsReplacedAndTheEndMarkerWrittenAnew) {
    expectSpliced(ConfigText{}, "a\n; begin routes\nold 1\nold 2\n; end x\nb\n",
                  "a\n; begin routes\n" + emptySquishTable() + "; end\nb\n");
}

TEST_F(Splicing, MarkersMatchOnlyAtTheStartOfALineAndCaseCounts) {
    expectSpliced(ConfigText{},
                  "; end first\n ; begin\n; BEGIN\n; begin\nold\n ; end\n; END\n; end\nz",
                  "; end first\n ; begin\n; BEGIN\n; begin\n" + emptySquishTable() + "; end\nz");
}

TEST_F(Splicing, ASecondBeginMarkerInTheOldRegionGoesWithIt) {
    expectSpliced(ConfigText{}, "a\n; begin\nold\n; begin again\nold 2\n; end\nb\n",
                  "a\n; begin\n" + emptySquishTable() + "; end\nb\n");
}

TEST_F(Splicing, MarkersMustBeGivenQuotedAndNotEmpty) {
    // An empty marker would match every line: the operator's lines would go,
    // or one more table would pile up on every run.
    const struct {
        const char* markers;
        const char* messages;
    } cases[] = {
        {"RouteBegin ; begin\nRouteEnd ; end\n",
         "\npathgen.cfg 5: Illegal quoted string.\npathgen.cfg 6: Illegal quoted string."},
        {"RouteBegin \"; begin\"\n", "\nMissing \"RouteEnd\" keyword."},
        {"RouteBegin \"\"\nRouteEnd \"; end\"\n", "\nMissing \"RouteBegin\" keyword."},
        {"", "\nMissing \"RouteBegin\" keyword.\nMissing \"RouteEnd\" keyword."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.markers);
        const std::string before = "first\n; begin\nsecond\n; end\n";
        ProcessResult result = run(ConfigText{.markers = c.markers}, before);
        expectUntouched(result, 1, Banner + c.messages, before);
        EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
    }
}

TEST_F(Splicing, DestinationLinesAreReadWhole) {
    // The marker after 29998 characters is inside a line, so no marker line.
    const std::string before = std::string(29998, 'x') + "; begin\nold\n; end\n";
    ProcessResult result = run(ConfigText{}, before);
    expectUntouched(result, 1, Banner + "\nMissing \"RouteBegin\" in dest file.", before);
    EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
}

TEST_F(Splicing, TableLinesEndLikeTheBeginMarkerLine) {
    expectSpliced(ConfigText{}, "a\r\n; begin\r\nold\r\n; end\r\nb\r\nc\n",
                  "a\r\n; begin\r\n" + emptySquishTable("2:460/10", "\r\n") + "; end\r\nb\r\nc\n");
    expectSpliced(ConfigText{}, "a\r\n; begin\nold\r\n; end\r\nb\r\n",
                  "a\r\n; begin\n" + emptySquishTable() + "; end\nb\r\n");
}

TEST_F(Splicing, CtrlZEndsTheDestinationAndIsNotCopied) {
    expectSpliced(ConfigText{}, "a\n; begin\nold\n; end\nb\nc\x1A junk\nmore\n",
                  "a\n; begin\n" + emptySquishTable() + "; end\nb\nc");
    std::string before = "a\n\x1A; begin\nold\n; end\n";
    ProcessResult result = run(ConfigText{}, before);
    expectUntouched(result, 1, Banner + "\nMissing \"RouteBegin\" in dest file.", before);
}

TEST_F(Splicing, NulBytesAreCopiedByteForByte) {
    using namespace std::string_literals;
    expectSpliced(ConfigText{}, "a\0x\n; begin\0\nold\0\n; end\nb\0\0c\n"s,
                  "a\0x\n; begin\0\n"s + emptySquishTable() + "; end\nb\0\0c\n"s);
}

TEST_F(Splicing, AMissingMarkerFailsAndLeavesNoTemporaryFile) {
    ProcessResult result = run(ConfigText{}, "");
    expectUntouched(result, 1, Banner + "\nMissing \"RouteBegin\" in dest file.", "");
    EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
    result = run(ConfigText{}, "a\n; begin\nold\n");
    expectUntouched(result, 1, Banner + "\nMissing \"RouteEnd\" in dest file.",
                    "a\n; begin\nold\n");
    EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
}

TEST_F(Splicing, ADestinationThatCannotBeOpenedFails) {
    dir.write("pathgen.cfg", ConfigText{});
    ProcessResult result = runBinary(dir.path(), {});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.standardError, Banner + "\nCannot open dest file.");
    fs::create_directory(dir.path() / "route.cfg");
    result = runBinary(dir.path(), {});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.standardError, Banner + "\nCannot open dest file.");
    EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
}

TEST_F(Splicing, TheReplacedDestinationKeepsItsPermissionBits) {
    dir.write("pathgen.cfg", ConfigText{});
    dir.write("route.cfg", "; begin\n; end\n");
    fs::permissions(dir.path() / "route.cfg", fs::perms(0640));
    EXPECT_EQ(runBinary(dir.path(), {}).exitCode, 0);
    EXPECT_EQ(fs::status(dir.path() / "route.cfg").permissions(), fs::perms(0640));
    EXPECT_EQ(destination(), "; begin\n" + emptySquishTable() + "; end\n");
}

TEST_F(Splicing, TheReplacedDestinationKeepsItsExtendedAttributesAndAcl) {
    using namespace std::string_literals;
    dir.write("pathgen.cfg", ConfigText{});
    dir.write("route.cfg", Before);
    const std::string path = dir.file("route.cfg");
    // Access ACL (version 2): owner rw, the user nobody (65534) r, group r,
    // mask r, others nothing.
    const std::string acl = "\x02\0\0\0"
                            "\x01\0\x06\0\xff\xff\xff\xff"
                            "\x02\0\x04\0\xfe\xff\0\0"
                            "\x04\0\x04\0\xff\xff\xff\xff"
                            "\x10\0\x04\0\xff\xff\xff\xff"
                            "\x20\0\0\0\xff\xff\xff\xff"s;
    if (::setxattr(path.c_str(), "user.origin", "operator", 8, 0) != 0 ||
        ::setxattr(path.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0) {
        GTEST_SKIP() << "the file system keeps no extended attributes or ACLs here";
    }
    auto attribute = [&](const char* name) {
        char value[256];
        const ssize_t size = ::getxattr(path.c_str(), name, value, sizeof value);
        return size < 0 ? std::string("(none)") : std::string(value, static_cast<size_t>(size));
    };
    const std::string aclBefore = attribute("system.posix_acl_access");

    EXPECT_EQ(runBinary(dir.path(), {}).exitCode, 0);

    EXPECT_EQ(destination(), "a\n; begin\n" + emptySquishTable() + "; end\nb\n");
    EXPECT_EQ(attribute("user.origin"), "operator");
    EXPECT_EQ(attribute("system.posix_acl_access"), aclBefore);
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));
}

// ---- faults: the destination must come out of each byte for byte as it was ----

TEST_F(Splicing, ATemporaryFileThatCannotBeCreatedFails) {
    // A folder in the temporary file's place stops its creation, even for root.
    fs::create_directory(dir.path() / "PG$TABLE.$$$");
    ProcessResult result = run(ConfigText{}, Before);
    expectUntouched(result, 1, Banner + "\nCannot open temp file.", Before);
    EXPECT_TRUE(fs::is_directory(dir.path() / "PG$TABLE.$$$"));
}

TEST_F(Splicing, AFolderWithoutWritePermissionStopsTheTemporaryFile) {
    // The fake refuses the file as such a folder does, for root too.
    dir.write("pathgen.cfg", ConfigText{.writeTo = "sub/route.cfg"});
    dir.write("sub/route.cfg", Before);
    FakeDisk disk({.failCreate = "sub/PG$TABLE.$$$"});
    RunResult result = runInProcess(dir.path(), {}, disk);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.console, Banner + "\nCannot open temp file.");
    EXPECT_EQ(dir.read("sub/route.cfg"), Before);
    EXPECT_FALSE(dir.exists("sub/PG$TABLE.$$$"));
}

TEST_F(Splicing, FailedWritesToTheTemporaryFileLeaveTheDestination) {
    // A head of a few kilobytes cannot be written under a one-block file
    // size limit: the copy stops at once.
    std::string before = std::string(4000, ';') + "\n" + Before;
    ProcessResult result = run(ConfigText{}, before, "ulimit -f 1;");
    expectUntouched(result, 3, Banner + "\nCannot write temp file.", before);
    EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
}

TEST_F(Splicing, TheTemporaryFileIsTheOwnersAloneUntilItReplacesTheDestination) {
    // Left behind by a run stopped after WriteTo, it is still private.
    dir.write("route.cfg", Before);
    fs::permissions(dir.path() / "route.cfg", fs::perms(0644));
    ProcessResult result = run(ConfigText{.more = "RouteFile missing.txt\n"}, Before, "umask 000;");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(fs::status(dir.path() / "PG$TABLE.$$$").permissions(), fs::perms(0600));
    EXPECT_EQ(dir.read("PG$TABLE.$$$"), "a\n; begin\n");
    // A whole run gives it the destination's bits.
    fs::permissions(dir.path() / "route.cfg", fs::perms(0664));
    EXPECT_EQ(run(ConfigText{}, Before, "umask 000;").exitCode, 0);
    EXPECT_EQ(fs::status(dir.path() / "route.cfg").permissions(), fs::perms(0664));
}

TEST_F(Splicing, OnlyRegularFilesAreReadAndWritten) {
    // A pipe or device would hang the run, or feed it without end, while it
    // holds the folder's lock; each gets the open-failure message of its place.
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    const std::string tagged = Banner + "\npathgen.cfg 7: Cannot open file.";
    struct Case {
        std::string config;
        std::string arg;
        std::string messages;
        bool temporaryLeft;
    };
    const Case cases[] = {
        {ConfigText{.writeTo = "fifo"}, "", Banner + "\nCannot open dest file.", false},
        {ConfigText{.writeTo = "/dev/zero"}, "", Banner + "\nCannot open dest file.", false},
        {"", "/dev/zero", Title + "\nCannot open config file.", false},
        {"", "fifo", Title + "\nCannot open config file.", false},
        {ConfigText{.more = "RouteFile fifo\n"}, "", tagged, true},
        {ConfigText{.more = "TrustFile /dev/zero\n"}, "", tagged, true},
        {ConfigText{.more = "Spokeway fifo n 2 460\n"}, "", tagged, true},
        {ConfigText{.more = "Spokeway /dev/zero n 2 460\n"}, "", tagged, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.config + c.arg);
        fs::remove(dir.path() / "PG$TABLE.$$$");
        dir.write("pathgen.cfg", c.config);
        dir.write("route.cfg", Before);
        ProcessResult result =
            runBinary(dir.path(), c.arg.empty() ? std::vector<std::string>{} : std::vector{c.arg},
                      "timeout 10");
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.standardError, c.messages);
        EXPECT_EQ(dir.read("route.cfg"), Before);
        EXPECT_EQ(dir.exists("PG$TABLE.$$$"), c.temporaryLeft);
    }
}

} // namespace
