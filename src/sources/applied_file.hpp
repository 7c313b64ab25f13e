// A route or trust file whose lines, applied to the table, changed nothing:
// applied again to the same table they change nothing again, so they are left
// out. Kept for files of up to AppliedFileLimit bytes. The same file (same
// device, inode, size and modification time) is taken to hold the same lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "address/address.hpp"
#include "platform/platform.hpp"

struct RoutingState;

constexpr std::size_t AppliedFileLimit = std::size_t{1} << 22;

struct AppliedSourceFile {
    bool (*applyLine)(RoutingState&, std::string_view) = nullptr;
    // The file the lines were read from, to tell it again without reading it.
    TextReader::Identity file;
    // The lines one after the other, and where each ends.
    std::string text;
    std::vector<std::size_t> lineEnds;
    // The table's change count, the tables' sizes and the address context
    // before and after.
    std::uint64_t changes = 0;
    std::size_t links = 0;
    std::size_t akas = 0;
    FtnAddress contextBefore;
    FtnAddress contextAfter;
};
