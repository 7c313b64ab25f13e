// A nodelist read once per run and held as the few facts the scanner needs
// of each line, so that every Spokeway line naming it scans only its own net.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.hpp"

enum class NodelistLineKind : std::uint8_t { Comment, Zone, Host, Region, Hub, Node, Other };

struct NodelistLine {
    NodelistLineKind kind = NodelistLineKind::Other;
    std::uint16_t number = 0; // read at the offset the kind gives
};

struct NodelistIndex {
    // The file it was read from, to tell a changed file.
    TextReader::Identity file;

    std::vector<NodelistLine> lines;
    // The lines read in pieces: each entry is a piece the next one continues,
    // so that a piece's line number in the file can be told.
    std::vector<std::uint32_t> continued;
    // Host lines of each net, in file order.
    std::map<std::uint16_t, std::vector<std::uint32_t>> hostsOfNet;
    // Per line: 1 + the index of the last Zone line before it (0: none).
    std::vector<std::uint32_t> lastZoneLine;
    // Per line: the next line that ends a net in zone mode (Zone, Host or
    // Region) and in segment mode (Host or Region); lines.size() if none.
    std::vector<std::uint32_t> nextZoneModeEnd;
    std::vector<std::uint32_t> nextSegmentModeEnd;
};

struct NodelistCache {
    std::map<std::string, std::shared_ptr<const NodelistIndex>> byPath;
};
