#include "driver/table_output.hpp"

#include <cerrno>
#include <string_view>

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

void writeRaw(std::ostream* out, std::string_view text) {
    if (out != nullptr) {
        out->write(text.data(), static_cast<std::streamsize>(text.size()));
    }
}

enum class Head { Found, NoBegin, NoEnd, ReadError };

// Reads the destination up to and including the old end marker line,
// copying what comes before the region and the begin marker line to `out`
// (when given). A line longer than a read comes in pieces, each tested
// against the markers like a line; the pieces after one that matches belong
// to the marker line: copied with the begin marker, dropped with the old end
// marker.
Head readHead(TextReader& destination, std::ostream* out, std::string_view beginMarker,
              std::string_view endMarker, bool& crlf) {
    bool beginFound = false;
    bool lineStart = true;
    std::string line;
    while (destination.readLine(line)) {
        lineStart = line.back() == '\n';
        if (!beginFound) {
            writeRaw(out, line);
            if (!matchesMarker(line, beginMarker)) {
                continue;
            }
            beginFound = true;
            const bool alsoEnd = matchesMarker(line, endMarker);
            std::string ending = lastTwo(line);
            while (!lineStart && destination.readLine(line)) {
                writeRaw(out, line);
                lineStart = line.back() == '\n';
                ending = lastTwo(ending + line);
            }
            if (!lineStart) {
                // The begin line was the last, without a line feed: the
                // table must not run on from it.
                writeRaw(out, "\n");
                lineStart = true;
            }
            crlf = endsWithCrLf(ending);
            if (alsoEnd) {
                return Head::Found;
            }
            continue;
        }
        if (matchesMarker(line, endMarker)) {
            // The old end marker line goes whole; it is written anew.
            while (!lineStart && destination.readLine(line)) {
                lineStart = line.back() == '\n';
            }
            return Head::Found;
        }
    }
    if (destination.failed()) {
        return Head::ReadError;
    }
    return beginFound ? Head::NoEnd : Head::NoBegin;
}

// The message for a head that was not found whole.
Message headMessage(Head head) {
    switch (head) {
    case Head::NoBegin:
        return Message::MissingRouteBegin;
    case Head::NoEnd:
        return Message::MissingRouteEnd;
    default:
        return Message::OpenDest;
    }
}

} // namespace

std::string Splice::temporaryPathFor(const std::string& destination) {
    PathParts parts = splitPath(destination);
    parts.name = "PG$TABLE";
    parts.ext = "$$$";
    return makePath(parts);
}

bool Splice::open(const std::string& destination, const std::string& beginMarker,
                  const std::string& endMarker) {
    // A destination reached through a symbolic link is rewritten where the
    // link points, so that the link stays a link.
    target_ = disk_.finalTarget(destination);
    // Another run writing into the same folder waits until this one is done,
    // and then reads what this one wrote.
    lock_ = disk_.lockFolder(splitPath(target_).dir);
    destination_ = openText(disk_, target_);
    if (!destination_) {
        console_.error(Message::OpenDest);
        abandon();
        return false;
    }
    tempPath_ = temporaryPathFor(target_);
    if (disk_.isSameFile(tempPath_, destination_->identity())) {
        // The destination itself bears the temporary file's name.
        console_.error(Message::OpenTemp);
        abandon();
        return false;
    }
    std::unique_ptr<ByteSink> temp = disk_.createNew(tempPath_);
    if (!temp) {
        console_.error(Message::OpenTemp);
        abandon();
        return false;
    }
    output_ = std::make_unique<OutputFile>(std::move(temp));
    Head head = readHead(*destination_, &output_->stream(), beginMarker, endMarker, crlf_);
    if (head != Head::Found) {
        console_.error(headMessage(head));
        abandon();
        disk_.remove(tempPath_);
        return false;
    }
    return true;
}

bool Splice::commit(const std::string& endMarker) {
    std::ostream& out = output_->stream();
    out << endMarker << (crlf_ ? "\r\n" : "\n");
    std::string line;
    while (destination_->readLine(line)) {
        writeRaw(&out, line);
    }
    const bool readOk = !destination_->failed();
    destination_.reset();
    const bool written = output_->close();
    output_.reset();
    bool ok = true;
    if (!written) {
        console_.error(Message::WriteTemp);
        ok = false;
    } else if (!readOk || !disk_.replace(tempPath_, target_)) {
        console_.error(Message::ReplaceDest);
        ok = false;
    }
    if (!ok) {
        disk_.remove(tempPath_);
    }
    abandon(); // lets go of the folder lock
    return ok;
}

void Splice::abandon() {
    destination_.reset();
    if (output_) {
        output_->close();
        output_.reset();
    }
    lock_.reset();
}

void Splice::discard() {
    destination_.reset();
    if (output_) {
        // Removed while the folder is still locked, so that it is this run's.
        output_->close();
        output_.reset();
        disk_.remove(tempPath_);
    }
    lock_.reset();
}

bool CheckedDestination::open(const std::string& destination, const std::string& beginMarker,
                              const std::string& endMarker) {
    Diagnostics& diagnostics = console_.diagnostics();
    const std::string named = "the destination \"" + destination + "\"";
    errno = 0;
    const std::string target = disk_.finalTarget(destination);
    std::unique_ptr<TextReader> file = openText(disk_, target);
    if (!file) {
        const int error = errno;
        console_.error(Message::OpenDest);
        diagnostics.fail("cannot open " + named + ": " + systemReason(error, "not a regular file"));
        return false;
    }
    if (disk_.isSameFile(Splice::temporaryPathFor(target), file->identity())) {
        console_.error(Message::OpenTemp);
        diagnostics.fail(named + " bears the name of the run's temporary file");
        return false;
    }
    const Head head = readHead(*file, nullptr, beginMarker, endMarker, crlf_);
    if (head != Head::Found) {
        console_.error(headMessage(head));
        diagnostics.fail(
            head == Head::NoBegin ? named + " has no line that begins with the RouteBegin text \"" +
                                        beginMarker + "\""
            : head == Head::NoEnd ? named +
                                        " has no line after the begin marker that begins with "
                                        "the RouteEnd text \"" +
                                        endMarker + "\""
                                  : "cannot read " + named);
        return false;
    }
    open_ = true;
    return true;
}

bool StandardOutputTable::open(const std::string& destination, const std::string& beginMarker,
                               const std::string& endMarker) {
    std::unique_ptr<TextReader> file = openText(disk_, disk_.finalTarget(destination));
    if (!file) {
        console_.error(Message::OpenDest);
        return false;
    }
    Head head = readHead(*file, nullptr, beginMarker, endMarker, crlf_);
    if (head != Head::Found) {
        console_.error(headMessage(head));
        return false;
    }
    output_ = std::make_unique<OutputFile>(disk_.standardOutput(), false);
    return true;
}

bool StandardOutputTable::commit(const std::string&) {
    const bool written = output_->close();
    output_.reset();
    if (!written) {
        console_.error(Message::WriteStandardOutput);
    }
    return written;
}
