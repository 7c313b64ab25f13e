// Destination names that would make a careless run write into the wrong
// file: a NUL byte in the name, the temporary file's own name, links.
#include <gtest/gtest.h>

#include <filesystem>

#include "test_support.hpp"

using namespace testing_support;
namespace fs = std::filesystem;

TEST(DestinationNames, ANameWithANulByteNamesNoFile) {
    // Read up to the NUL the name would be route.cfg, and the part after the
    // last '/' would put the temporary file under that same name.
    using namespace std::string_literals;
    ScratchDir dir;
    dir.write("pathgen.cfg", ConfigText{.writeTo = "route.cfg\0\x16\0/3"s});
    dir.write("route.cfg", "a\n; begin\nold\n; end\n");

    RunResult result = runInProcess(dir.path(), {});

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.console, Banner + "\nCannot open dest file.");
    EXPECT_EQ(dir.read("route.cfg"), "a\n; begin\nold\n; end\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

TEST(DestinationNames, ADestinationNamedLikeTheTemporaryFileIsLeftAlone) {
    ScratchDir dir;
    dir.write("pathgen.cfg", ConfigText{.writeTo = "PG$TABLE.$$$"});
    dir.write("PG$TABLE.$$$", "a\n; begin\nold\n; end\n");

    RunResult result = runInProcess(dir.path(), {});

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.console, Banner + "\nCannot open temp file.");
    EXPECT_EQ(dir.read("PG$TABLE.$$$"), "a\n; begin\nold\n; end\n");
}

TEST(DestinationNames, ALinkedDestinationIsRewrittenWhereTheLinkPoints) {
    ScratchDir dir;
    dir.write("pathgen.cfg", ConfigText{});
    dir.write("real/route.cfg", "a\n; begin\nold\n; end\nb\n");
    fs::create_symlink("real/route.cfg", dir.path() / "route.cfg");

    RunResult result = runInProcess(dir.path(), {});

    EXPECT_EQ(result.exitCode, 0) << result.console;
    EXPECT_TRUE(fs::is_symlink(dir.path() / "route.cfg"));
    EXPECT_EQ(dir.read("real/route.cfg"), "a\n; begin\n" + emptySquishTable() + "; end\nb\n");
    EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
    EXPECT_FALSE(dir.exists("real/PG$TABLE.$$$"));
}

TEST(DestinationNames, ALinkPlantedUnderTheTemporaryNameIsNotWrittenThrough) {
    ScratchDir dir;
    dir.write("pathgen.cfg", ConfigText{});
    dir.write("route.cfg", "; begin\n; end\n");
    dir.write("victim", "precious\n");
    fs::create_symlink("victim", dir.path() / "PG$TABLE.$$$");

    RunResult result = runInProcess(dir.path(), {});

    EXPECT_EQ(result.exitCode, 0) << result.console;
    EXPECT_EQ(dir.read("victim"), "precious\n");
    EXPECT_EQ(dir.read("route.cfg"), "; begin\n" + emptySquishTable() + "; end\n");
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir.path() / "PG$TABLE.$$$")));
}
