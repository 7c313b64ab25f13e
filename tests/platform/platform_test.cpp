// Path parts: where the temporary file lies.
#include <gtest/gtest.h>

#include "driver/table_output.hpp"

namespace {

std::string tempPathFor(const std::string& destination) {
    return Splice::temporaryPathFor(destination);
}

TEST(Paths, TheTemporaryFileLiesInTheDestinationsFolder) {
    EXPECT_EQ(tempPathFor("route.cfg"), "PG$TABLE.$$$");
    EXPECT_EQ(tempPathFor("squish"), "PG$TABLE.$$$");
    EXPECT_EQ(tempPathFor("sub/dir/route.cfg"), "sub/dir/PG$TABLE.$$$");
    EXPECT_EQ(tempPathFor("/fido/v1.2/squish"), "/fido/v1.2/PG$TABLE.$$$");
    EXPECT_EQ(tempPathFor("/route.cfg"), "/PG$TABLE.$$$");
}

} // namespace
