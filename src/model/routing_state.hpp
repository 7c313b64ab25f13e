// The one record that holds the whole state of a run.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "address/address.hpp"

class TextReader;
class OutputFile;
class DirectoryLock;
struct NodelistCache;
struct AppliedSourceFile;

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
    std::unordered_map<std::uint64_t, std::uint16_t> itemByAddress; // first in table order
    std::size_t itemsIndexed = 0;
    std::unordered_set<std::uint64_t> linkAddresses;
    std::size_t linksIndexed = 0;
    std::unordered_set<std::uint64_t> ownAddresses;
    std::size_t akasIndexed = 0;
};

// The items routed via each item, in table order, for the walks over a final
// table: children of item p are walkChildren[walkStart[p] .. walkStart[p+1]).
struct WalkIndex {
    bool built = false;
    std::vector<std::uint32_t> walkStart;
    std::vector<std::uint16_t> walkChildren;
    std::vector<std::uint16_t> roots; // items without via
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

struct RoutingState {
    RoutingState();
    ~RoutingState();
    RoutingState(const RoutingState&) = delete;
    RoutingState& operator=(const RoutingState&) = delete;

    // Console (standard error) and the region of the destination being written.
    std::ostream* console = nullptr;
    std::ostream* output = nullptr;
    // Lines written into the destination end with CR LF (the begin marker did).
    bool crlfOutput = false;

    // Shared text buffers of the writers and walks.
    std::string lineBuffer;
    std::string prefixBuffer;

    // Routing tables.
    std::vector<FtnAddress> akas;
    std::vector<LinkEntry> links;
    std::vector<RouteItem> items;
    mutable TableIndexes indexes;
    // Counts the changes made to the item table through tables.hpp, so that
    // a source applied again to a table it left unchanged can be left out.
    std::uint64_t itemChanges = 0;
    WalkIndex walkIndex;

    // Settings.
    std::uint16_t routeTypeCode = 0;
    std::uint16_t tmailnFlag = 0;
    std::uint16_t minimizeMode = 2; // 0 no, 1 yes, 2 not given
    std::uint16_t defaultFlavour = FlavourHold;
    std::string logFilePath;
    std::string routeBeginText;
    std::string routeEndText;

    // Configuration reading.
    std::string configPath;
    unsigned long configLine = 0;

    // Destination splicing; a WriteTo line was handled (whatever its result).
    bool writeToSeen = false;
    std::string destPath;
    std::string tempPath;
    std::string destTarget; // the file destPath names, links followed
    std::unique_ptr<TextReader> destFile;
    std::unique_ptr<OutputFile> outputFile;
    std::unique_ptr<DirectoryLock> directoryLock;

    // The time writing began; tests may fix it.
    std::time_t runTime = 0;
    std::optional<std::time_t> fixedRunTime;

    // Address notation.
    FtnAddress abbrevContext;
    AddressStyle addressStyle;
    std::uint16_t wildcardPass = 0;

    // Output frame.
    std::int32_t wrapWidth = 64;
    char reportCommentChar = ';';
    FtnAddress continuationAddress;
    std::int32_t maskCount = 0;

    // Nodelist scanning.
    std::string nodelistDrive;
    std::string nodelistDir;
    std::string nodelistName;
    std::string nodelistExt;
    std::uint16_t spinnerPosition = 0;
    std::unique_ptr<NodelistCache> nodelistCache;
    // Route and trust files applied without changing the table.
    std::unique_ptr<std::vector<AppliedSourceFile>> appliedSourceFiles;

    FtnAddress mainAddress() const { return akas.empty() ? FtnAddress{} : akas[0]; }
};

// Writes a console message as it stands.
void say(RoutingState& state, std::string_view text);
