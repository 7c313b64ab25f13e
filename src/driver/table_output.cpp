#include "driver/table_output.hpp"

#include <cerrno>
#include <cstring>
#include <string_view>

namespace {

// The log line of a terse message also names the file and the system's
// reason (errno, cleared before the failed call).
void logReason(Console& console, const std::string& path) {
    console.logDetail(path + ": " + (errno != 0 ? std::strerror(errno) : "failed"));
}

bool readAll(ByteSource& source, std::string& text) {
    char buffer[65536];
    for (;;) {
        const long n = source.read(buffer, sizeof buffer);
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            return true;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

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
              std::string_view endMarker, bool& crlf, OldRegion* region = nullptr) {
    bool beginFound = false;
    std::string line;
    unsigned long number = 0;
    while (destination.readLine(line)) {
        ++number;
        if (!beginFound) {
            writeRaw(out, line);
            if (out != nullptr && !*out) {
                return Head::WriteError;
            }
            if (!matchesMarker(line, beginMarker)) {
                continue;
            }
            beginFound = true;
            if (region != nullptr) {
                region->beginLine = number;
            }
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
            if (region != nullptr) {
                region->endLine = number;
                region->afterEndMarker = line.substr(endMarker.size());
            }
            return Head::Found; // the old end marker line goes; it is written anew
        }
        if (region != nullptr) {
            while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
                line.pop_back();
            }
            region->lines.push_back(line);
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
    destinationName_ = destination;
    target_ = disk_.finalTarget(destination);
    if (mode_ == Mode::Replace) {
        // Another run writing into the same folder waits until this one is
        // done, and then reads what this one wrote.
        // Said on the console with --wait; without it the run waits as it
        // always has, silently, and only the log tells.
        auto waiting = [&] {
            if (waitSeconds_) {
                console_.errorWith(Message::WaitingForLock, destination);
                console_.flush(); // shown while the wait lasts
            } else {
                std::string text(messageText(Message::WaitingForLock));
                console_.logEvent('+', text.replace(text.find("%s"), 2, destination).substr(1));
            }
        };
        console_.flush(); // all said so far is shown before any wait
        lock_ = disk_.lockFolderWaiting(splitPath(target_).dir, waitSeconds_, waiting, timedOut_);
        if (timedOut_) {
            console_.errorWith(Message::LockTimeout, destination);
            return false;
        }
        if (!lock_) {
            // Unlocked, runs at the same time would share the temporary file:
            // nothing is written. A destination that is not there at all is
            // named as such.
            console_.error(openText(disk_, target_) ? Message::LockDestFolder : Message::OpenDest);
            return false;
        }
    }
    errno = 0;
    destination_ = openText(disk_, target_);
    if (!destination_) {
        console_.error(Message::OpenDest);
        logReason(console_, target_);
        abandon();
        return false;
    }
    std::unique_ptr<ByteSink> temp;
    if (mode_ == Mode::Diff) {
        temp = disk_.createPrivate(tempPath_);
    } else {
        tempPath_ = temporaryPathFor(target_);
        if (disk_.isSameFile(tempPath_, destination_->identity())) {
            // The destination itself bears the temporary file's name.
            console_.error(Message::OpenTemp);
            abandon();
            return false;
        }
        errno = 0;
        temp = disk_.createNew(tempPath_);
    }
    if (!temp) {
        console_.error(Message::OpenTemp);
        logReason(console_, tempPath_);
        abandon();
        return false;
    }
    output_ = std::make_unique<OutputFile>(std::move(temp));
    OldRegion* region = console_.diagnostics().collecting() ? &region_ : nullptr;
    region_.file = destination;
    std::ostringstream keptHead;
    Head head = readHead(*destination_, keepSurroundings_ ? &keptHead : &output_->stream(),
                         beginMarker, endMarker, crlf_, region);
    if (keepSurroundings_) {
        head_ = keptHead.str();
        writeRaw(&output_->stream(), head_);
        if (head == Head::Found && !output_->stream()) {
            head = Head::WriteError;
        }
    }
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
    if (tail_) {
        writeRaw(&out, *tail_);
    }
    while (destination_->readLine(line)) {
        writeRaw(&out, line);
    }
    const bool readOk = tailReadOk_ && !destination_->failed();
    destination_.reset();
    const bool written = output_->close();
    output_.reset();
    bool ok = true;
    if (!written) {
        console_.error(Message::WriteTemp);
        logReason(console_, tempPath_);
        ok = false;
    } else if (!readOk) {
        console_.error(mode_ == Mode::Diff ? Message::CompareDest : Message::ReplaceDest);
        ok = false;
    } else if (ignoredTime_ && sameButTime()) {
        // As a diff too: no hunk for the time line alone.
        unchanged_ = true;
    } else if (mode_ == Mode::Diff) {
        ok = printDiff();
    } else if (errno = 0; !disk_.replace(tempPath_, target_)) {
        console_.error(Message::ReplaceDest);
        logReason(console_, target_);
        ok = false;
    }
    if (!ok || unchanged_ || mode_ == Mode::Diff) {
        disk_.remove(tempPath_);
    }
    abandon(); // lets go of the folder lock
    return ok;
}

// The new file differs from the destination at most in the ignored time:
// the files are the same size, and the bytes that differ lie within the
// last place before the first difference where the new file holds that
// time. (The head and the tail are copies, so the only differences are in
// the region, and the region holds the time only in its header.)
bool Splice::sameButTime() {
    std::string before;
    std::string after;
    std::unique_ptr<ByteSource> old = disk_.openRead(target_);
    std::unique_ptr<ByteSource> made = disk_.openRead(tempPath_);
    if (!old || !made || !readAll(*old, before) || !readAll(*made, after) ||
        before.size() != after.size()) {
        return false;
    }
    std::string time = *ignoredTime_;
    while (!time.empty() && (time.back() == '\n' || time.back() == '\r')) {
        time.pop_back();
    }
    std::size_t first = 0;
    while (first < before.size() && before[first] == after[first]) {
        ++first;
    }
    if (first == before.size()) {
        return true;
    }
    const std::size_t at = after.rfind(time, first);
    if (time.empty() || at == std::string::npos || first >= at + time.size()) {
        return false;
    }
    const std::size_t end = at + time.size();
    return before.compare(end, std::string::npos, after, end, std::string::npos) == 0;
}

// Prints the unified diff from the destination to the new file, both named
// as the configuration names the destination.
bool Splice::printDiff() {
    console_.flush(); // what was said comes before what diff prints
    const int status = runProgram({"diff", "-u", "-a", "--label", destinationName_, "--label",
                                   destinationName_, target_, tempPath_});
    // diff: 0 the same, 1 different, anything else a failure.
    if (status == 0 || status == 1) {
        return true;
    }
    console_.error(Message::CompareDest);
    return false;
}

void Splice::abandon() {
    destination_.reset();
    if (output_) {
        output_->close();
        output_.reset();
        if (mode_ == Mode::Diff) {
            // A diff leaves nothing behind.
            disk_.remove(tempPath_);
        }
    }
    lock_.reset();
}

bool Splice::surroundings(Surroundings& kept) {
    if (!keepSurroundings_ || !destination_) {
        return false;
    }
    if (!tail_) {
        tail_.emplace();
        std::string line;
        while (destination_->readLine(line)) {
            *tail_ += line;
        }
        tailReadOk_ = !destination_->failed();
    }
    kept = {destinationName_, head_, *tail_};
    return tailReadOk_;
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
    region_.file = destination;
    std::ostringstream copy;
    const Head head = readHead(*file, &copy, beginMarker, endMarker, crlf_, &region_);
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
    if (keepSurroundings_) {
        kept_ = {destination, copy.str(), {}};
        std::string line;
        while (file->readLine(line)) {
            kept_.tail += line;
        }
    }
    // What came before the begin marker line.
    name_ = destination;
    head_ = copy.str();
    head_.pop_back();
    head_.erase(head_.rfind('\n') == std::string::npos ? 0 : head_.rfind('\n') + 1);
    open_ = true;
    return true;
}

bool CheckedDestination::surroundings(Surroundings& kept) {
    if (!keepSurroundings_ || !open_) {
        return false;
    }
    kept = kept_;
    return true;
}

bool StandardOutputTable::open(const std::string& destination, const std::string& beginMarker,
                               const std::string& endMarker) {
    const std::string target = disk_.finalTarget(destination);
    errno = 0;
    std::unique_ptr<TextReader> file = openText(disk_, target);
    if (!file) {
        console_.error(Message::OpenDest);
        logReason(console_, target);
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
