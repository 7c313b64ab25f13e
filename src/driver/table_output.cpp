#include "driver/table_output.hpp"

#include <string_view>

namespace {

bool matchesMarker(std::string_view line, std::string_view marker) {
    return line.substr(0, marker.size()) == marker;
}

bool endsWithCrLf(std::string_view line) {
    return line.size() >= 2 && line.substr(line.size() - 2) == "\r\n";
}

void writeRaw(std::ostream* out, std::string_view text) {
    if (out != nullptr) {
        out->write(text.data(), static_cast<std::streamsize>(text.size()));
    }
}

enum class Head { Found, NoBegin, NoEnd, ReadError, WriteError };

// Reads the destination up to and including the old end marker line,
// copying what comes before the region and the begin marker line to `out`
// (when given). Lines are read whole, however long. A write that fails
// stops the copy at once.
Head readHead(TextReader& destination, std::ostream* out, std::string_view beginMarker,
              std::string_view endMarker, bool& crlf) {
    bool beginFound = false;
    std::string line;
    while (destination.readLine(line)) {
        if (!beginFound) {
            writeRaw(out, line);
            if (out != nullptr && !*out) {
                return Head::WriteError;
            }
            if (!matchesMarker(line, beginMarker)) {
                continue;
            }
            beginFound = true;
            if (line.back() != '\n') {
                // The begin line was the last, without a line feed: the
                // table must not run on from it.
                writeRaw(out, "\n");
            }
            crlf = endsWithCrLf(line);
            if (matchesMarker(line, endMarker)) {
                return Head::Found;
            }
            continue;
        }
        if (matchesMarker(line, endMarker)) {
            return Head::Found; // the old end marker line goes; it is written anew
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
    case Head::WriteError:
        return Message::WriteTemp;
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
    if (!lock_) {
        // Unlocked, runs at the same time would share the temporary file:
        // nothing is written. A destination that is not there at all is
        // named as such.
        console_.error(openText(disk_, target_) ? Message::LockDestFolder : Message::OpenDest);
        return false;
    }
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
    if (head == Head::Found && !output_->stream().flush()) {
        head = Head::WriteError; // the last of the head could not be written
    }
    if (head != Head::Found) {
        writeFailed_ = head == Head::WriteError;
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
