// The bundled examples, run with the real binary.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "examples/example_runs.hpp"
#include "test_support.hpp"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

class ExampleRun : public ::testing::TestWithParam<std::string> {};

std::string testName(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    std::replace_if(
        name.begin(), name.end(),
        [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

} // namespace

TEST_P(ExampleRun, WritesItsTableBetweenTheMarkers) {
    checkExampleRun(SPOKEWAY_BINARY, fs::path(SPOKEWAY_SOURCE_DIR) / "examples" / GetParam(),
                    GetParam());
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleRun, ::testing::ValuesIn(exampleNames()), testName);

TEST(Examples, EveryRouteTypeHasAnExample) {
    std::set<std::string> names;
    for (const std::string& name : exampleNames()) {
        names.insert(name);
    }
    const std::set<std::string> expected{
        "basic",
        "route-types/bip",
        "route-types/bpack",
        "route-types/fidogate",
        "route-types/ftrack",
        "route-types/ifmail",
        "route-types/imbink",
        "route-types/itrack",
        "route-types/qecho",
        "route-types/squish",
        "route-types/tmail",
        "route-types/tmailn",
        "route-types/unimail",
        "route-types/xmail",
    };
    EXPECT_EQ(names, expected);
}
