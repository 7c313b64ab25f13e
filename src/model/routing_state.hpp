// The routing tables (own addresses, links, routed items) and the settings.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "address/address.hpp"
#include "model/key_map.hpp"
#include "model/provenance.hpp"

// Item index values with a meaning of their own.
constexpr std::uint16_t NoVia = 65535; // no via; also "nothing found"
constexpr std::uint16_t Covered = 65534;

// Table limits: item indexes stay 16-bit with two values reserved.
constexpr std::size_t MaxItems = 65534;
constexpr std::size_t MaxLinks = 65535;
constexpr std::size_t MaxAkas = 65535;

// Flavour bits of a link, as the letters d, c, h, n, f, a give them.
enum FlavourBits : std::uint16_t {
    FlavourDirect = 0x01,
    FlavourCrash = 0x02,
    FlavourHold = 0x04,
    FlavourNormal = 0x10,
    FlavourFile = 0x20,
    FlavourNoArc = 0x40,
};

struct RouteItem {
    std::uint16_t via = NoVia;
    std::uint16_t viaTarget = 0;
    FtnAddress address;
};

struct LinkEntry {
    std::uint16_t flavour = 0;
    FtnAddress address;
};

// A key that holds a whole address, for hashing.
inline std::uint64_t addressKey(FtnAddress address) {
    return (std::uint64_t{address.zone} << 32) | (std::uint64_t{address.net} << 16) | address.node;
}

// Lookup indexes over the tables. Entries appended to a table since the last
// lookup are indexed on demand; an index whose table was rewritten in place
// is dropped and built again.
struct TableIndexes {
    KeyMap<std::uint16_t> itemByAddress; // first in table order
    std::size_t itemsIndexed = 0;
    KeyMap<std::uint8_t> linkAddresses;
    std::size_t linksIndexed = 0;
    KeyMap<std::uint8_t> ownAddresses;
    std::size_t akasIndexed = 0;
};

// The items routed via each item, in table order, for the walks over a final
// table: children of item p are walkChildren[walkStart[p] .. walkStart[p+1]).
struct WalkIndex {
    bool built = false;
    std::vector<std::uint32_t> walkStart;
    std::vector<std::uint16_t> walkChildren;
    std::vector<std::uint16_t> roots; // items without via
    // Per item: whether a walk visits it (links and own addresses are passed
    // over with all that is routed via them).
    std::vector<std::uint8_t> walked;
    // Per item: bit k set when an item a walk below it may write has k
    // wildcards (all bits where the items below run in a circle).
    std::vector<std::uint8_t> wildcardsBelow;
    // The same child lists, each cut to the children a walk of the pass with
    // k wildcards may write something at or below.
    std::array<std::vector<std::uint32_t>, 4> passStart;
    std::array<std::vector<std::uint16_t>, 4> passChildren;
};

// Thrown when a table would grow past its limit; the run ends with
// "Cannot allocate memory." and exit code 2.
struct TableFull {};

// Whether the table is minimised; not given means yes, with a message.
enum class MinimizeMode : std::uint8_t { No, Yes, NotGiven };

// What the configuration sets besides the tables.
struct Settings {
    // The row of the route-type table plus one; 0 while none was given.
    std::uint16_t routeType = 0;
    MinimizeMode minimize = MinimizeMode::NotGiven;
    std::uint16_t defaultFlavour = FlavourHold;
    std::string logFilePath;
    std::string routeBeginText;
    std::string routeEndText;
};

// The routing tables of a run and the settings that shape them.
struct RoutingState {
    std::vector<FtnAddress> akas;
    std::vector<LinkEntry> links;
    std::vector<RouteItem> items;
    // Built on demand by lookups and walks.
    mutable TableIndexes indexes;
    mutable WalkIndex walkIndex;
    // Counts the changes made to the item table through tables.hpp, so that
    // a source applied again to a table it left unchanged can be left out.
    std::uint64_t itemChanges = 0;

    Settings settings;
    // Where each route came from; rules set its current origin before they route.
    Provenance provenance;

    FtnAddress mainAddress() const { return akas.empty() ? FtnAddress{} : akas[0]; }
};
