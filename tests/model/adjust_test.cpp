// The repair of the routing table after the configuration: normalised
// wildcards, default routes, links for nodes routed via us, chains and loops.
#include <gtest/gtest.h>

#include "model/adjust.hpp"
#include "model_support.hpp"
#include "test_support.hpp"

using namespace testing_support;

namespace {

struct Adjustment : ::testing::Test {
    CapturedState captured;
    RoutingState& state = captured.state;

    void SetUp() override { state.akas.push_back(at("2:460/10")); }
};

std::string loopMessage(const char* address) {
    return std::string("\nRouteLoop detected for  ") + address + ". Try to route by default";
}

TEST_F(Adjustment, DefaultRoutesGoThroughTheMostSpecificCoveringEntry) {
    addLink(state, "2:460/1", FlavourCrash);
    addLink(state, "2:5020/1", FlavourCrash);
    addItem(state, "2:100/*", 0);
    addItem(state, "2:*/*", 1);
    addItem(state, "2:100/7", NoVia, 1);
    addItem(state, "2:200/1", NoVia, 1);
    addItem(state, "3:1/1", NoVia, 1);
    addItem(state, "*:100/7", NoVia, 1);
    addItem(state, "3:*/7", NoVia, 1);
    adjustRouting(state, captured.messages);
    // Links get no default route; wildcard entries take their normal shapes.
    EXPECT_EQ(itemsText(state), "0 2:460/1 via -\n"
                                "1 2:5020/1 via -\n"
                                "2 2:100/* via 0\n"
                                "3 2:*/* via 1\n"
                                "4 2:100/7 via 0 target\n"
                                "5 2:200/1 via 1 target\n"
                                "6 3:1/1 via - target\n"
                                "7 *:*/* via - target\n"
                                "8 3:*/* via - target\n");
    EXPECT_EQ(captured.shown(), "");
}

TEST_F(Adjustment, LaterEntriesAreScoredBeforeTheyAreNormalised) {
    addLink(state, "2:460/1", FlavourCrash);
    addLink(state, "2:460/2", FlavourCrash);
    addItem(state, "2:100/7", NoVia, 1);
    addItem(state, "2:100/*", 0);
    addItem(state, "2:*/7", 1); // still scores as zone and node fixed
    adjustRouting(state, captured.messages);
    EXPECT_EQ(itemsText(state), "0 2:460/1 via -\n"
                                "1 2:460/2 via -\n"
                                "2 2:100/7 via 1 target\n"
                                "3 2:100/* via 0\n"
                                "4 2:*/* via 1\n");
}

TEST_F(Adjustment, ADefaultRouteLeadingBackToTheEntryIsNotGiven) {
    addItem(state, "2:460/5", NoVia, 1);
    addItem(state, "2:*/*", 0);
    adjustRouting(state, captured.messages);
    EXPECT_EQ(itemsText(state), "0 2:460/5 via - target\n"
                                "1 2:*/* via 0\n");
}

// 2:460/5 without route; 2:*/* routed via a chain of `length` entries of
// zone 3, the last of which is routed via 2:460/5 again.
void buildChainBackToFirst(RoutingState& state, int length) {
    addItem(state, "2:460/5", NoVia, 1);
    addItem(state, "2:*/*", 2);
    for (int k = 1; k <= length; ++k) {
        auto via = static_cast<std::uint16_t>(k == length ? 0 : k + 2);
        addItem(state, "3:1/" + std::to_string(k), via);
    }
}

TEST_F(Adjustment, TheLoopCheckOfADefaultRouteLooksAtTenEntries) {
    buildChainBackToFirst(state, 8); // 2:460/5 is the tenth entry looked at
    adjustRouting(state, captured.messages);
    std::string expected = "0 2:460/5 via - target\n1 2:*/* via 0\n";
    for (int k = 1; k <= 8; ++k) {
        expected += std::to_string(k + 1) + " 3:1/" + std::to_string(k) + " via 0\n";
    }
    EXPECT_EQ(itemsText(state), expected);
    EXPECT_EQ(captured.shown(), "");
}

TEST_F(Adjustment, ALoopBeyondTenEntriesIsBrokenWhenChainsAreShortened) {
    buildChainBackToFirst(state, 9); // 2:460/5 would be the eleventh
    adjustRouting(state, captured.messages);
    std::string expected = "0 2:460/5 via - target\n1 2:*/* via 0\n";
    for (int k = 1; k <= 9; ++k) {
        expected += std::to_string(k + 1) + " 3:1/" + std::to_string(k) + " via 0\n";
    }
    EXPECT_EQ(itemsText(state), expected);
    EXPECT_EQ(captured.shown(), loopMessage("2:460/5"));
}

TEST_F(Adjustment, NodesRoutedViaUsBecomeLinksWithTheDefaultFlavour) {
    state.akas.push_back(at("2:5020/99"));
    state.settings.defaultFlavour = FlavourCrash;
    addItem(state, "2:460/10", NoVia, 1);
    addItem(state, "2:460/20", 0);
    addItem(state, "2:460/21", 1);
    addItem(state, "2:5020/99", NoVia, 1);
    addItem(state, "2:5020/5", 3);
    addItem(state, "2:460/1", 0);
    state.links.push_back(LinkEntry{FlavourDirect, at("2:460/1")});
    adjustRouting(state, captured.messages);
    EXPECT_EQ(linksText(state), "2:460/1 01\n"
                                "2:460/20 02\n"
                                "2:5020/5 02\n");
    EXPECT_EQ(itemsText(state), "0 2:460/10 via - target\n"
                                "1 2:460/20 via 0\n"
                                "2 2:460/21 via 1\n"
                                "3 2:5020/99 via - target\n"
                                "4 2:5020/5 via 3\n"
                                "5 2:460/1 via 0\n");
    EXPECT_EQ(captured.shown(),
              "\n 2:460/20 is routed via us, but missing in \"Link\" definitions.\n"
              " 'DefaultFlavor' assumed."
              "\n 2:5020/5 is routed via us, but missing in \"Link\" definitions.\n"
              " 'DefaultFlavor' assumed.");
}

TEST_F(Adjustment, ChainsEndAtTheLastHopOrAtALinkWithAConcreteNode) {
    addItem(state, "2:460/1", 1);
    addItem(state, "2:460/2", 2);
    addLink(state, "2:460/3", FlavourHold);
    addItem(state, "2:460/6", 4);
    addItem(state, "2:460/4", 5);
    state.links.push_back(LinkEntry{FlavourHold, at("2:460/4")});
    addItem(state, "2:460/5", NoVia, 1);
    addItem(state, "2:461/1", NoVia, 1);
    addItem(state, "2:461/*", 6);
    state.links.push_back(LinkEntry{FlavourHold, at("2:461/*")});
    addItem(state, "2:462/5", 7);
    adjustRouting(state, captured.messages);
    EXPECT_EQ(itemsText(state), "0 2:460/1 via 2\n"
                                "1 2:460/2 via 2\n"
                                "2 2:460/3 via -\n"
                                "3 2:460/6 via 4\n"
                                "4 2:460/4 via 5\n"
                                "5 2:460/5 via - target\n"
                                "6 2:461/1 via - target\n"
                                "7 2:461/* via 6\n"
                                "8 2:462/5 via 6\n");
    EXPECT_EQ(captured.shown(), "");
}

TEST_F(Adjustment, ALoopIsBrokenAtItsFirstEntry) {
    addItem(state, "2:460/1", 1);
    addItem(state, "2:460/2", 0);
    adjustRouting(state, captured.messages);
    EXPECT_EQ(itemsText(state), "0 2:460/1 via -\n"
                                "1 2:460/2 via 0\n");
    EXPECT_EQ(captured.shown(), loopMessage("2:460/1"));
}

TEST_F(Adjustment, AChainRunningIntoALoopOfOtherEntriesEnds) {
    addItem(state, "2:460/9", 1);
    addItem(state, "2:460/1", 2);
    addItem(state, "2:460/2", 1);
    adjustRouting(state, captured.messages);
    EXPECT_EQ(itemsText(state), "0 2:460/9 via -\n"
                                "1 2:460/1 via -\n"
                                "2 2:460/2 via 1\n");
    EXPECT_EQ(captured.shown(), loopMessage("2:460/9") + loopMessage("2:460/1"));
}

} // namespace
