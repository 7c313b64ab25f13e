#include "platform/disk.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A name with a NUL byte names no file: the system would read it only up to
// the NUL, that is as another name.
bool namesNoFile(const std::string& path) {
    return path.find('\0') != std::string::npos;
}

int openRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

class FileSource : public ByteSource {
  public:
    explicit FileSource(int fd) : fd_(fd) {}
    ~FileSource() override { ::close(fd_); }

    long read(char* data, std::size_t size) override {
        for (;;) {
            ssize_t n = ::read(fd_, data, size);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            return n < 0 ? -1 : static_cast<long>(n);
        }
    }
    bool rewind() override { return ::lseek(fd_, 0, SEEK_SET) == 0; }
    Identity identity() const override {
        struct stat info {};
        if (::fstat(fd_, &info) != 0) {
            return {};
        }
        return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                static_cast<std::int64_t>(info.st_size),
                static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
    }

  private:
    int fd_;
};

class FileSink : public ByteSink {
  public:
    // `owned`: the descriptor is closed at the end (standard output is not).
    FileSink(int fd, bool owned) : fd_(fd), owned_(owned) {}
    ~FileSink() override {
        if (owned_ && !closed_) {
            ::close(fd_);
        }
    }

    long write(const char* data, std::size_t size) override {
        for (;;) {
            ssize_t n = ::write(fd_, data, size);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            return n < 0 ? -1 : static_cast<long>(n);
        }
    }
    bool sync() override { return ::fsync(fd_) == 0; }
    bool close() override {
        closed_ = true;
        return !owned_ || ::close(fd_) == 0;
    }

  private:
    int fd_;
    bool owned_;
    bool closed_ = false;
};

class FileLock : public FolderLock {
  public:
    explicit FileLock(int fd) : fd_(fd) {}
    ~FileLock() override { ::close(fd_); }

  private:
    int fd_;
};

} // namespace

std::unique_ptr<ByteSource> RealDisk::openRead(const std::string& path) {
    if (namesNoFile(path)) {
        return nullptr;
    }
    int fd = openRetrying(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<FileSource>(fd);
}

std::unique_ptr<ByteSink> RealDisk::createNew(const std::string& path) {
    if (namesNoFile(path)) {
        return nullptr;
    }
    // A file left by an earlier run is replaced by a new one, never written
    // through: what stands under the name (a link planted to some other
    // file, say) is removed, and the new file must not exist yet.
    ::unlink(path.c_str());
    int fd = openRetrying(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<FileSink>(fd, true);
}

std::unique_ptr<ByteSink> RealDisk::standardOutput() {
    return std::make_unique<FileSink>(1, false);
}

std::unique_ptr<FolderLock> RealDisk::lockFolder(const std::string& folder) {
    if (namesNoFile(folder)) {
        return nullptr;
    }
    int fd =
        openRetrying(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    int result;
    do {
        result = ::flock(fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<FileLock>(fd);
}

bool RealDisk::list(const std::string& folder, const std::string& pattern,
                    std::vector<std::string>& names) {
    names.clear();
    if (namesNoFile(folder)) {
        return false;
    }
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) {
        return false;
    }
    while (struct dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
            continue;
        }
        if (wildcardMatch(pattern, name)) {
            names.emplace_back(name);
        }
    }
    ::closedir(dir);
    return true;
}

bool RealDisk::replace(const std::string& from, const std::string& to) {
    if (namesNoFile(from) || namesNoFile(to)) {
        return false;
    }
    struct stat info {};
    if (::stat(to.c_str(), &info) == 0) {
        // The owner too, where this process may give it (it may not, unless
        // it runs as the superuser; then the file is the runner's).
        if (::chown(from.c_str(), info.st_uid, info.st_gid) != 0) {
            errno = 0;
        }
        if (::chmod(from.c_str(), info.st_mode & 07777) != 0) {
            return false;
        }
    }
    if (::rename(from.c_str(), to.c_str()) != 0) {
        return false;
    }
    // Make the rename itself durable where the folder can be synced.
    PathParts parts = splitPath(to);
    int dirFd = ::open(parts.dir.empty() ? "." : parts.dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

void RealDisk::remove(const std::string& path) {
    if (!namesNoFile(path)) {
        ::unlink(path.c_str());
    }
}

bool RealDisk::isSameFile(const std::string& path, const ByteSource::Identity& file) {
    struct stat info {};
    return !namesNoFile(path) && ::stat(path.c_str(), &info) == 0 &&
           static_cast<std::uint64_t>(info.st_dev) == file.device &&
           static_cast<std::uint64_t>(info.st_ino) == file.inode;
}

std::string RealDisk::finalTarget(const std::string& path) {
    struct stat info {};
    if (namesNoFile(path) || ::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return path;
    }
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        return path;
    }
    std::string target = resolved;
    std::free(resolved);
    return target;
}

std::unique_ptr<TextReader> openText(Disk& disk, const std::string& path, std::size_t bufferSize) {
    std::unique_ptr<ByteSource> source = disk.openRead(path);
    if (!source) {
        return nullptr;
    }
    return std::make_unique<TextReader>(std::move(source), bufferSize);
}

bool RealDisk::modifiedTime(const std::string& path, std::int64_t& time) {
    struct stat info {};
    if (namesNoFile(path) || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    time = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return true;
}
