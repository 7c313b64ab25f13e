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

} // namespace

void closeDestination(RoutingState& state) {
    state.destFile.reset();
    if (state.outputFile) {
        state.outputFile->close();
        state.outputFile.reset();
    }
    state.output = nullptr;
    state.directoryLock.reset();
}

bool spliceHead(RoutingState& state, std::string_view rest, KeywordTarget target) {
    // One WriteTo line only, even when the first one failed.
    if (state.writeToSeen) {
        printTaggedError(state, ErrRepeatedWriteTo);
        return false;
    }
    state.writeToSeen = true;
    std::string& destPath = state.*target.text;
    copyFileName(rest, destPath);
    // A destination reached through a symbolic link is rewritten where the
    // link points, so that the link stays a link.
    state.destTarget = finalTarget(destPath);
    PathParts parts = splitPath(state.destTarget);
    // Another run writing into the same folder waits until this one is done,
    // and then reads what this one wrote.
    state.directoryLock = DirectoryLock::acquire(parts.dir);
    state.destFile = TextReader::open(state.destTarget);
    if (!state.destFile) {
        printError(state, ErrOpenDest);
        closeDestination(state);
        return false;
    }
    parts.name = "PG$TABLE";
    parts.ext = "$$$";
    state.tempPath = makePath(parts);
    if (isSameFile(state.tempPath, state.destFile->identity())) {
        // The destination itself bears the temporary file's name.
        printError(state, ErrOpenTemp);
        closeDestination(state);
        return false;
    }
    state.outputFile = OutputFile::create(state.tempPath);
    if (!state.outputFile) {
        printError(state, ErrOpenTemp);
        closeDestination(state);
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
    closeDestination(state);
    removeFile(state.tempPath);
    return false;
}

bool spliceTail(RoutingState& state) {
    writeText(state, state.routeEndText + "\n");
    std::string line;
    while (state.destFile->readLine(line)) {
        writeRaw(state, line);
    }
    const bool readOk = !state.destFile->failed();
    state.destFile.reset();
    const bool written = state.outputFile->close();
    state.outputFile.reset();
    int failure = -1;
    if (!written) {
        failure = ErrWriteTemp;
    } else if (!readOk || !replaceFile(state.tempPath, state.destTarget)) {
        failure = ErrReplaceDest;
    }
    if (failure >= 0) {
        printError(state, failure);
        removeFile(state.tempPath);
    }
    closeDestination(state); // lets go of the folder lock
    return failure < 0;
}
