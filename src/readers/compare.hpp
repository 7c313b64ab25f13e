// The routing's answer for an address set against a mail program's reading
// of the new table: the addresses to look at, where the two differ, and the
// differences of one cause put together.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "model/routing_state.hpp"
#include "readers/reader.hpp"

// Where the routing sends mail for an address.
struct RoutingAnswer {
    enum class Kind {
        Routed,       // via `via` with `flavour` (a link's letters)
        OwnAddress,   // one of the system's own addresses: not sent
        NotCovered,   // no entry and no routed wildcard entry covers it
        DeadEnd,      // its route ends at `at`, which has no route
        Loop,         // its route ends at `at`, whose route a loop took
        ViaUs,        // its route ends at `at`, routed via an own address
        WildcardLink, // its route ends at `at`, a link with a wildcard part
    };
    Kind kind = Kind::NotCovered;
    FtnAddress via;
    std::uint16_t flavour = 0;
    FtnAddress at;
};

RoutingAnswer routingOf(const RoutingState& state, FtnAddress address);

// Whether the program does with the mail what the routing means.
bool agrees(const ReaderModel& model, const RoutingAnswer& routing, const Delivery& delivery);

// The addresses compared: every address without wildcards that the tables
// or the file name (own addresses left out), and for each net, zone and
// wildcard entry named a sample address only wildcards cover (node 32123 of
// the net; net and node 32123 in the zone).
struct Probe {
    FtnAddress address;
    bool sample = false;
};
std::vector<Probe> probesOf(const RoutingState& state, const TableModel& file);

struct Difference {
    FtnAddress address;
    RoutingAnswer routing;
    Delivery delivery;
};
std::vector<Difference> differences(const RoutingState& state, const ReaderModel& model,
                                    const TableModel& file);

// One warning per cause: the differences with the same deciding line, the
// same answer of the program and the same answer of the routing; at most
// `shown` addresses are named, then the count.
struct DifferenceGroup {
    std::size_t line = 0;  // the deciding line; 0: none
    bool refused = false;  // the program refuses the whole configuration there
    std::string addresses; // "2:461/5, 2:461/6 and 4 more (6 addresses)"
    std::string routing;   // what the routing does: "sends it via ...", "leaves it ..."
    std::string reading;   // what the program does: "Squish sends it via ..."
};
std::vector<DifferenceGroup> groupDifferences(const std::vector<Difference>& found,
                                              const ReaderModel& model, std::size_t shown = 3);

// "via 2:460/1, crash, archived" and the like, as the warnings say them.
std::string routingText(const ReaderModel& model, const RoutingAnswer& routing);
std::string deliveryText(const ReaderModel& model, const Delivery& delivery, FtnAddress address);

// Links whose letters the table cannot say, with how many of the compared
// addresses (samples left out) the routing sends via each.
struct UnsaidLetters {
    std::size_t link = 0; // index into the link table
    std::uint16_t letters = 0;
    std::size_t addresses = 0;
};
std::vector<UnsaidLetters> unsaidLetters(const RoutingState& state, const ReaderModel& model,
                                         const TableModel& file);
