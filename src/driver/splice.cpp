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

// The last two characters of a text (all of it when shorter).
std::string lastTwo(std::string_view text) {
    return std::string(text.substr(text.size() < 2 ? 0 : text.size() - 2));
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
    state.directoryLock.reset();
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
    // A destination that is a link is rewritten where the link leads, in
    // that file's folder; the link stays a link.
    state.replacedPath = resolvedPath(destPath);
    PathParts parts = splitPath(state.replacedPath);
    // Another run writing into the same folder waits until this one is done,
    // and then reads what this one wrote.
    state.directoryLock = DirectoryLock::acquire(parts.dir);
    state.destFile = TextReader::open(state.replacedPath);
    if (!state.destFile) {
        printError(state, ErrOpenDest);
        closeFiles(state);
        return false;
    }
    // A destination of the temporary file's name would itself be emptied
    // for the temporary file, and lost if the run stopped.
    const bool destinationIsTemp = parts.name == "PG$TABLE" && parts.ext == ".$$$";
    parts.name = "PG$TABLE";
    parts.ext = "$$$";
    state.tempPath = makePath(parts);
    if (!destinationIsTemp) {
        state.outputFile = OutputFile::create(state.tempPath);
    }
    if (!state.outputFile) {
        printError(state, ErrOpenTemp);
        closeFiles(state);
        return false;
    }
    state.output = &state.outputFile->stream();

    // A line longer than a read comes in pieces, each tested against the
    // markers like a line; the pieces after one that matches belong to the
    // marker line: copied with the begin marker, dropped with the old end marker.
    bool beginFound = false;
    bool lineStart = true;
    std::string line;
    while (state.destFile->readLine(line)) {
        lineStart = line.back() == '\n';
        if (!beginFound) {
            writeRaw(state, line);
            if (!matchesMarker(line, state.routeBeginText)) {
                continue;
            }
            beginFound = true;
            const bool alsoEnd = matchesMarker(line, state.routeEndText);
            std::string ending = lastTwo(line);
            while (!lineStart && state.destFile->readLine(line)) {
                writeRaw(state, line);
                lineStart = line.back() == '\n';
                ending = lastTwo(ending + line);
            }
            if (!lineStart) {
                // The begin line was the last, without a line feed: the
                // table must not run on from it.
                writeRaw(state, "\n");
                lineStart = true;
            }
            state.crlfOutput = endsWithCrLf(ending);
            if (alsoEnd) {
                return true;
            }
            continue;
        }
        if (matchesMarker(line, state.routeEndText)) {
            // The old end marker line goes whole; it is written anew.
            while (!lineStart && state.destFile->readLine(line)) {
                lineStart = line.back() == '\n';
            }
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
        state.directoryLock.reset();
        return false;
    }
    if (!readOk || !replaceFile(state.tempPath, state.replacedPath)) {
        printError(state, ErrReplaceDest);
        removeFile(state.tempPath);
        state.directoryLock.reset();
        return false;
    }
    state.directoryLock.reset();
    return true;
}
