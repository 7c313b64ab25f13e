// Route sources: route lines and route files, trust files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "messages/messages.hpp"
#include "model/routing_state.hpp"
#include "platform/disk.hpp"

// Drops a UTF-8 byte-order mark from the start of a file's first line: editors
// add it unseen, and read as text it would spoil the first keyword or address.
inline void skipByteOrderMark(std::string& firstLine) {
    if (firstLine.starts_with("\xEF\xBB\xBF")) {
        firstLine.erase(0, 3);
    }
}
inline void skipByteOrderMark(std::string_view& firstLine) {
    if (firstLine.starts_with("\xEF\xBB\xBF")) {
        firstLine.remove_prefix(3);
    }
}

// Applies one route line (a DefaultRoute argument or a route file line).
void readRouteLine(RoutingState& state, Console& console, std::string_view text);
// Applies one line of a trust file.
void readTrustLine(RoutingState& state, Console& console, std::string_view text);

// Reads an address as parseAddress does, and warns (at the console's
// diagnostics place) when the text read is not wholly an address.
FtnAddress readCheckedAddress(AddressNotation& notation, Console& console, std::string_view text,
                              std::size_t& cursor);

using LineRule = void (*)(RoutingState&, Console&, std::string_view);

// A route or trust file whose lines, applied to the table, changed nothing:
// applied again to the same table they change nothing again, so they are left
// out. Kept for files of up to AppliedFileLimit bytes. The same file (same
// device, inode, size and modification time) is taken to hold the same lines.
constexpr std::size_t AppliedFileLimit = std::size_t{1} << 22;

struct AppliedSourceFile {
    LineRule applyLine = nullptr;
    // The file the lines were read from, to tell it again without reading it.
    ByteSource::Identity file;
    // The lines one after the other, and where each ends.
    std::string text;
    std::vector<std::size_t> lineEnds;
    // The table's change count and the tables' sizes before.
    std::uint64_t changes = 0;
    std::size_t links = 0;
    std::size_t akas = 0;
};

// Reads route files and trust files, announcing each as a route file, and
// applies each line; false when a file cannot be opened or read.
class RouteFileReader {
  public:
    explicit RouteFileReader(Disk& disk);
    bool readRouteFile(RoutingState& state, Console& console, const std::string& name);
    bool readTrustFile(RoutingState& state, Console& console, const std::string& name);

  private:
    bool read(RoutingState& state, Console& console, const std::string& name, LineRule applyLine);

    Disk& disk_;
    std::vector<AppliedSourceFile> applied_;
};
