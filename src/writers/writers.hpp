// The output frame shared by all writers, the twelve writers and the report
// of unrouted nodes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/routing_state.hpp"
#include "model/walks.hpp"

extern const FlavourWords RouteFlavourWords;       // "Crash ", "Direct", "Hold  ", "Normal"
extern const FlavourWords ShortFlavourWords;       // "Crash", "Dir  ", "Hold ", "     "
extern const FlavourWords AbbrevFlavourWords;      // "Crash", "Dir  ", "Hold ", "Norm "
extern const FlavourWords LowerFlavourWords;       // "crash ", "direct", "hold  ", "normal"
extern const std::array<const char*, 4> PassNames; // "Nodes", "Nets", "Zones", "Default"

// The three header lines with the writer's comment character and name.
void writeHeader(RoutingState& state, char commentChar, const char* displayName);
// The comment line that opens a wildcard pass: c " *** " name.
void writePassComment(RoutingState& state, char commentChar);
// Sets all six style words at once.
void setAddressStyle(RoutingState& state, std::uint16_t starWildcards, std::uint16_t pointSuffix,
                     std::uint16_t relativeToMain, std::uint16_t fullAddresses,
                     std::uint16_t flatWalk, std::uint16_t slashBeforeNode);
// Fills the prefix buffer, copies it into the line buffer.
void startLine(RoutingState& state, const std::string& prefix);
// Writes the line buffer if it holds more than the prefix.
void finishLine(RoutingState& state);
// The lines of one link: `words`, the link's full address (which becomes the
// context) and `separator` make the prefix; on the first line the link's own
// mask follows when `ownMask` (not checked against the width), then all that
// is routed via the link, broken at wrapWidth. No line without an address.
void writeLinkLines(RoutingState& state, const std::string& words, const LinkEntry& link,
                    const char* separator, bool ownMask,
                    AddressFormatter formatter = formatAddress);

void writeSquish(RoutingState& state);
void writeItrack(RoutingState& state);
void writeTmail(RoutingState& state);
void writeBpack(RoutingState& state);
void writeImbink(RoutingState& state);
void writeXmail(RoutingState& state);
void writeIfmail(RoutingState& state);
void writeBip(RoutingState& state);
void writeUnimail(RoutingState& state);
void writeQecho(RoutingState& state);
void writeFidogate(RoutingState& state);
void writeFtrack(RoutingState& state);

std::size_t qechoAddress(RoutingState& state, FtnAddress address, std::string& line, int form);
std::size_t ftrackMask(RoutingState& state, FtnAddress address, std::string& line, int form);
void fidogateSendLines(RoutingState& state);
void fidogateRoutePrefix(RoutingState& state, const LinkEntry& link);

// The Internet domain under which the gateway names FTN hosts.
extern const char* const GatewayDomain;

// Runs the writer of routeTypeCode (none for a code outside 1 to 12).
void writeRouting(RoutingState& state);

void writeUnrouted(RoutingState& state);
