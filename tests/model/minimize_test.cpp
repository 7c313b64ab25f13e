// Marking routes that a covering wildcard entry already gives.
#include <gtest/gtest.h>

#include <vector>

#include "model/minimize.hpp"
#include "model_support.hpp"
#include "test_support.hpp"

using namespace testing_support;

namespace {

struct Entry {
    const char* address;
    std::uint16_t via;
    std::uint16_t viaTarget = 0;
};

// Links 2:460/1 (item 0) and 2:460/2 (item 1), then the entries; returns the
// item table after the minimisation.
std::string minimised(std::vector<Entry> entries, MinimizeMode mode = MinimizeMode::Yes) {
    CapturedState captured;
    RoutingState& state = captured.state;
    state.akas.push_back(at("2:460/10"));
    state.settings.minimize = mode;
    addLink(state, "2:460/1", FlavourCrash);
    addLink(state, "2:460/2", FlavourCrash);
    for (const Entry& entry : entries) {
        addItem(state, entry.address, entry.via, entry.viaTarget);
    }
    minimizeRoutes(state, captured.messages);
    EXPECT_EQ(captured.shown(), "");
    return itemsText(state);
}

const char* const Links = "0 2:460/1 via -\n1 2:460/2 via -\n";

TEST(Minimisation, ANodeGoingTheWayOfItsNetIsCovered) {
    EXPECT_EQ(minimised({{"2:100/7", 0}, {"2:100/*", 0}}),
              std::string(Links) + "2 2:100/7 via covered\n3 2:100/* via 0\n");
    EXPECT_EQ(minimised({{"2:100/7", 0}, {"2:100/*", 0}}, MinimizeMode::No),
              std::string(Links) + "2 2:100/7 via 0\n3 2:100/* via 0\n");
}

TEST(Minimisation, OnlyTheMostSpecificCoveringEntryDecides) {
    EXPECT_EQ(minimised({{"2:100/7", 0}, {"2:100/*", 1}, {"2:*/*", 0}}),
              std::string(Links) + "2 2:100/7 via 0\n3 2:100/* via 1\n4 2:*/* via 0\n");
    // A covering entry without via decides too.
    EXPECT_EQ(minimised({{"2:100/*", NoVia, 1}, {"2:*/*", 0}, {"2:100/7", 0}}),
              std::string(Links) + "2 2:100/* via - target\n3 2:*/* via 0\n4 2:100/7 via 0\n");
}

TEST(Minimisation, PatternsKeepTheirViasWhileEntriesAreMarked) {
    EXPECT_EQ(minimised({{"*:*/*", 0}, {"2:*/*", 0}, {"2:100/*", 0}, {"2:100/7", 0}}),
              std::string(Links) + "2 *:*/* via 0\n3 2:*/* via covered\n"
                                   "4 2:100/* via covered\n5 2:100/7 via covered\n");
}

TEST(Minimisation, LinksAndEntriesWithoutViaAreNeverCovered) {
    std::string table = minimised({{"2:*/*", 0}, {"2:100/7", NoVia, 1}});
    EXPECT_EQ(table, std::string(Links) + "2 2:*/* via 0\n3 2:100/7 via - target\n");
    CapturedState captured;
    RoutingState& state = captured.state;
    state.settings.minimize = MinimizeMode::NotGiven;
    addLink(state, "2:460/1", FlavourCrash);
    addLink(state, "2:460/2", FlavourCrash);
    state.items[1].via = 0;
    addItem(state, "2:*/*", 0);
    addItem(state, "2:461/1", 0);
    minimizeRoutes(state, captured.messages);
    EXPECT_EQ(itemsText(state), "0 2:460/1 via -\n1 2:460/2 via 0\n2 2:*/* via 0\n"
                                "3 2:461/1 via covered\n");
}

TEST(Minimisation, NothingChangesWithoutWildcardEntries) {
    EXPECT_EQ(minimised({{"2:100/7", 0}, {"2:100/8", 1}}),
              std::string(Links) + "2 2:100/7 via 0\n3 2:100/8 via 1\n");
}

} // namespace
