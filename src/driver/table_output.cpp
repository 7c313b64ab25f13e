#include "driver/table_output.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

// The log line of a terse message also names the file and the system's
// reason (errno taken right after the failed call, which cleared it first).
void logReason(Console& console, const std::string& path, int error) {
    console.logDetail((path.empty() ? std::string(".") : path) + ": " +
                      (error != 0 ? std::strerror(error) : "failed"));
}

// A file's bytes one at a time, read a buffer at a time.
class BufferedBytes {
  public:
    static constexpr int End = -1;
    static constexpr int Failed = -2;
    explicit BufferedBytes(ByteSource& source) : source_(source) {}
    int next() {
        if (at_ == size_) {
            const long n = source_.read(buffer_.data(), buffer_.size());
            if (n <= 0) {
                return n == 0 ? End : Failed;
            }
            at_ = 0;
            size_ = static_cast<std::size_t>(n);
        }
        return static_cast<unsigned char>(buffer_[at_++]);
    }

  private:
    ByteSource& source_;
    std::vector<char> buffer_ = std::vector<char>(65536);
    std::size_t at_ = 0;
    std::size_t size_ = 0;
};

// A folder as messages name it.
std::string folderText(const std::string& path) {
    return path.empty() ? "." : path;
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

// Takes the folder's lock, waiting for another run that holds it; false,
// with the message printed, when it cannot be had.
bool Splice::lock(const std::string& destination) {
    // Another run writing into the same folder waits until this one is
    // done, and then reads what this one wrote. Said on the console with
    // --wait; without it the wait goes only to the log.
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
    Folder::Locked locked = Folder::Locked::Failed;
    errno = 0;
    lock_ = folder_->lock(waitSeconds_.value_or(DefaultWaitSeconds), waiting, locked);
    const int error = errno;
    switch (locked) {
    case Folder::Locked::Yes:
        return true;
    case Folder::Locked::TimedOut:
        timedOut_ = true;
        console_.errorWith(Message::LockTimeout, destination);
        return false;
    case Folder::Locked::NotWritable:
        // No file can be made there, the temporary file no more than the
        // lock: said as before, unless the destination is missing too.
        if (folder_->openRead(name_)) {
            console_.error(Message::OpenTemp);
            logReason(console_, folder_->path() + TemporaryName, error);
        } else {
            console_.error(Message::OpenDest);
        }
        return false;
    default:
        // Unlocked, runs at the same time would share the temporary file:
        // nothing is written.
        console_.error(Message::LockDestFolder);
        logReason(console_, folder_->path(), error);
        return false;
    }
}

bool Splice::open(const std::string& destination, const std::string& beginMarker,
                  const std::string& endMarker) {
    // A destination reached through a symbolic link is rewritten where the
    // link points, so that the link stays a link. Its folder is opened once
    // and everything after goes through it.
    destinationName_ = destination;
    errno = 0;
    folder_ = disk_.openFolderOf(destination, name_);
    if (!folder_) {
        const int error = errno;
        // A destination that is not there at all is named as such.
        console_.error(disk_.openRead(destination) ? Message::LockDestFolder : Message::OpenDest);
        logReason(console_, destination, error);
        return false;
    }
    if (mode_ == Mode::Replace) {
        if (folder_->openToAll()) {
            // Anyone could swap its names while the run works in it.
            console_.errorWith(Message::FolderOpenToAll, folderText(folder_->path()));
            abandon();
            return false;
        }
        if (!lock(destination)) {
            abandon();
            return false;
        }
    }
    errno = 0;
    std::unique_ptr<ByteSource> source = folder_->openRead(name_);
    if (!source) {
        const int error = errno;
        console_.error(Message::OpenDest);
        logReason(console_, folder_->path() + name_, error);
        abandon();
        return false;
    }
    destination_ = std::make_unique<TextReader>(std::move(source));
    std::unique_ptr<ByteSink> temp;
    errno = 0;
    if (mode_ == Mode::Diff) {
        temp = disk_.createPrivate(tempPath_);
        if (!temp) {
            const int error = errno;
            const char* folder = std::getenv("TMPDIR");
            console_.errorWith(Message::OpenPrivateTemp,
                               folder != nullptr && *folder != '\0' ? folder : "/tmp");
            logReason(console_, "spokeway.XXXXXX", error);
            abandon();
            return false;
        }
    } else {
        tempPath_ = folder_->path() + TemporaryName;
        if (name_ == TemporaryName || disk_.isSameFile(tempPath_, destination_->identity())) {
            // The destination itself bears the temporary file's name.
            console_.error(Message::OpenTemp);
            abandon();
            return false;
        }
        temp = folder_->createNew(TemporaryName);
        if (!temp) {
            const int error = errno;
            console_.error(Message::OpenTemp);
            logReason(console_, tempPath_, error);
            abandon();
            return false;
        }
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
        if (writeFailed_) {
            logReason(console_, tempPath_, output_->error());
        }
        output_->close();
        output_.reset();
        removeTemporary();
        abandon();
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
    errno = 0;
    // The destination's owner, bits and attributes, from the file the run
    // read, on the temporary file's own descriptor.
    const bool attributed =
        mode_ == Mode::Diff || !readOk || output_->sink().takeAttributesOf(destination_->source());
    const int attributeError = errno;
    const bool written = output_->close();
    const int writeError = output_->error();
    output_.reset();
    bool ok = true;
    if (!written) {
        console_.error(Message::WriteTemp);
        logReason(console_, tempPath_, writeError);
        ok = false;
    } else if (!readOk) {
        console_.error(mode_ == Mode::Diff ? Message::CompareDest : Message::ReplaceDest);
        console_.logDetail(folder_->path() + name_ + ": cannot be read to its end");
        ok = false;
    } else if (ignoredTime_ && sameButTime()) {
        // As a diff too: no hunk for the time line alone.
        unchanged_ = true;
    } else if (mode_ == Mode::Diff) {
        ok = printDiff();
    } else if (!attributed) {
        console_.error(Message::ReplaceDest);
        logReason(console_, tempPath_, attributeError);
        ok = false;
    } else {
        ok = replace();
    }
    if (!ok || unchanged_ || mode_ == Mode::Diff) {
        removeTemporary();
    }
    abandon(); // lets go of the folder lock
    return ok;
}

// Moves the temporary file over the destination, when both names still
// name the files this run made and read.
bool Splice::replace() {
    errno = 0;
    switch (folder_->replace(TemporaryName, name_, destination_->identity())) {
    case Folder::Replaced::Done:
        return true;
    case Folder::Replaced::TempChanged:
        console_.errorWith(Message::Interfered, tempPath_);
        return false;
    case Folder::Replaced::DestinationChanged:
        console_.errorWith(Message::Interfered, folder_->path() + name_);
        return false;
    default: {
        const int error = errno;
        console_.error(Message::ReplaceDest);
        logReason(console_, folder_->path() + name_, error);
        return false;
    }
    }
}

void Splice::removeTemporary() {
    if (mode_ == Mode::Diff) {
        if (!tempPath_.empty()) {
            disk_.remove(tempPath_);
        }
    } else if (folder_ && !tempPath_.empty()) {
        folder_->remove(TemporaryName);
    }
}

// The new file differs from the destination at most in the ignored time:
// the files are the same size, and the bytes that differ lie within the
// last place before the first difference where the new file holds that
// time. (The head and the tail are copies, so the only differences are in
// the region, and the region holds the time only in its header.) Both are
// read side by side a buffer at a time, never held whole.
bool Splice::sameButTime() {
    std::string time = *ignoredTime_;
    while (!time.empty() && (time.back() == '\n' || time.back() == '\r')) {
        time.pop_back();
    }
    ByteSource& old = destination_->source();
    // A diff's copy is the run's private file outside the folder.
    std::unique_ptr<ByteSource> made =
        mode_ == Mode::Diff ? disk_.openRead(tempPath_) : folder_->openRead(TemporaryName);
    if (time.empty() || !made || !old.rewind()) {
        return false;
    }
    BufferedBytes before(old);
    BufferedBytes after(*made);
    // The last bytes of the new file before the current place, as many as
    // the time has less one.
    const std::size_t keep = time.size() - 1;
    std::string recent;
    for (;;) {
        const int b = before.next();
        const int a = after.next();
        if (a < 0 || b < 0) {
            return a == BufferedBytes::End && b == BufferedBytes::End;
        }
        if (a == b) {
            recent.push_back(static_cast<char>(a));
            if (recent.size() > 2 * keep + 64) {
                recent.erase(0, recent.size() - keep);
            }
            continue;
        }
        // The first difference: the time must stand over it in the new file.
        if (recent.size() > keep) {
            recent.erase(0, recent.size() - keep);
        }
        const std::size_t first = recent.size();
        std::string around = recent + static_cast<char>(a);
        std::string was(1, static_cast<char>(b));
        while (around.size() < first + time.size()) {
            const int more = after.next();
            const int older = before.next();
            if (more < 0 || older < 0) {
                return false;
            }
            around.push_back(static_cast<char>(more));
            was.push_back(static_cast<char>(older));
        }
        const std::size_t at = around.rfind(time, first);
        if (at == std::string::npos || first >= at + time.size()) {
            return false;
        }
        // After the time, the rest is the same, the bytes read already too.
        const std::size_t end = at + time.size();
        if (around.compare(end, std::string::npos, was, end - first, std::string::npos) != 0) {
            return false;
        }
        for (;;) {
            const int x = before.next();
            const int y = after.next();
            if (x != y) {
                return false;
            }
            if (x < 0) {
                return x == BufferedBytes::End;
            }
        }
    }
}

// Prints the unified diff from the destination to the new file, both named
// as the configuration names the destination.
bool Splice::printDiff() {
    console_.flush(); // what was said comes before what diff prints
    bool outputFailed = false;
    const std::unique_ptr<ByteSink> out = disk_.standardOutput();
    const int status = runProgram({"diff", "-u", "-a", "--label", destinationName_, "--label",
                                   destinationName_, folder_->path() + name_, tempPath_},
                                  *out, outputFailed);
    if (outputFailed) {
        console_.error(Message::WriteStandardOutput);
        return false;
    }
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
            removeTemporary();
        }
    }
    lock_.reset();
    folder_.reset();
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
        removeTemporary();
    }
    lock_.reset();
    folder_.reset();
}

bool CheckedDestination::open(const std::string& destination, const std::string& beginMarker,
                              const std::string& endMarker) {
    Diagnostics& diagnostics = console_.diagnostics();
    const std::string named = "the destination \"" + destination + "\"";
    errno = 0;
    std::string name;
    std::unique_ptr<Folder> folder = disk_.openFolderOf(destination, name);
    std::unique_ptr<ByteSource> source = folder ? folder->openRead(name) : nullptr;
    if (!source) {
        const int error = errno;
        console_.error(Message::OpenDest);
        diagnostics.fail("cannot open " + named + ": " + systemReason(error, "not a regular file"));
        return false;
    }
    TextReader file(std::move(source));
    const std::string temporary = folder->path() + Splice::TemporaryName;
    if (name == Splice::TemporaryName || disk_.isSameFile(temporary, file.identity())) {
        console_.error(Message::OpenTemp);
        diagnostics.fail(named + " bears the name of the run's temporary file");
        return false;
    }
    region_.file = destination;
    std::ostringstream copy;
    const Head head = readHead(file, &copy, beginMarker, endMarker, crlf_, &region_);
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
    // The writes a run would make: the temporary file and the lock in the
    // folder, and the replacement.
    const std::string where = "the destination's folder \"" + folderText(folder->path()) + "\"";
    if (folder->openToAll()) {
        console_.errorWith(Message::FolderOpenToAll, folderText(folder->path()));
        diagnostics.fail(where + " is writable by every user and not sticky: a run refuses it");
        return false;
    }
    if (const int error = folder->probeWrite(name); error != 0) {
        console_.error(Message::OpenTemp);
        diagnostics.fail("cannot make the temporary file and the lock in " + where +
                         " and move it over " + named + ": " + systemReason(error, "refused"));
        return false;
    }
    if (keepSurroundings_) {
        kept_ = {destination, copy.str(), {}};
        std::string line;
        while (file.readLine(line)) {
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
    errno = 0;
    std::string name;
    std::unique_ptr<Folder> folder = disk_.openFolderOf(destination, name);
    std::unique_ptr<ByteSource> source = folder ? folder->openRead(name) : nullptr;
    if (!source) {
        const int error = errno;
        console_.error(Message::OpenDest);
        logReason(console_, destination, error);
        return false;
    }
    TextReader file(std::move(source));
    Head head = readHead(file, nullptr, beginMarker, endMarker, crlf_);
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
