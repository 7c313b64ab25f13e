#include <gtest/gtest.h>

#include <algorithm>

#include "platform/disk.hpp"
#include "test_support.hpp"

using testing_support::ScratchDir;

TEST(WildcardListing, OnlyQuestionMarkAndStarAreSpecial) {
    ScratchDir dir;
    for (const char* name : {"nodelist.123", "nodelist.1", "NODELIST.200", "nodelist", "a[1].txt",
                             "a1.txt", "x*y", "xzy", "abc.d.e"}) {
        dir.write(name, "");
    }
    auto list = [&](const std::string& pattern) {
        std::vector<std::string> names;
        EXPECT_TRUE(RealDisk().list(dir.path().string(), pattern, names));
        std::sort(names.begin(), names.end());
        return names;
    };
    EXPECT_EQ(list("nodelist.*"), (std::vector<std::string>{"nodelist.1", "nodelist.123"}));
    EXPECT_EQ(list("nodelist.?"), (std::vector<std::string>{"nodelist.1"}));
    EXPECT_EQ(list("a[1].*"), (std::vector<std::string>{"a[1].txt"}));
    EXPECT_EQ(list("x*y"), (std::vector<std::string>{"x*y", "xzy"}));
    EXPECT_EQ(list("*.e"), (std::vector<std::string>{"abc.d.e"}));
    EXPECT_EQ(list("*z*"), (std::vector<std::string>{"xzy"}));
    EXPECT_EQ(list("nomatch*"), (std::vector<std::string>{}));

    std::vector<std::string> names;
    EXPECT_FALSE(RealDisk().list(dir.file("missing"), "*", names));
}
