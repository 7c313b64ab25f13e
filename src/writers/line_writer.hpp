// What a writer writes with: the tables it reads, the address notation, the
// line being built and its prefix, the wrapping width, and the stream the
// lines go to.
#pragma once

#include <ctime>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "address/address.hpp"
#include "model/routing_state.hpp"

struct LineWriter {
    // Lines go to `out`, each "\n" as "\r\n" when `crlf`.
    LineWriter(const RoutingState& tables, std::ostream& out, bool crlf, std::time_t runTime);

    const RoutingState& tables;
    std::ostream& out;
    bool crlf;
    // The time shown in the header.
    std::time_t runTime;

    AddressNotation notation;
    std::string line;
    std::string prefix;
    // A line is written once it reaches this length.
    std::int32_t wrapWidth = 64;
    // The comment character of the unrouted report.
    char reportCommentChar = ';';
    // When set (zone not 0), every line the walk breaks ends with it.
    FtnAddress continuationAddress;
    // Masks written for the present link (Ftrack).
    std::int32_t maskCount = 0;
    // When set, the lines that carry markAddress are copied there too (to
    // show where an address stands in the table).
    std::vector<std::string>* markedLines = nullptr;
    FtnAddress markAddress;
    bool markPending = false;
};

// Writes text ("\n" becomes "\r\n" when the destination's lines end that way).
void writeText(LineWriter& w, std::string_view text);
// Writes the line and a line feed.
void writeLineBuffer(LineWriter& w);
// Notes that `address` was just put into the line being built (when
// `written`): the line is copied to the marked lines when it is written.
inline void noteAddress(LineWriter& w, FtnAddress address, bool written) {
    if (w.markedLines != nullptr && written && address == w.markAddress) {
        w.markPending = true;
    }
}
// Copies a line being written to the marked lines when it carries the marked address.
void noteLine(LineWriter& w, std::string_view line);
// Starts the line again from the prefix.
void restartLine(LineWriter& w);
