// Splices the routing table into the destination file between its markers,
// through a temporary file in the destination's directory.
#include "driver/keywords.hpp"
#include "model/walks.hpp"
#include "platform/platform.hpp"

namespace {

bool matchesMarker(std::string_view line, std::string_view marker) {
    return line.substr(0, marker.size()) == marker;
}

bool endsWithCrLf(std::string_view line) {
    return line.size() >= 2 && line.substr(line.size() - 2) == "\r\n";
}

void writeRaw(RoutingState& state, std::string_view text) {
    state.output->write(text.data(), static_cast<std::streamsize>(text.size()));
}

void closeFiles(RoutingState& state) {
    state.destFile.reset();
    if (state.outputFile) {
        state.outputFile->close();
        state.outputFile.reset();
    }
    state.output = nullptr;
}

} // namespace

bool spliceHead(RoutingState& state, std::string_view rest, KeywordTarget target) {
    // One WriteTo line only, even when the first one failed.
    if (state.writeToSeen) {
        printTaggedError(state, ErrRepeatedWriteTo);
        return false;
    }
    state.writeToSeen = true;
    std::string& destPath = state.*target.text;
    copyFileName(rest, destPath);
    state.destFile = TextReader::open(destPath);
    if (!state.destFile) {
        printError(state, ErrOpenDest);
        return false;
    }
    PathParts parts = splitPath(destPath);
    parts.name = "PG$TABLE";
    parts.ext = "$$$";
    state.tempPath = makePath(parts);
    state.outputFile = OutputFile::create(state.tempPath);
    if (!state.outputFile) {
        printError(state, ErrOpenTemp);
        return false;
    }
    state.output = &state.outputFile->stream();

    bool beginFound = false;
    std::string line;
    while (state.destFile->readLine(line)) {
        if (!beginFound) {
            writeRaw(state, line);
            if (matchesMarker(line, state.routeBeginText)) {
                beginFound = true;
                state.crlfOutput = endsWithCrLf(line);
                if (line.back() != '\n') {
                    // A last line without line feed: the table must not run on from it.
                    writeRaw(state, "\n");
                }
            }
        }
        if (beginFound && matchesMarker(line, state.routeEndText)) {
            return true;
        }
    }
    if (state.destFile->failed()) {
        printError(state, ErrOpenDest);
    } else {
        printError(state, beginFound ? ErrMissingRouteEnd : ErrMissingRouteBegin);
    }
    closeFiles(state);
    removeFile(state.tempPath);
    return false;
}

bool spliceTail(RoutingState& state) {
    writeText(state, state.routeEndText + "\n");
    std::string line;
    while (state.destFile->readLine(line)) {
        writeRaw(state, line);
    }
    bool readOk = !state.destFile->failed();
    state.destFile.reset();
    bool written = state.outputFile->close();
    state.outputFile.reset();
    state.output = nullptr;
    if (!written) {
        printError(state, ErrWriteTemp);
        removeFile(state.tempPath);
        return false;
    }
    if (!readOk || !replaceFile(state.tempPath, state.destPath)) {
        printError(state, ErrReplaceDest);
        removeFile(state.tempPath);
        return false;
    }
    return true;
}
