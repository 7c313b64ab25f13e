#include "platform/disk.hpp"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <thread>
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

// Gives `to` the extended attributes of `from` (ACLs among them), each as
// far as the file system and this process's rights allow; the others are
// passed over, as the owner is when it cannot be given.
void copyExtendedAttributes(const std::string& from, const std::string& to) {
    ssize_t size = ::listxattr(from.c_str(), nullptr, 0);
    if (size <= 0) {
        return;
    }
    std::vector<char> names(static_cast<std::size_t>(size));
    size = ::listxattr(from.c_str(), names.data(), names.size());
    if (size <= 0) {
        return;
    }
    std::vector<char> value;
    for (std::size_t at = 0; at < static_cast<std::size_t>(size);) {
        const char* name = names.data() + at;
        at += std::strlen(name) + 1;
        const ssize_t length = ::getxattr(from.c_str(), name, nullptr, 0);
        if (length < 0) {
            continue;
        }
        value.resize(static_cast<std::size_t>(length));
        const ssize_t got = ::getxattr(from.c_str(), name, value.data(), value.size());
        if (got >= 0) {
            ::setxattr(to.c_str(), name, value.data(), static_cast<std::size_t>(got), 0);
        }
    }
    errno = 0;
}

// The open gave a regular file (`info` tells it); else the descriptor, if
// any, is closed.
bool openedRegular(int fd, struct stat& info) {
    if (fd < 0) {
        return false;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    return true;
}

Disk::Identity identityOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::int64_t>(info.st_size),
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
            static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec};
}

// A file as it was when it was opened.
class FileSource : public ByteSource {
  public:
    FileSource(int fd, Identity identity) : fd_(fd), identity_(identity) {}
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
    Identity identity() const override { return identity_; }

  private:
    int fd_;
    Identity identity_;
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
    // Only a regular file is read: a pipe or device could keep the run
    // waiting, or feed it without end, while it holds the folder's lock.
    // Nothing else is even opened (opening some devices does something); the
    // open does not wait, and what was opened is checked again.
    struct stat named {};
    if (::stat(path.c_str(), &named) != 0 || !S_ISREG(named.st_mode)) {
        return nullptr;
    }
    // O_NONBLOCK stays: it does not change how a regular file is read.
    int fd = openRetrying(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat info {};
    if (!openedRegular(fd, info)) {
        return nullptr;
    }
    return std::make_unique<FileSource>(fd, identityOf(info));
}

std::unique_ptr<ByteSink> RealDisk::createNew(const std::string& path) {
    if (namesNoFile(path)) {
        return nullptr;
    }
    // A file left by an earlier run is replaced by a new one, never written
    // through: what stands under the name (a link planted to some other
    // file, say) is removed, and the new file must not exist yet.
    // The file is its owner's alone until it takes the destination's
    // permission bits just before the replacement: a private destination is
    // never exposed through it, not even when a run leaves it behind.
    ::unlink(path.c_str());
    int fd = openRetrying(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    struct stat info {};
    if (!openedRegular(fd, info)) {
        return nullptr;
    }
    return std::make_unique<FileSink>(fd, true);
}

std::unique_ptr<ByteSink> RealDisk::standardOutput() {
    return std::make_unique<FileSink>(1, false);
}

std::unique_ptr<FolderLock> RealDisk::lockFolder(const std::string& folder) {
    // Waiting as long as it takes, without a word.
    bool timedOut = false;
    return lockFolderWaiting(
        folder, std::nullopt, [] {}, timedOut);
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
    for (;;) {
        // An error part way is told from the end of the listing: a shorter
        // list would pick an older nodelist.
        errno = 0;
        const struct dirent* entry = ::readdir(dir);
        if (entry == nullptr) {
            const bool complete = errno == 0;
            ::closedir(dir);
            return complete;
        }
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
            continue;
        }
        if (wildcardMatch(pattern, name)) {
            names.emplace_back(name);
        }
    }
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
        copyExtendedAttributes(to, from);
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

bool RealDisk::folderIdentity(const std::string& folder, Identity& identity) {
    struct stat info {};
    if (namesNoFile(folder) || ::stat(folder.empty() ? "." : folder.c_str(), &info) != 0) {
        return false;
    }
    identity = identityOf(info);
    return true;
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

std::unique_ptr<ByteSink> RealDisk::openAppend(const std::string& path) {
    if (namesNoFile(path)) {
        return nullptr;
    }
    int fd = openRetrying(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    return std::make_unique<FileSink>(fd, true);
}

std::unique_ptr<ByteSink> RealDisk::createPrivate(std::string& path) {
    const char* folder = std::getenv("TMPDIR");
    std::string name = (folder != nullptr && *folder != '\0') ? folder : "/tmp";
    name += "/spokeway.XXXXXX";
    // mkstemp creates the file new, readable and writable by this user only.
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    path = name;
    return std::make_unique<FileSink>(fd, true);
}

std::unique_ptr<FolderLock> RealDisk::lockFolderWaiting(const std::string& folder,
                                                        std::optional<unsigned> seconds,
                                                        const std::function<void()>& waiting,
                                                        bool& timedOut) {
    timedOut = false;
    if (namesNoFile(folder)) {
        return nullptr;
    }
    int fd =
        openRetrying(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    auto tryLock = [fd](int how) {
        int result;
        do {
            result = ::flock(fd, how);
        } while (result != 0 && errno == EINTR);
        return result;
    };
    if (tryLock(LOCK_EX | LOCK_NB) == 0) {
        return std::make_unique<FileLock>(fd);
    }
    if (errno != EWOULDBLOCK) {
        ::close(fd);
        return nullptr;
    }
    waiting();
    if (!seconds) {
        if (tryLock(LOCK_EX) == 0) {
            return std::make_unique<FileLock>(fd);
        }
        ::close(fd);
        return nullptr;
    }
    // Polled, so that no signal handler is needed: the lock is taken within
    // a tenth of a second of its release.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(*seconds);
    for (;;) {
        if (tryLock(LOCK_EX | LOCK_NB) == 0) {
            return std::make_unique<FileLock>(fd);
        }
        if (errno != EWOULDBLOCK) {
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ::close(fd);
    return nullptr;
}

int runProgram(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    if (::posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::unique_ptr<TextReader> openText(Disk& disk, const std::string& path, std::size_t bufferSize) {
    std::unique_ptr<ByteSource> source = disk.openRead(path);
    if (!source) {
        return nullptr;
    }
    return std::make_unique<TextReader>(std::move(source), bufferSize);
}

bool RealDisk::fileIdentity(const std::string& path, Identity& identity) {
    struct stat info {};
    if (namesNoFile(path) || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    identity = identityOf(info);
    return true;
}
