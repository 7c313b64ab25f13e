// Reads the configuration file in six passes, each keyword in its own pass.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>

#include "address/address.hpp"
#include "driver/table_output.hpp"
#include "messages/messages.hpp"
#include "model/routing_state.hpp"
#include "platform/disk.hpp"
#include "sources/nodelist.hpp"
#include "sources/sources.hpp"

// Each keyword is handled in a pass of its own, so that the order of the
// lines does not matter: the log file; the own addresses and settings; the
// links and the destination (routes must know the links, and the
// destination's head is copied before any route source is read); route files
// and nodelists; trust files, which route via the links they name; the
// default routes last, after which the table is adjusted.
enum class Pass : int { Log, Settings, LinksAndDestination, Routes, Trust, Defaults };
constexpr int PassCount = 6;

// What the keyword handlers work on while the configuration is read.
struct ConfigContext {
    RoutingState& state;
    Console& console;
    Disk& disk;
    TableOutput& output;
    NodelistReader& nodelists;
    RouteFileReader& routeFiles;
    std::string path;
    // The physical line being handled.
    unsigned long line = 0;
    // Addresses on configuration lines abbreviate against the one before.
    AddressNotation notation;
    // A WriteTo line was handled (whatever its result).
    bool writeToSeen = false;
    // --check: a failed pass does not stop the reading, so that every
    // problem is found.
    bool keepGoing = false;
    // The destination or the log is also another file of the run: nothing
    // may be written, the log included.
    bool fileInTwoRoles = false;
    // The lines of RouteBegin and RouteEnd, and of each link with its flavour.
    unsigned long routeBeginLine = 0;
    unsigned long routeEndLine = 0;
    unsigned long logFileLine = 0;
    std::map<FtnAddress, std::pair<unsigned long, std::uint16_t>> linkLines{};

    // Prints a message tagged with the configuration file and line.
    void errorAt(Message message) { console.errorAt(message, path, line); }
    // The same, and the error with what is at fault for --check.
    void failAt(Message message, std::string_view detail) {
        errorAt(message);
        diagnostics().fail(detail);
    }
    Diagnostics& diagnostics() { return console.diagnostics(); }
    // Makes the line being handled the origin of the routes and links it sets.
    void markOrigin() {
        state.provenance.setCurrent(
            Origin{state.provenance.fileNumber(path), static_cast<std::uint32_t>(line)});
    }
};

// The setting a keyword row hands to its handler: a text or a word, or none.
struct KeywordTarget {
    std::string Settings::*text = nullptr;
    std::uint16_t Settings::*word = nullptr;
};

using KeywordHandler = bool (*)(ConfigContext& context, std::string_view rest,
                                KeywordTarget target);

// The role a file named by a keyword plays in the run: read, or written
// (the destination and the log). One file may be read in two roles, but a
// file written may play no other role.
enum class FileRole { None, Read, Written };

struct KeywordEntry {
    const char* name;
    KeywordTarget target;
    Pass pass;
    KeywordHandler handler;
    FileRole role;
};

extern const std::span<const KeywordEntry> KeywordTable;

// Reads the whole configuration, running the handlers pass by pass and the
// adjustment at the end; false (with the message printed) when it failed.
bool readConfig(ConfigContext& context);
// The checks and work that close a pass; false when the run must stop.
bool endOfPass(ConfigContext& context, Pass pass);

// Copies the first word of text (up to white space or the end).
void copyFileName(std::string_view text, std::string& target);
// Adds the flavour bits of the letters d, c, h, n, f, a up to a line feed or
// ";"; adds normal when none of direct, crash and hold was given.
void readFlavourLetters(std::string_view text, std::uint16_t& flavour);

// The handlers of the keyword rows.
bool addressKeyword(ConfigContext& context, std::string_view rest, KeywordTarget target);
bool routeTypeKeyword(ConfigContext& context, std::string_view rest, KeywordTarget target);
bool minimizeKeyword(ConfigContext& context, std::string_view rest, KeywordTarget target);
bool fileNameKeyword(ConfigContext& context, std::string_view rest, KeywordTarget target);
bool logFileKeyword(ConfigContext& context, std::string_view rest, KeywordTarget target);
bool defaultFlavorKeyword(ConfigContext& context, std::string_view rest, KeywordTarget target);
bool linkKeyword(ConfigContext& context, std::string_view rest, KeywordTarget target);
bool quotedTextKeyword(ConfigContext& context, std::string_view rest, KeywordTarget target);
bool writeToKeyword(ConfigContext& context, std::string_view rest, KeywordTarget target);
bool defaultRouteKeyword(ConfigContext& context, std::string_view rest, KeywordTarget target);
bool routeFileKeyword(ConfigContext& context, std::string_view rest, KeywordTarget target);
bool trustFileKeyword(ConfigContext& context, std::string_view rest, KeywordTarget target);
bool spokewayKeyword(ConfigContext& context, std::string_view rest, KeywordTarget target);
