// The indexed lookups, adjustment, minimisation and walks against the
// straightforward scans, over many random tables: wildcards of every shape,
// chains, loops, own addresses, links named twice and addresses that become
// equal when wildcards are normalised.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

#include "model/adjust.hpp"
#include "model/minimize.hpp"
#include "model/oracle.hpp"
#include "model/random_tables.hpp"
#include "model/tables.hpp"
#include "writers/walks.hpp"

namespace {

using namespace random_tables;

void expectSameTables(const RoutingState& a, const RoutingState& b) {
    ASSERT_EQ(a.items.size(), b.items.size());
    for (std::size_t i = 0; i < a.items.size(); ++i) {
        EXPECT_EQ(a.items[i].via, b.items[i].via) << "item " << i;
        EXPECT_EQ(a.items[i].viaTarget, b.items[i].viaTarget) << "item " << i;
        EXPECT_TRUE(a.items[i].address == b.items[i].address) << "item " << i;
    }
    ASSERT_EQ(a.links.size(), b.links.size());
    for (std::size_t i = 0; i < a.links.size(); ++i) {
        EXPECT_EQ(a.links[i].flavour, b.links[i].flavour);
        EXPECT_TRUE(a.links[i].address == b.links[i].address);
    }
}

// Walks from every link and from the root in a given style, as a writer would.
template <typename Walk, typename Find>
std::string walkAll(const RoutingState& state, Walk walk, Find find, AddressStyle style, int wrap) {
    std::ostringstream out;
    LineWriter w(state, out, false, 0);
    w.notation.style = style;
    w.wrapWidth = wrap;
    for (std::uint16_t pass = 0; pass < 4; ++pass) {
        w.notation.pass = pass;
        for (const LinkEntry& link : state.links) {
            w.notation.context = link.address;
            w.prefix = "L";
            restartLine(w);
            walk(w, find(state, link.address), RelativeForm, notationAddress);
            writeLineBuffer(w);
        }
    }
    w.notation.style.flatWalk = true;
    w.notation.pass = 0;
    w.prefix = "U";
    restartLine(w);
    walk(w, NoVia, RelativeForm, notationAddress);
    writeLineBuffer(w);
    return out.str();
}

} // namespace

TEST(IndexedEquivalence, RandomTablesGiveExactlyWhatTheScansGive) {
    RandomWorld world(20261207);
    for (int round = 0; round < 4000; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        Tables t = world.tables();
        TableRun fast(t);
        TableRun slow(t);

        // Lookups before the adjustment.
        for (int k = 0; k < 20; ++k) {
            FtnAddress probe = world.address(20);
            ASSERT_EQ(findItem(fast.state, probe), oracle::findItem(slow.state, probe));
        }

        adjustRouting(fast.state, fast.messages);
        oracle::adjustRouting(slow.state, slow.messages);
        expectSameTables(fast.state, slow.state);
        fast.messages.flush();
        slow.messages.flush();
        ASSERT_EQ(fast.console.str(), slow.console.str());

        // Lookups after normalisation may meet equal addresses: the first wins.
        for (const RouteItem& item : slow.state.items) {
            ASSERT_EQ(findItem(fast.state, item.address),
                      oracle::findItem(slow.state, item.address));
        }

        minimizeRoutes(fast.state, fast.messages);
        oracle::minimizeRoutes(slow.state, slow.messages);
        expectSameTables(fast.state, slow.state);
        if (HasFailure()) {
            return;
        }

        for (int variant = 0; variant < 3; ++variant) {
            AddressStyle style{world.pick(0, 1) == 1,
                               world.pick(0, 1) == 1,
                               world.pick(0, 1) == 1,
                               world.pick(0, 1) == 1,
                               false,
                               world.pick(0, 1) == 1};
            int wrap = world.chance(50) ? 12 : 64;
            std::string a = walkAll(fast.state, appendRoutedViaUsing, findItem, style, wrap);
            std::string b =
                walkAll(slow.state, oracle::appendRoutedViaUsing, oracle::findItem, style, wrap);
            ASSERT_EQ(a, b);
        }
    }
}

TEST(IndexedEquivalence, ChainThroughEveryItemIsCutInOneWalk) {
    // 65534 items, each routed via the next, the last via a link: every
    // entry ends routed via the link, and the run takes no time to speak of.
    RoutingState state;
    std::ostringstream console;
    Console messages(console);
    state.akas.push_back(FtnAddress{2, 1, 1});
    const std::size_t count = MaxItems;
    state.links.push_back(LinkEntry{FlavourCrash, FtnAddress{2, 2, 0}});
    state.items.push_back(RouteItem{NoVia, 0, FtnAddress{2, 2, 0}});
    for (std::size_t i = 1; i < count; ++i) {
        auto next = static_cast<std::uint16_t>(i + 1 < count ? i + 1 : 0);
        state.items.push_back(RouteItem{next, 0,
                                        FtnAddress{3, static_cast<std::uint16_t>(i / 1000),
                                                   static_cast<std::uint16_t>(i % 1000)}});
    }
    adjustRouting(state, messages);
    for (std::size_t i = 1; i < count; ++i) {
        ASSERT_EQ(state.items[i].via, 0u) << "item " << i;
    }
    messages.flush();
    EXPECT_EQ(console.str(), "");
}
