// The report of via targets that have no route.
#include <gtest/gtest.h>

#include "model_support.hpp"
#include "test_support.hpp"
#include "writers/writers.hpp"

using namespace testing_support;

namespace {

struct UnroutedReport : ::testing::Test {
    CapturedState captured;
    RoutingState& state = captured.state;
    LineWriter w = captured.writer();

    void SetUp() override {
        state.akas.push_back(at("2:460/10"));
        w.notation.main = state.mainAddress();
        w.notation.pass = 3; // as a writer leaves it
        addLink(state, "2:460/1", FlavourCrash);
        addItem(state, "2:460/10", NoVia, 1); // own
        addItem(state, "2:100/*", NoVia, 1);  // wildcard
        addItem(state, "2:460/5", NoVia, 0);  // lost its via in a loop
        addItem(state, "2:460/6", 0, 1);      // routed
    }
};

TEST_F(UnroutedReport, ListsViaTargetsWithoutRouteInFull) {
    addItem(state, "2:460/99", NoVia, 1);
    addItem(state, "2:461/12", NoVia, 1);
    writeUnrouted(w);
    EXPECT_EQ(captured.output.str(), ";\n"
                                     "; !!! Unrouted !!!\n"
                                     "; ----------------\n"
                                     "; >>>  2:460/99 2:461/12\n");
}

TEST_F(UnroutedReport, BrokenLinesEndWithAnUnroutedAddress) {
    w.reportCommentChar = '#';
    w.continuationAddress = at("2:100/1"); // as the T-mail writer leaves it
    for (int node = 100; node <= 106; ++node) {
        addItem(state, "2:460/" + std::to_string(node), NoVia, 1);
    }
    writeUnrouted(w);
    EXPECT_EQ(captured.output.str(),
              "#\n"
              "# !!! Unrouted !!!\n"
              "# ----------------\n"
              "# >>>  2:460/100 2:460/101 2:460/102 2:460/103 2:460/104 2:460/105\n"
              "# >>>  2:460/106\n");
}

} // namespace
