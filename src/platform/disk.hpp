// The file system as the run sees it: every open, listing, lock and
// replacement goes through a Disk, so that tests can put another in its place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.hpp"

class Disk {
  public:
    virtual ~Disk() = default;

    // Opens a regular file for reading (links followed); null when it cannot
    // be opened or is something else (a folder, a name with a NUL byte).
    virtual std::unique_ptr<ByteSource> openRead(const std::string& path) = 0;
    // Creates a new file in place of whatever stood under the name (never
    // writing through it); null on failure.
    virtual std::unique_ptr<ByteSink> createNew(const std::string& path) = 0;
    // Standard output, written without a sync.
    virtual std::unique_ptr<ByteSink> standardOutput() = 0;
    // Takes an exclusive lock on the folder, waiting while another process
    // holds it; null when the folder cannot be opened or locked.
    virtual std::unique_ptr<FolderLock> lockFolder(const std::string& folder) = 0;
    // The names of the entries of `folder` (empty: the current one) that
    // match `pattern` (see wildcardMatch), in listing order; false when the
    // folder cannot be listed.
    virtual bool list(const std::string& folder, const std::string& pattern,
                      std::vector<std::string>& names) = 0;
    // Moves `from` over `to` in one step, giving it the permission bits and
    // (where allowed) the owner `to` had.
    virtual bool replace(const std::string& from, const std::string& to) = 0;
    virtual void remove(const std::string& path) = 0;
    // The path names the file that was opened with this identity.
    virtual bool isSameFile(const std::string& path, const ByteSource::Identity& file) = 0;
    // The file a symbolic link finally points to; any other path as it is.
    virtual std::string finalTarget(const std::string& path) = 0;
    // The modification time of a file (nanoseconds since the epoch); false
    // when it cannot be told, as on a disk that keeps no times.
    virtual bool modifiedTime(const std::string& /*path*/, std::int64_t& /*time*/) { return false; }
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
    bool modifiedTime(const std::string& path, std::int64_t& time) override;
    bool isSameFile(const std::string& path, const ByteSource::Identity& file) override;
    std::string finalTarget(const std::string& path) override;
};

// Opens a text file through the disk; null when it cannot be opened.
std::unique_ptr<TextReader> openText(Disk& disk, const std::string& path,
                                     std::size_t bufferSize = 32768);
