// Splicing the table into the destination, run end to end with the real
// binary; every case compares the whole destination afterwards.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

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

    void runSpoilingTheTemporaryFile(void (*spoil)(const fs::path&));
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

TEST_F(Splicing, DestinationLinesAreReadInPiecesOf29998Characters) {
    std::string longLine = std::string(29998, 'x') + "; begin\n";
    expectSpliced(ConfigText{}, longLine + "old\n; end\n",
                  longLine + emptySquishTable() + "; end\n");
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

// ---- faults: the destination must come out of each byte for byte as it was ----

TEST_F(Splicing, ATemporaryFileThatCannotBeCreatedFails) {
    // A folder in the temporary file's place stops its creation, even for root.
    fs::create_directory(dir.path() / "PG$TABLE.$$$");
    ProcessResult result = run(ConfigText{}, Before);
    expectUntouched(result, 1, Banner + "\nCannot open temp file.", Before);
    EXPECT_TRUE(fs::is_directory(dir.path() / "PG$TABLE.$$$"));
}

TEST_F(Splicing, AFolderWithoutWritePermissionStopsTheTemporaryFile) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "running as root: permission bits do not stop the write";
    }
    dir.write("pathgen.cfg", ConfigText{.writeTo = "sub/route.cfg"});
    dir.write("sub/route.cfg", Before);
    fs::permissions(dir.path() / "sub", fs::perms(0555));
    ProcessResult result = runBinary(dir.path(), {});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.standardError, Banner + "\nCannot open temp file.");
    EXPECT_EQ(dir.read("sub/route.cfg"), Before);
}

TEST_F(Splicing, FailedWritesToTheTemporaryFileLeaveTheDestination) {
    // A head of a few kilobytes cannot be written under a one-block file size limit.
    std::string before = std::string(4000, ';') + "\n" + Before;
    ProcessResult result = run(ConfigText{}, before, "ulimit -f 1;");
    expectUntouched(result, 3, Banner + Writing + "\nCannot write temp file.", before);
    EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
}

// Runs with a FIFO as route file: while the program waits on it, after the
// temporary file was opened, `spoil` is done to the temporary file, so that
// it cannot be moved over the destination at the end.
void Splicing::runSpoilingTheTemporaryFile(void (*spoil)(const fs::path&)) {
    ASSERT_EQ(::mkfifo(dir.file("routes.fifo").c_str(), 0600), 0);
    dir.write("pathgen.cfg", ConfigText{.more = "RouteFile routes.fifo\n"});
    dir.write("route.cfg", Before);
    ProcessResult result;
    std::thread program([&] { result = runBinary(dir.path(), {}); });
    int fifo = openWhenRead(dir.path() / "routes.fifo");
    EXPECT_GE(fifo, 0);
    if (fifo >= 0) {
        spoil(dir.path() / "PG$TABLE.$$$");
        EXPECT_EQ(::write(fifo, "2:460/1 2\n", 10), 10);
        ::close(fifo);
    } else {
        // Let a program still waiting on the FIFO go on, to its end of file.
        ::close(::open(dir.file("routes.fifo").c_str(), O_RDWR));
    }
    program.join();
    expectUntouched(result, 3,
                    Banner + "\nScanning route file routes.fifo...\nAdjusting routing..."
                             "\nWriting routing...\nCannot replace dest file.",
                    Before);
}

TEST_F(Splicing, AVanishedTemporaryFileCannotReplaceTheDestination) {
    runSpoilingTheTemporaryFile([](const fs::path& temp) { EXPECT_TRUE(fs::remove(temp)); });
    EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
}

TEST_F(Splicing, AFailedRenameLeavesTheDestination) {
    // A folder cannot be renamed over a file.
    runSpoilingTheTemporaryFile([](const fs::path& temp) {
        EXPECT_TRUE(fs::remove(temp));
        EXPECT_TRUE(fs::create_directory(temp));
    });
    EXPECT_TRUE(fs::is_directory(dir.path() / "PG$TABLE.$$$"));
}

} // namespace
