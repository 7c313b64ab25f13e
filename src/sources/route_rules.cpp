// Route lines: the DefaultRoute keyword and the lines of route files.
#include <memory>
#include <string>
#include <vector>

#include "driver/keywords.hpp"
#include "model/tables.hpp"
#include "platform/platform.hpp"
#include "sources/applied_file.hpp"
#include "sources/sources.hpp"

namespace {

bool atLineEnd(std::string_view text, std::size_t cursor) {
    return cursor >= text.size() || text[cursor] == ';' || text[cursor] == '\n';
}

} // namespace

bool readRouteLine(RoutingState& state, std::string_view text) {
    std::size_t cursor = 0;
    skipBlanks(text, cursor);
    if (atLineEnd(text, cursor)) {
        return true;
    }
    state.abbrevContext = state.mainAddress();
    bool arrow = false;
    if (text[cursor] == '>') {
        arrow = true;
        ++cursor;
        skipBlanks(text, cursor);
        if (atLineEnd(text, cursor)) {
            return true; // an arrow and nothing after it
        }
    }
    FtnAddress viaNode = parseAddress(state, text, cursor);
    if (arrow && isOwnAddress(state, viaNode)) {
        skipBlanks(text, cursor);
        if (atLineEnd(text, cursor)) {
            return true; // an own address and no node reached from it
        }
        viaNode = parseAddress(state, text, cursor);
        routeVia(state, findOrAddItem(state, state.mainAddress()), viaNode);
    }
    std::uint16_t via = findOrAddItem(state, viaNode);
    for (;;) {
        skipBlanks(text, cursor);
        if (atLineEnd(text, cursor)) {
            return true;
        }
        routeVia(state, via, parseAddress(state, text, cursor));
    }
}

bool defaultRouteKeyword(RoutingState& state, std::string_view rest, KeywordTarget) {
    return readRouteLine(state, rest);
}

// Reads a file named by the first word of `rest` line by line, announcing it.
bool readSourceFile(RoutingState& state, std::string_view rest,
                    bool (*applyLine)(RoutingState&, std::string_view)) {
    std::string name;
    copyFileName(rest, name);
    std::unique_ptr<TextReader> file = TextReader::open(name);
    if (!file) {
        printTaggedError(state, ErrOpenFile);
        return false;
    }
    say(state, "\nScanning route file " + name + "...");
    // A small file is read whole first: the same lines applied to a table
    // they left unchanged before are left out (a file named many times).
    if (!state.appliedSourceFiles) {
        state.appliedSourceFiles = std::make_unique<std::vector<AppliedSourceFile>>();
    }
    std::vector<AppliedSourceFile>& applied = *state.appliedSourceFiles;
    auto sameTable = [&](const AppliedSourceFile& entry) {
        return entry.applyLine == applyLine && entry.changes == state.itemChanges &&
               entry.links == state.links.size() && entry.akas == state.akas.size() &&
               entry.contextBefore == state.abbrevContext;
    };
    const TextReader::Identity identity = file->identity();
    for (const AppliedSourceFile& entry : applied) {
        if (sameTable(entry) && entry.file == identity && !(identity == TextReader::Identity{})) {
            state.abbrevContext = entry.contextAfter;
            return true;
        }
    }
    std::string text;
    std::vector<std::size_t> lineEnds;
    std::string line;
    bool whole = true;
    while (whole && file->readLine(line, 29999)) {
        text += line;
        lineEnds.push_back(text.size());
        whole = text.size() + lineEnds.size() * sizeof(std::size_t) <= AppliedFileLimit;
    }
    if (whole && !file->failed()) {
        for (AppliedSourceFile& entry : applied) {
            if (sameTable(entry) && entry.text == text && entry.lineEnds == lineEnds) {
                entry.file = identity;
                state.abbrevContext = entry.contextAfter;
                return true;
            }
        }
    }
    const std::uint64_t changesBefore = state.itemChanges;
    const FtnAddress contextBefore = state.abbrevContext;
    std::size_t start = 0;
    for (std::size_t end : lineEnds) {
        applyLine(state, std::string_view(text).substr(start, end - start));
        start = end;
    }
    while (!whole && file->readLine(line, 29999)) {
        applyLine(state, line);
    }
    if (file->failed()) {
        printTaggedError(state, ErrOpenFile);
        return false;
    }
    if (whole && state.itemChanges == changesBefore) {
        // A handful at most: the oldest gives way.
        if (applied.size() >= 8) {
            applied.erase(applied.begin());
        }
        applied.push_back(AppliedSourceFile{applyLine, identity, std::move(text),
                                            std::move(lineEnds), changesBefore, state.links.size(),
                                            state.akas.size(), contextBefore, state.abbrevContext});
    }
    return true;
}

bool routeFileKeyword(RoutingState& state, std::string_view rest, KeywordTarget) {
    return readSourceFile(state, rest, readRouteLine);
}
