// A nodelist read once per run and held as the few facts the scanner needs
// of its Host, Hub and node lines, so that every Spokeway line naming it
// scans only its own net. Other lines (comments, empty lines, Zone and
// Region lines) are only counted: the memory is in proportion to the lines
// that route something, not to the size of the file.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/platform.hpp"

enum class NodelistLineKind : std::uint8_t { Host, Hub, Node };

struct NodelistLine {
    std::uint32_t line = 0; // 0-based number of the line in the file
    NodelistLineKind kind = NodelistLineKind::Node;
    std::uint16_t number = 0; // read at the offset the kind gives
};

// A Host line and where its net ends: at the next Zone, Host or Region line
// in zone mode, at the next Host or Region line in segment mode (as indexes
// into the lines kept).
struct NodelistNet {
    std::uint32_t host = 0;
    std::uint32_t zoneModeEnd = 0;
    std::uint32_t segmentModeEnd = 0;
};

struct NodelistIndex {
    // The file it was read from, to tell a changed file.
    TextReader::Identity file;

    // The CRC the first line states (";A ... : NNNNN") and the one the rest
    // of the file has, counted with CR LF line ends.
    bool statesCrc = false;
    std::uint16_t statedCrc = 0;
    std::uint16_t actualCrc = 0;

    std::uint64_t lineCount = 0;
    std::vector<NodelistLine> lines; // Host, Hub and node lines, in file order
    std::vector<NodelistNet> nets;   // in file order
    // The nets (indexes into nets, in file order) of each net number, and,
    // for zone mode, of each zone and net number (key zone << 16 | net; the
    // zone of the last Zone line before the Host line, none without one).
    std::unordered_map<std::uint16_t, std::vector<std::uint32_t>> netsByNumber;
    std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> netsByZoneAndNumber;
};

// A scan that changed nothing, so that the same scan from the same table
// can be left out: the table's change count before and after it.
struct ScanRecord {
    std::shared_ptr<const NodelistIndex> index;
    std::uint64_t changesBefore = 0;
    std::uint64_t changesAfter = 0;
};

// A nodelist pattern resolved in a folder, kept while the folder is unchanged.
struct ResolvedPattern {
    TextReader::Identity folder;
    bool found = false;
    std::string name;
    std::string ext;
    // A matching file newer than the one chosen, or empty.
    std::string newer;
};

struct NodelistCache {
    std::map<std::string, std::shared_ptr<const NodelistIndex>> byPath;
    // Key: path, zone mode, zone, net.
    std::map<std::tuple<std::string, bool, std::uint16_t, std::uint16_t>, ScanRecord> lastScans;
    // Key: folder, pattern.
    std::map<std::pair<std::string, std::string>, ResolvedPattern> patterns;
};
