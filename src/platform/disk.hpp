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

class Disk {
  public:
    using Identity = ByteSource::Identity;
    virtual ~Disk() = default;

    // Opens a regular file for reading (links followed); null when it cannot
    // be opened or is something else (a folder, pipe or device, a name with
    // a NUL byte).
    virtual std::unique_ptr<ByteSource> openRead(const std::string& path) = 0;
    // Creates a new file, readable and writable by its owner only, in place
    // of whatever stood under the name (never writing through it); null on
    // failure.
    virtual std::unique_ptr<ByteSink> createNew(const std::string& path) = 0;
    // Standard output, written without a sync.
    virtual std::unique_ptr<ByteSink> standardOutput() = 0;
    // Takes an exclusive lock on the folder, waiting while another process
    // holds it; null when the folder cannot be opened or locked.
    virtual std::unique_ptr<FolderLock> lockFolder(const std::string& folder) = 0;
    // The names of the entries of `folder` (empty: the current one) that
    // match `pattern` (see wildcardMatch), in listing order; false when the
    // folder cannot be listed, or not to its end.
    virtual bool list(const std::string& folder, const std::string& pattern,
                      std::vector<std::string>& names) = 0;
    // Moves `from` over `to` in one step, giving it the permission bits and
    // (where allowed) the owner and extended attributes `to` had.
    virtual bool replace(const std::string& from, const std::string& to) = 0;
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

    // Opens a file for appending, creating it when missing (never
    // truncating); null when it cannot.
    virtual std::unique_ptr<ByteSink> openAppend(const std::string& path) {
        (void)path;
        return nullptr;
    }
    // Creates a new file that only this user may read, in the system's
    // temporary folder ($TMPDIR, else /tmp); its name goes to `path`.
    virtual std::unique_ptr<ByteSink> createPrivate(std::string& path) {
        (void)path;
        return nullptr;
    }
    // Locks the folder as lockFolder does, but when another process holds
    // the lock calls `waiting` once and waits at most `seconds` (none: as
    // long as it takes). `timedOut` tells a wait past the bound from a folder
    // that cannot be locked at all.
    virtual std::unique_ptr<FolderLock> lockFolderWaiting(const std::string& folder,
                                                          std::optional<unsigned> seconds,
                                                          const std::function<void()>& waiting,
                                                          bool& timedOut) {
        (void)seconds;
        (void)waiting;
        timedOut = false;
        return lockFolder(folder);
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
    std::unique_ptr<ByteSink> createNew(const std::string& path) override;
    std::unique_ptr<ByteSink> standardOutput() override;
    std::unique_ptr<FolderLock> lockFolder(const std::string& folder) override;
    bool list(const std::string& folder, const std::string& pattern,
              std::vector<std::string>& names) override;
    bool replace(const std::string& from, const std::string& to) override;
    void remove(const std::string& path) override;
    bool folderIdentity(const std::string& folder, Identity& identity) override;
    bool fileIdentity(const std::string& path, Identity& identity) override;
    bool isSameFile(const std::string& path, const ByteSource::Identity& file) override;
    std::string finalTarget(const std::string& path) override;
    std::unique_ptr<ByteSink> openAppend(const std::string& path) override;
    std::unique_ptr<ByteSink> createPrivate(std::string& path) override;
    std::unique_ptr<FolderLock> lockFolderWaiting(const std::string& folder,
                                                  std::optional<unsigned> seconds,
                                                  const std::function<void()>& waiting,
                                                  bool& timedOut) override;
};

// Runs a program (found on the PATH) with the arguments, its standard output
// and error those of this process; its exit status, or -1 when it could not
// be run or did not end normally.
int runProgram(const std::vector<std::string>& arguments);

// Opens a text file through the disk; null when it cannot be opened.
std::unique_ptr<TextReader> openText(Disk& disk, const std::string& path,
                                     std::size_t bufferSize = 32768);
