// The walks from which writers build their lines.
#include <gtest/gtest.h>

#include "model_support.hpp"
#include "test_support.hpp"
#include "writers/walks.hpp"

using namespace testing_support;

namespace {

struct Walks : ::testing::Test {
    CapturedState captured;
    RoutingState& state = captured.state;
    LineWriter w = captured.writer();

    void SetUp() override {
        state.akas.push_back(at("2:460/10"));
        w.notation.main = state.mainAddress();
    }

    void start(const std::string& prefix, const char* context) {
        w.prefix = prefix;
        w.line = prefix;
        w.notation.context = at(context);
    }
};

TEST_F(Walks, FlavourWordPrefersCrashThenDirectThenHold) {
    const FlavourWords words = {"C", "D", "H", "N"};
    std::string picked;
    for (std::uint16_t flavour : {0x06, 0x03, 0x05, 0x04, 0x14, 0x10, 0x20, 0x40, 0x00}) {
        picked += flavourWord(LinkEntry{flavour, {}}, words);
    }
    EXPECT_EQ(picked, "CCDHHNNNN");
}

TEST_F(Walks, LinkLinesListTheLinksMatchingTheMask) {
    addLink(state, "2:460/1", 0x02);
    addLink(state, "2:460/2", 0x42);
    addLink(state, "2:461/3", 0x06);
    addLink(state, "2:460/4", 0x10);
    addLink(state, "2:462/*", 0x02);
    w.notation.context = at("3:1/1");
    writeLinkLine(w, 0x42, 0x02, "Send Crash  ");
    writeLinkLine(w, 0x40, 0x00, "All ");
    writeLinkLine(w, 0x01, 0x01, "Send Direct ");
    w.notation.pass = 1;
    writeLinkLine(w, 0x42, 0x02, "Send Crash  ");
    EXPECT_EQ(captured.output.str(), "Send Crash   1 461/3\n"
                                     "All  1 461/3 460/4\n"
                                     "Send Crash   462/All\n");
}

TEST_F(Walks, ALinkLineBreaksAfterTheLinkReachingTheWidth) {
    for (int node = 100; node <= 111; ++node) {
        addLink(state, "2:460/" + std::to_string(node), FlavourCrash);
    }
    addLink(state, "2:461/1", FlavourCrash);
    addLink(state, "2:461/2", FlavourCrash);
    writeLinkLine(w, 0x42, 0x02, "Send Crash  ");
    EXPECT_EQ(captured.output.str(),
              "Send Crash   100 101 102 103 104 105 106 107 108 109 110 111 461/1\n"
              "Send Crash   461/2\n");
}

TEST_F(Walks, RoutedNodesAreListedDepthFirstSkippingLinksOwnAndCovered) {
    state.akas.push_back(at("2:460/11"));
    addLink(state, "2:460/1", FlavourCrash); // 0
    addItem(state, "2:460/5", 0);            // 1
    addItem(state, "2:460/6", 1);            // 2
    addItem(state, "2:461/1", 0);            // 3
    addLink(state, "2:460/2", FlavourHold);  // 4
    state.items[4].via = 0;
    addItem(state, "2:460/11", 0);        // 5: own
    addItem(state, "2:460/7", Covered);   // 6
    addItem(state, "2:460/8", 0);         // 7
    addItem(state, "2:460/9", 4);         // 8: via the link 2:460/2
    addItem(state, "2:460/99", NoVia, 1); // 9
    addItem(state, "2:460/97", 9);        // 10
    addItem(state, "2:460/98", NoVia);    // 11
    addItem(state, "2:460/10", NoVia, 1); // 12: own
    addItem(state, "2:460/50", 13);       // 13: via itself
    addItem(state, "2:460/*", 0);         // 14
    addItem(state, "2:460/3", 14);        // 15

    start("P", "2:460/1");
    appendRoutedVia(w, 0, RelativeForm);
    EXPECT_EQ(w.line, "P 5 6 461/1 460/8 3");

    start("S", "2:460/50");
    appendRoutedVia(w, 13, RelativeForm);
    EXPECT_EQ(w.line, "S");

    start("R", "2:460/10");
    appendRoutedVia(w, NoVia, RelativeForm);
    EXPECT_EQ(w.line, "R 99 97");

    w.notation.style.flatWalk = 1;
    start("F", "2:460/10");
    appendRoutedVia(w, NoVia, RelativeForm);
    EXPECT_EQ(w.line, "F 99");
    EXPECT_EQ(captured.output.str(), "");
}

struct WalkBreaks : Walks {
    void SetUp() override {
        Walks::SetUp();
        w.wrapWidth = 20;
        addLink(state, "2:461/1", FlavourCrash);
        for (const char* node : {"2:461/100", "2:461/101", "2:461/102", "2:462/70", "2:461/9"}) {
            addItem(state, node, 0);
        }
        start("P", "2:461/1");
    }
};

TEST_F(WalkBreaks, AfterABreakTheNextNodeIsAbbreviatedAgainstTheParent) {
    appendRoutedVia(w, 0, RelativeForm);
    EXPECT_EQ(captured.output.str(), "P 100 101 102 462/70\n");
    EXPECT_EQ(w.line, "P 9");
}

TEST_F(WalkBreaks, AContinuationAddressEndsTheBrokenLine) {
    w.continuationAddress = at("2:100/1");
    appendRoutedVia(w, 0, RelativeForm);
    EXPECT_EQ(captured.output.str(), "P 100 101 102 462/70 2:100/1\n");
    EXPECT_EQ(w.line, "P 461/9");
}

} // namespace
