// Reads the configuration file in six passes, each keyword in its own pass.
#include <cstddef>

#include "driver/keywords.hpp"
#include "model/adjust.hpp"
#include "model/minimize.hpp"
#include "platform/platform.hpp"
#include "sources/sources.hpp"

namespace {

constexpr int PassCount = 6;

bool sameWordNoCase(std::string_view word, std::string_view keyword) {
    if (word.size() != keyword.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (lowerCase(word[i]) != lowerCase(keyword[i])) {
            return false;
        }
    }
    return true;
}

// Handles one configuration line in the given pass; false if a handler failed.
bool handleLine(RoutingState& state, std::string_view line, int pass) {
    std::size_t cursor = 0;
    skipBlanks(line, cursor);
    if (cursor >= line.size() || line[cursor] == ';' || line[cursor] == '\n') {
        return true;
    }
    std::size_t end = cursor;
    while (end < line.size() && !isWhiteSpace(line[end])) {
        ++end;
    }
    std::string_view keyword = line.substr(cursor, end - cursor);
    bool ok = true;
    for (const KeywordEntry& row : KeywordTable) {
        if (row.pass != pass || !sameWordNoCase(keyword, row.name)) {
            continue;
        }
        std::size_t restStart = end;
        skipBlanks(line, restStart);
        if (!row.handler(state, line.substr(restStart), row.target)) {
            ok = false;
        }
    }
    return ok;
}

} // namespace

const KeywordEntry KeywordTable[13] = {
    {"Address", {}, 1, addressKeyword},
    {"Spokeway", {}, 3, spokewayKeyword},
    {"RouteFile", {}, 3, routeFileKeyword},
    {"TrustFile", {}, 4, trustFileKeyword},
    {"RouteType", {nullptr, &RoutingState::routeTypeCode}, 1, routeTypeKeyword},
    {"WriteTo", {&RoutingState::destPath, nullptr}, 2, spliceHead},
    {"Minimize", {}, 1, minimizeKeyword},
    {"LogFile", {&RoutingState::logFilePath, nullptr}, 0, fileNameKeyword},
    {"DefaultFlavor", {nullptr, &RoutingState::defaultFlavour}, 2, defaultFlavorKeyword},
    {"DefaultRoute", {}, 5, defaultRouteKeyword},
    {"Link", {}, 2, linkKeyword},
    {"RouteBegin", {&RoutingState::routeBeginText, nullptr}, 1, quotedTextKeyword},
    {"RouteEnd", {&RoutingState::routeEndText, nullptr}, 1, quotedTextKeyword},
};

bool readConfig(RoutingState& state) {
    std::unique_ptr<TextReader> file = TextReader::open(state.configPath);
    if (!file) {
        printError(state, ErrOpenConfig);
        return false;
    }
    say(state, "\nScanning config file...");
    std::string line;
    for (int pass = 0; pass < PassCount; ++pass) {
        bool passFailed = false;
        state.configLine = 0;
        while (file->readLine(line)) {
            ++state.configLine;
            if (!handleLine(state, line, pass)) {
                passFailed = true;
            }
        }
        if (file->failed()) {
            printError(state, ErrOpenConfig);
            return false;
        }
        if (passFailed || !endOfPass(state, pass)) {
            return false;
        }
        file->rewind();
    }
    return true;
}

bool endOfPass(RoutingState& state, int pass) {
    switch (pass) {
    case 1: {
        FtnAddress main = state.mainAddress();
        if (main.zone == 0 || main.net == 0) {
            printError(state, ErrMainAddress);
            return false;
        }
        if (state.routeTypeCode == 0) {
            printError(state, ErrMissingRouteType);
            return false;
        }
        if (state.minimizeMode == 2) {
            printError(state, ErrMissingMinimize);
        }
        return true;
    }
    case 2:
        if (!state.outputFile) {
            printError(state, ErrMissingWriteTo);
            return false;
        }
        return true;
    case 5:
        say(state, "\nAdjusting routing...");
        adjustRouting(state);
        minimizeRoutes(state);
        return true;
    default:
        return true;
    }
}
