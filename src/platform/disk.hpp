// The file system as the run sees it: every open, listing, lock and
// replacement goes through a Disk, so that tests can put another in its place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.hpp"

// A folder opened once. The files a run reads, makes and replaces in it are
// named relative to it, and a name that is a symbolic link is never followed:
// a name swapped for a link while the run works is refused, not written
// through.
class Folder {
  public:
    using Identity = ByteSource::Identity;
    virtual ~Folder() = default;

    // Opens a regular file of the folder for reading; null when it cannot be
    // opened, is no regular file or is a link (errno tells why).
    virtual std::unique_ptr<ByteSource> openRead(const std::string& name) = 0;
    // Creates a new file readable and writable by its owner only, in place of
    // whatever stood under the name (never writing through it); null on
    // failure.
    virtual std::unique_ptr<ByteSink> createNew(const std::string& name) = 0;
    // The folder as the run names it ("" for the current one, else with a
    // trailing '/').
    virtual const std::string& path() const = 0;

    enum class Replaced { Done, Failed, TempChanged, DestinationChanged };
    // Moves the file createNew made under `from` over `to` in one step, once
    // `from` is still that file and `to` still the file `original` tells
    // (when either was swapped or removed, nothing is moved).
    virtual Replaced replace(const std::string& from, const std::string& to,
                             const Identity& original) = 0;
    virtual void remove(const std::string& name) = 0;

    enum class Locked { Yes, TimedOut, NotWritable, Failed };
    // Takes the run's exclusive lock in this folder: a lock file that only
    // this user (and the superuser) can open for writing, so that no one who
    // could not write here can hold it. When another run holds it, calls
    // `waiting` once and waits at most `seconds` (none: as long as it
    // takes). NotWritable: the folder refuses new files.
    virtual std::unique_ptr<FolderLock>
    lock(std::optional<unsigned> seconds, const std::function<void()>& waiting, Locked& result) = 0;
    // Every user may write in it and it is not sticky: anyone may swap its
    // names.
    virtual bool openToAll() = 0;
    // Whether this user could make and lock files in the folder and move one
    // over `name` (in a sticky folder, only over a file of its own or in a
    // folder of its own); 0 or the system's reason why not.
    virtual int probeWrite(const std::string& name) = 0;

    // Opens a log for appending, creating it (0640) when missing, never
    // truncating it: not through a symbolic link, not waiting, and only a
    // regular file. `endsLine` tells whether the file is empty or its last
    // byte is a line feed. Null when it cannot (errno; 0: no regular file).
    virtual std::unique_ptr<ByteSink> openAppend(const std::string& name, bool& endsLine) = 0;
    // Whether openAppend would succeed, without making or opening the log: 0,
    // the system's reason, or -1 when the name is no regular file.
    virtual int probeAppend(const std::string& name) = 0;
};

class Disk {
  public:
    using Identity = ByteSource::Identity;
    virtual ~Disk() = default;

    // Opens a regular file for reading (links followed); null when it cannot
    // be opened or is something else (a folder, pipe or device, a name with
    // a NUL byte).
    virtual std::unique_ptr<ByteSource> openRead(const std::string& path) = 0;
    // Standard output, written without a sync.
    virtual std::unique_ptr<ByteSink> standardOutput() = 0;
    // The names of the entries of `folder` (empty: the current one) that
    // match `pattern` (see wildcardMatch), in listing order; false when the
    // folder cannot be listed, or not to its end.
    virtual bool list(const std::string& folder, const std::string& pattern,
                      std::vector<std::string>& names) = 0;
    virtual void remove(const std::string& path) = 0;
    // What tells the state of a folder (empty: the current one): device,
    // inode, size and the time its entries last changed; false if it cannot
    // be looked at.
    virtual bool folderIdentity(const std::string& folder, Identity& identity) {
        (void)folder;
        (void)identity;
        return false;
    }
    // The path names the file that was opened with this identity.
    virtual bool isSameFile(const std::string& path, const ByteSource::Identity& file) = 0;
    // The file a symbolic link finally points to; any other path as it is.
    virtual std::string finalTarget(const std::string& path) = 0;

    // Creates a new file that only this user may read, in the system's
    // temporary folder ($TMPDIR, else /tmp); its name goes to `path`.
    virtual std::unique_ptr<ByteSink> createPrivate(std::string& path) {
        (void)path;
        return nullptr;
    }
    // Opens the folder of the file `path` names, following symbolic links in
    // its last part, each once; the name of the file in it goes to `name`.
    // A link that neither this user nor the superuser owns is followed only
    // to a file of the link's owner: the folder's openRead then refuses any
    // other (EPERM). Null when the folder cannot be opened (errno).
    virtual std::unique_ptr<Folder> openFolderOf(const std::string& path, std::string& name) {
        (void)path;
        (void)name;
        return nullptr;
    }
    // Opens a folder (links followed); null when it cannot (errno).
    virtual std::unique_ptr<Folder> openFolder(const std::string& path) {
        (void)path;
        return nullptr;
    }
    // The identity a regular file (links followed) has now, as openRead
    // would give it, without opening it; false when there is none or it
    // cannot be told, as on a disk that keeps no times.
    virtual bool fileIdentity(const std::string& /*path*/, Identity& /*identity*/) { return false; }
};

// The operating system's file system.
class RealDisk : public Disk {
  public:
    std::unique_ptr<ByteSource> openRead(const std::string& path) override;
    std::unique_ptr<ByteSink> standardOutput() override;
    bool list(const std::string& folder, const std::string& pattern,
              std::vector<std::string>& names) override;
    void remove(const std::string& path) override;
    bool folderIdentity(const std::string& folder, Identity& identity) override;
    bool fileIdentity(const std::string& path, Identity& identity) override;
    bool isSameFile(const std::string& path, const ByteSource::Identity& file) override;
    std::string finalTarget(const std::string& path) override;
    std::unique_ptr<Folder> openFolderOf(const std::string& path, std::string& name) override;
    std::unique_ptr<Folder> openFolder(const std::string& path) override;
    std::unique_ptr<ByteSink> createPrivate(std::string& path) override;
};

// Runs a program (found on the PATH) with the arguments, its standard error
// that of this process and its standard output copied to `output`
// (`outputFailed`: a write there failed); its exit status, or -1 when it
// could not be run or did not end normally.
int runProgram(const std::vector<std::string>& arguments, ByteSink& output, bool& outputFailed);

// Opens a text file through the disk; null when it cannot be opened.
std::unique_ptr<TextReader> openText(Disk& disk, const std::string& path,
                                     std::size_t bufferSize = 32768);
