// Lookups and insertions on the routing tables.
#include <gtest/gtest.h>

#include <vector>

#include "model/tables.hpp"
#include "model_support.hpp"
#include "test_support.hpp"

using namespace testing_support;

// Found by argument lookup, so kept in the namespace of RouteItem.
static bool operator==(const RouteItem& a, const RouteItem& b) {
    return a.via == b.via && a.viaTarget == b.viaTarget && a.address == b.address;
}

static void PrintTo(const RouteItem& item, std::ostream* out) {
    *out << "{via " << item.via << ", target " << item.viaTarget << ", ";
    PrintTo(item.address, out);
    *out << "}";
}

namespace {

constexpr std::uint16_t W = Wildcard;

// Own addresses 1:100/10 (main) and 1:100/20; items 0 and 1 are via targets,
// item 2 is a link reached directly.
struct TablesFixture : ::testing::Test {
    CapturedState captured;
    RoutingState& state = captured.state;

    void SetUp() override {
        state.akas = {{1, 100, 10}, {1, 100, 20}};
        state.items = {
            {NoVia, 1, {1, 100, 1}},
            {NoVia, 1, {1, 100, 2}},
            {NoVia, 0, {1, 100, 3}},
        };
        state.links = {{FlavourNormal, {1, 100, 3}}};
    }
    std::string console() { return captured.shown(); }
};

} // namespace

using RouteVia = TablesFixture;
using FindItem = TablesFixture;

TEST_F(RouteVia, NewAddressIsAppendedWithTheViaAndNoFlag) {
    routeVia(state, captured.messages, 0, {1, 200, W});
    ASSERT_EQ(state.items.size(), 4u);
    EXPECT_EQ(state.items[3], (RouteItem{0, 0, {1, 200, W}}));
    EXPECT_EQ(console(), "");
}

TEST_F(RouteVia, OwnAddressIsNeverRouted) {
    routeVia(state, captured.messages, 0, {1, 100, 20});
    EXPECT_EQ(state.items.size(), 3u);

    // Not even when the own address already stands in the table.
    state.items.push_back({NoVia, 1, {1, 100, 10}});
    routeVia(state, captured.messages, 0, {1, 100, 10});
    EXPECT_EQ(state.items[3], (RouteItem{NoVia, 1, {1, 100, 10}}));
    EXPECT_EQ(console(), "");
}

TEST_F(RouteVia, NodeIsNotRoutedViaItself) {
    routeVia(state, captured.messages, 1, {1, 100, 2});
    EXPECT_EQ(state.items[1], (RouteItem{NoVia, 1, {1, 100, 2}}));
    EXPECT_EQ(console(), "");
}

TEST_F(RouteVia, ViaTargetOrLinkGetsItsFirstViaSilently) {
    routeVia(state, captured.messages, 0, {1, 100, 2});
    routeVia(state, captured.messages, 0, {1, 100, 3});
    EXPECT_EQ(state.items[1], (RouteItem{0, 0, {1, 100, 2}}));
    EXPECT_EQ(state.items[2], (RouteItem{0, 0, {1, 100, 3}}));
    EXPECT_EQ(state.items.size(), 3u);
    EXPECT_EQ(console(), "");
}

TEST_F(RouteVia, SameViaAgainIsSilent) {
    routeVia(state, captured.messages, 0, {1, 100, 7});
    routeVia(state, captured.messages, 0, {1, 100, 7});
    EXPECT_EQ(state.items.size(), 4u);
    EXPECT_EQ(state.items[3], (RouteItem{0, 0, {1, 100, 7}}));
    EXPECT_EQ(console(), "");
}

TEST_F(RouteVia, DifferentViaReplacesTheOldOneWithAMessage) {
    routeVia(state, captured.messages, 0, {1, 100, 7});
    routeVia(state, captured.messages, 1, {1, 100, 7});
    routeVia(state, captured.messages, 0, {2, W, W});
    routeVia(state, captured.messages, 1, {2, W, W});
    ASSERT_EQ(state.items.size(), 5u);
    EXPECT_EQ(state.items[3], (RouteItem{1, 0, {1, 100, 7}}));
    EXPECT_EQ(state.items[4], (RouteItem{1, 0, {2, W, W}}));
    EXPECT_EQ(console(), "\nRe-routing for  1:100/7."
                         "\nRe-routing for  2:All/All.");
}

TEST_F(RouteVia, RoutedNodeNamedAsViaTargetStaysRouted) {
    routeVia(state, captured.messages, 0, {1, 100, 7});
    EXPECT_EQ(findOrAddItem(state, {1, 100, 7}), 3);
    EXPECT_EQ(state.items[3], (RouteItem{0, 0, {1, 100, 7}}));
    EXPECT_EQ(state.items.size(), 4u);
}

TEST_F(FindItem, FindOrAddAppendsAViaTargetOnlyWhenAbsent) {
    EXPECT_EQ(findOrAddItem(state, {1, 100, 3}), 2);
    EXPECT_EQ(state.items[2], (RouteItem{NoVia, 0, {1, 100, 3}}));
    EXPECT_EQ(findOrAddItem(state, {1, 100, 4}), 3);
    EXPECT_EQ(state.items[3], (RouteItem{NoVia, 1, {1, 100, 4}}));
    EXPECT_EQ(findOrAddItem(state, {1, 100, 4}), 3);
    EXPECT_EQ(state.items.size(), 4u);
}

TEST_F(FindItem, WildcardMatchesOnlyAWildcard) {
    state.items.push_back({NoVia, 0, {2, 100, 7}});
    EXPECT_EQ(findItem(state, {2, 100, W}), NoVia);
    state.items.push_back({NoVia, 0, {2, 100, W}});
    EXPECT_EQ(findItem(state, {2, 100, W}), 4);
    EXPECT_EQ(findItem(state, {2, 100, 7}), 3);
    EXPECT_EQ(findItem(state, {2, W, W}), NoVia);
}

TEST_F(FindItem, LinkAndOwnAddressLookups) {
    EXPECT_TRUE(isLinkItem(state, 2));
    EXPECT_FALSE(isLinkItem(state, 1));
    EXPECT_TRUE(isLinkAddress(state, {1, 100, 3}));
    EXPECT_FALSE(isLinkAddress(state, {1, 100, W}));
    EXPECT_TRUE(isOwnAddress(state, {1, 100, 20}));
    EXPECT_FALSE(isOwnAddress(state, {1, 100, 3}));
}

namespace {

// Fills the item table with distinct addresses up to `count` entries.
void fillItems(RoutingState& state, std::size_t count) {
    while (state.items.size() < count) {
        auto n = static_cast<std::uint16_t>(state.items.size());
        state.items.push_back({NoVia, 0, {9, static_cast<std::uint16_t>(n / 1000), n}});
    }
}

} // namespace

TEST(TableLimits, AtMost65534ItemsSoThatTheReservedIndexesStayFree) {
    CapturedState captured;
    RoutingState& state = captured.state;
    state.akas = {{1, 100, 10}};
    fillItems(state, 65533);

    EXPECT_EQ(findOrAddItem(state, {1, 1, 1}), 65533);
    EXPECT_EQ(state.items.size(), 65534u);
    EXPECT_THROW(findOrAddItem(state, {1, 1, 2}), TableFull);
    EXPECT_THROW(routeVia(state, captured.messages, 0, {1, 1, 2}), TableFull);
    EXPECT_EQ(state.items.size(), 65534u);

    // What needs no new item still works on a full table.
    EXPECT_EQ(findOrAddItem(state, {1, 1, 1}), 65533);
    routeVia(state, captured.messages, 0, {1, 1, 1});
    EXPECT_EQ(state.items[65533].via, 0);
    EXPECT_EQ(captured.shown(), "");
}

TEST(TableLimits, AtMost65535LinksAndOwnAddresses) {
    CapturedState captured;
    RoutingState& state = captured.state;
    state.links.resize(65534);
    appendLink(state, {FlavourNormal, {1, 1, 1}});
    EXPECT_THROW(appendLink(state, {FlavourNormal, {1, 1, 2}}), TableFull);
    EXPECT_EQ(state.links.size(), 65535u);

    state.akas.resize(65534);
    appendAka(state, {1, 1, 1});
    EXPECT_THROW(appendAka(state, {1, 1, 2}), TableFull);
    EXPECT_EQ(state.akas.size(), 65535u);
}
