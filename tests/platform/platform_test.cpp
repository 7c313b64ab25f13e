// The thin layer over the operating system: line reading and path parts.
#include <gtest/gtest.h>

#include "platform/platform.hpp"
#include "test_support.hpp"

using namespace testing_support;

namespace {

std::string tempPathFor(const std::string& destination) {
    PathParts parts = splitPath(destination);
    parts.name = "PG$TABLE";
    parts.ext = "$$$";
    return makePath(parts);
}

TEST(Paths, TheTemporaryFileLiesInTheDestinationsFolder) {
    EXPECT_EQ(tempPathFor("route.cfg"), "PG$TABLE.$$$");
    EXPECT_EQ(tempPathFor("squish"), "PG$TABLE.$$$");
    EXPECT_EQ(tempPathFor("sub/dir/route.cfg"), "sub/dir/PG$TABLE.$$$");
    EXPECT_EQ(tempPathFor("/fido/v1.2/squish"), "/fido/v1.2/PG$TABLE.$$$");
    EXPECT_EQ(tempPathFor("/route.cfg"), "/PG$TABLE.$$$");
}

TEST(TextReading, LinesComeInPiecesUpToTheLimitAndEndAtCtrlZ) {
    using namespace std::string_literals;
    ScratchDir dir;
    dir.write("text", "abc\r\n0123456789\nx\0y\n\nlast\x1Agone\n"s);
    auto reader = TextReader::open(dir.file("text"));
    ASSERT_TRUE(reader);
    std::vector<std::string> lines;
    for (std::string line; reader->readLine(line, 5);) {
        lines.push_back(line);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"abc\r\n", "01234", "56789", "\n", "x\0y\n"s, "\n",
                                               "last"}));
    EXPECT_FALSE(reader->failed());
    ASSERT_TRUE(reader->rewind());
    std::string line;
    EXPECT_TRUE(reader->readLine(line));
    EXPECT_EQ(line, "abc\r\n");
}

} // namespace
