// The output frame shared by all writers: header, pass comments, lines of a
// link; and the report of unrouted nodes that follows every table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/routing_state.hpp"
#include "writers/walks.hpp"

extern const FlavourWords RouteFlavourWords;       // "Crash ", "Direct", "Hold  ", "Normal"
extern const FlavourWords ShortFlavourWords;       // "Crash", "Dir  ", "Hold ", "     "
extern const FlavourWords AbbrevFlavourWords;      // "Crash", "Dir  ", "Hold ", "Norm "
extern const FlavourWords LowerFlavourWords;       // "crash ", "direct", "hold  ", "normal"
extern const std::array<const char*, 4> PassNames; // "Nodes", "Nets", "Zones", "Default"

// The three header lines with the writer's comment character and name.
void writeHeader(LineWriter& w, char commentChar, const char* displayName);
// The comment line that opens a wildcard pass: c " *** " name.
void writePassComment(LineWriter& w, char commentChar);
// Fills the prefix buffer, copies it into the line buffer.
void startLine(LineWriter& w, const std::string& prefix);
// Writes the line buffer if it holds more than the prefix.
void finishLine(LineWriter& w);
// The lines of one link: `words`, the link's full address (which becomes the
// context) and `separator` make the prefix; on the first line the link's own
// mask follows when `ownMask` (not checked against the width), then all that
// is routed via the link, broken at wrapWidth. No line without an address.
void writeLinkLines(LineWriter& w, const std::string& words, const LinkEntry& link,
                    const char* separator, bool ownMask,
                    AddressFormatter formatter = notationAddress);

void writeUnrouted(LineWriter& w);
