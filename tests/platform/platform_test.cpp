// Path parts: where the temporary file lies.
#include <gtest/gtest.h>

#include "platform/platform.hpp"

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

} // namespace
