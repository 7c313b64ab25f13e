// The configuration keywords: table rows, handlers and numbered messages.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/routing_state.hpp"

// The member a keyword row hands to its handler: a text or a word, or none.
struct KeywordTarget {
    std::string RoutingState::*text = nullptr;
    std::uint16_t RoutingState::*word = nullptr;
};

using KeywordHandler = bool (*)(RoutingState& state, std::string_view rest, KeywordTarget target);

struct KeywordEntry {
    const char* name;
    KeywordTarget target;
    int pass;
    KeywordHandler handler;
};

// The program's numbered messages.
enum ConfigErrorNumber : int {
    ErrNoMemory = 0,
    ErrOpenConfig = 1,
    ErrOpenFile = 2,
    ErrOpenTemp = 3,
    ErrOpenDest = 4,
    ErrRouteType = 5,
    ErrMinimize = 6,
    ErrQuotedString = 7,
    ErrMainAddress = 8,
    ErrMissingRouteType = 9,
    ErrMissingMinimize = 10,
    ErrMissingRouteEnd = 11,
    ErrMissingRouteBegin = 12,
    ErrSpokeway = 13,
    ErrRoutedViaUs = 14,
    ErrRerouting = 15,
    ErrRouteLoop = 16,
    ErrMinimizeMemory = 17,
    ErrMissingWriteTo = 18,
    ErrRepeatedWriteTo = 19,
    ErrWriteTemp = 20,
    ErrReplaceDest = 21,
};
extern const char* const ConfigError[22];

// Prints message n as it stands.
void printError(RoutingState& state, int n);
// Prints message n after the tag "\n<config path> <line>: ".
void printTaggedError(RoutingState& state, int n);
// Fills the "%s" of messages 14 to 16 with a text.
void printErrorWith(RoutingState& state, int n, const std::string& text);

// Copies the first word of text (up to white space or the end).
void copyFileName(std::string_view text, std::string& target);
// Adds the flavour bits of the letters d, c, h, n, f, a up to a line feed or
// ";"; adds normal when none of direct, crash and hold was given.
void readFlavourLetters(std::string_view text, std::uint16_t& flavour);

bool addressKeyword(RoutingState& state, std::string_view rest, KeywordTarget target);
bool routeTypeKeyword(RoutingState& state, std::string_view rest, KeywordTarget target);
bool minimizeKeyword(RoutingState& state, std::string_view rest, KeywordTarget target);
bool fileNameKeyword(RoutingState& state, std::string_view rest, KeywordTarget target);
bool defaultFlavorKeyword(RoutingState& state, std::string_view rest, KeywordTarget target);
bool linkKeyword(RoutingState& state, std::string_view rest, KeywordTarget target);
bool quotedTextKeyword(RoutingState& state, std::string_view rest, KeywordTarget target);
// WriteTo: opens the destination and the temporary file, copies the head.
bool spliceHead(RoutingState& state, std::string_view rest, KeywordTarget target);
// Closes the destination and the temporary file (which stays as written) and
// lets go of the folder lock.
void closeDestination(RoutingState& state);
// Writes the end marker and the rest of the destination, then replaces it.
// Returns false (with message 20 or 21 printed) when it could not.
bool spliceTail(RoutingState& state);

extern const KeywordEntry KeywordTable[13];

bool readConfig(RoutingState& state);
bool endOfPass(RoutingState& state, int pass);
