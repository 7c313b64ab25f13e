// The bundled examples, run with the real binary.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "examples/example_runs.hpp"
#include "test_support.hpp"
#include "writers/route_types.hpp"

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
    std::set<std::string> expected{"basic"};
    for (const RouteType& type : RouteTypes) {
        expected.insert("route-types/" + std::string(type.name));
    }
    EXPECT_EQ(names, expected);
}
