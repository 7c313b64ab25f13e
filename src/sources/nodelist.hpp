// Nodelist hub routes: the nodes of one net routed via their hubs, as the
// hub structure of a nodelist gives it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "messages/messages.hpp"
#include "model/routing_state.hpp"
#include "platform/disk.hpp"
#include "sources/nodelist_index.hpp"

// Which net a scan routes, and how the nodelist is divided into nets.
struct NetScan {
    bool zoneMode = false; // Zone lines end a net too, and only the zone's hosts count
    std::uint16_t zone = 0;
    std::uint16_t net = 0;
};

// A Spokeway definition: the nodelist's path (or pattern), then the mode
// letter, zone and net, split at blanks and tabs.
struct NodelistDefinition {
    std::string pathWord;
    bool valid = false; // the mode, zone and net are there and make sense
    NetScan scan;
};
NodelistDefinition readNodelistDefinition(std::string_view text);

// A nodelist ready for scanning: the file opened, or, when it is the one
// read before and has not changed since, what was kept of it.
struct OpenNodelist {
    std::unique_ptr<TextReader> file;
    std::shared_ptr<const NodelistIndex> kept;
    explicit operator bool() const { return file || kept; }
};

// Reads nodelists, each one once per run however many nets are scanned in it.
class NodelistReader {
  public:
    explicit NodelistReader(Disk& disk) : disk_(disk) {}

    // Opens the nodelist the path word names: a wildcard pattern picks the
    // matching file with the greatest numeric extension. Empty when no file
    // qualifies or it cannot be opened; `path` is the file chosen.
    OpenNodelist open(std::string_view pathWord, std::string& path);
    // The file open would choose, without opening it; false when none.
    bool choose(std::string_view pathWord, std::string& path);
    // After open with a pattern: the newest matching file when it is newer
    // than the one chosen (by the dates their first lines state, by
    // modification time when one states none), else empty. Looked for only
    // when asked (each matching file is opened).
    void lookForNewer(bool on) { lookForNewer_ = on; }
    const std::string& newerFile() const { return newerFile_; }
    // Routes the nodes of the net via their hubs, turning the console's
    // spinner; false on a read error.
    bool scanNet(RoutingState& state, Console& console, OpenNodelist& nodelist,
                 const std::string& path, const NetScan& scan);

  private:
    Disk& disk_;
    NodelistCache cache_;
    std::string newerFile_;
    bool lookForNewer_ = true;
};
