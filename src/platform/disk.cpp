#include "platform/disk.hpp"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <poll.h>
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

// Gives the file of `to` the extended attributes of that of `from` (ACLs
// among them), each as far as the file system and this process's rights
// allow; the others are passed over, as the owner is when it cannot be given.
void copyExtendedAttributes(int from, int to) {
    ssize_t size = ::flistxattr(from, nullptr, 0);
    if (size <= 0) {
        return;
    }
    std::vector<char> names(static_cast<std::size_t>(size));
    size = ::flistxattr(from, names.data(), names.size());
    if (size <= 0) {
        return;
    }
    std::vector<char> value;
    for (std::size_t at = 0; at < static_cast<std::size_t>(size);) {
        const char* name = names.data() + at;
        at += std::strlen(name) + 1;
        const ssize_t length = ::fgetxattr(from, name, nullptr, 0);
        if (length < 0) {
            continue;
        }
        value.resize(static_cast<std::size_t>(length));
        const ssize_t got = ::fgetxattr(from, name, value.data(), value.size());
        if (got >= 0) {
            ::fsetxattr(to, name, value.data(), static_cast<std::size_t>(got), 0);
        }
    }
}

bool sameFile(const struct stat& info, std::uint64_t device, std::uint64_t inode) {
    return static_cast<std::uint64_t>(info.st_dev) == device &&
           static_cast<std::uint64_t>(info.st_ino) == inode;
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
    int descriptor() const { return fd_; }

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
    bool takeAttributesOf(const ByteSource& original) override {
        const auto* file = dynamic_cast<const FileSource*>(&original);
        struct stat info {};
        if (file == nullptr || ::fstat(file->descriptor(), &info) != 0) {
            return false;
        }
        // The owner too, where this process may give it (it may not, unless
        // it runs as the superuser; then the file is the runner's).
        if (::fchown(fd_, info.st_uid, info.st_gid) != 0) {
            errno = 0;
        }
        copyExtendedAttributes(file->descriptor(), fd_);
        errno = 0;
        return ::fchmod(fd_, info.st_mode & 07777) == 0;
    }
    bool close() override {
        closed_ = true;
        return !owned_ || ::close(fd_) == 0;
    }

  private:
    int fd_;
    bool owned_;
    bool closed_ = false;
};

int statAt(int dirFd, const std::string& name, struct stat& info) {
    return ::fstatat(dirFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW);
}

// The lock file beside the temporary file. It is only ever empty, and it
// goes when the run lets go of it.
constexpr const char* LockName = "PG$TABLE.LCK";

// Holds a write lock on the lock file, which it removes (while still
// holding it) when let go: a run that waited on the removed file finds the
// name gone and makes a new one.
class LockFile : public FolderLock {
  public:
    LockFile(int dirFd, int fd) : dirFd_(dirFd), fd_(fd) {}
    ~LockFile() override {
        struct stat held {};
        struct stat named {};
        if (::fstat(fd_, &held) == 0 && statAt(dirFd_, LockName, named) == 0 &&
            sameFile(named, static_cast<std::uint64_t>(held.st_dev),
                     static_cast<std::uint64_t>(held.st_ino))) {
            ::unlinkat(dirFd_, LockName, 0);
        }
        ::close(fd_);
    }

  private:
    int dirFd_;
    int fd_;
};

class RealFolder : public Folder {
  public:
    // `linkOwners`: the owners of links followed to reach the destination
    // who are neither this user nor the superuser.
    RealFolder(int fd, std::string path, std::vector<uid_t> linkOwners)
        : fd_(fd), path_(std::move(path)), linkOwners_(std::move(linkOwners)) {}
    ~RealFolder() override { ::close(fd_); }

    const std::string& path() const override { return path_; }
    void trustOnly(std::vector<uid_t> linkOwners) { linkOwners_ = std::move(linkOwners); }

    std::unique_ptr<ByteSource> openRead(const std::string& name) override {
        if (namesNoFile(name)) {
            return nullptr;
        }
        int fd =
            ::openat(fd_, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
        struct stat info {};
        if (!openedRegular(fd, info)) {
            return nullptr;
        }
        for (uid_t owner : linkOwners_) {
            if (info.st_uid != owner) {
                // Another user's link leads to a file not its own.
                ::close(fd);
                errno = EPERM;
                return nullptr;
            }
        }
        return std::make_unique<FileSource>(fd, identityOf(info));
    }

    std::unique_ptr<ByteSink> createNew(const std::string& name) override {
        if (namesNoFile(name)) {
            return nullptr;
        }
        // A file left by an earlier run is replaced by a new one, never
        // written through: what stands under the name (a link planted to
        // some other file, say) is removed, and the new file must not exist
        // yet. The file is its owner's alone until it takes the
        // destination's permission bits just before the replacement.
        ::unlinkat(fd_, name.c_str(), 0);
        int fd =
            ::openat(fd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        struct stat info {};
        if (!openedRegular(fd, info)) {
            return nullptr;
        }
        made_[name] = {static_cast<std::uint64_t>(info.st_dev),
                       static_cast<std::uint64_t>(info.st_ino)};
        return std::make_unique<FileSink>(fd, true);
    }

    Replaced replace(const std::string& from, const std::string& to,
                     const Identity& original) override {
        const auto made = made_.find(from);
        struct stat temp {};
        struct stat destination {};
        if (made == made_.end() || statAt(fd_, from, temp) != 0 || !S_ISREG(temp.st_mode) ||
            !sameFile(temp, made->second.first, made->second.second)) {
            return Replaced::TempChanged;
        }
        if (statAt(fd_, to, destination) != 0 ||
            !sameFile(destination, original.device, original.inode)) {
            return Replaced::DestinationChanged;
        }
        if (::renameat(fd_, from.c_str(), fd_, to.c_str()) != 0) {
            return Replaced::Failed;
        }
        made_.erase(made);
        ::fsync(fd_); // the rename itself made durable, where the folder can be synced
        return Replaced::Done;
    }

    void remove(const std::string& name) override {
        if (!namesNoFile(name)) {
            ::unlinkat(fd_, name.c_str(), 0);
        }
    }

    std::unique_ptr<FolderLock> lock(std::optional<unsigned> seconds,
                                     const std::function<void()>& waiting,
                                     Locked& result) override {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::seconds(seconds.value_or(0));
        bool told = false;
        for (int attempt = 0;;) {
            int fd = openLockFile(result);
            if (fd < 0) {
                return nullptr;
            }
            struct flock whole {};
            whole.l_type = F_WRLCK;
            whole.l_whence = SEEK_SET;
            if (::fcntl(fd, F_SETLK, &whole) == 0) {
                // Still the file under the name? Else its holder removed it
                // on letting go, and the next run makes a new one.
                struct stat held {};
                struct stat named {};
                if (::fstat(fd, &held) == 0 && statAt(fd_, LockName, named) == 0 &&
                    sameFile(named, static_cast<std::uint64_t>(held.st_dev),
                             static_cast<std::uint64_t>(held.st_ino))) {
                    result = Locked::Yes;
                    return std::make_unique<LockFile>(fd_, fd);
                }
                ::close(fd);
                if (++attempt > 1000) {
                    result = Locked::Failed;
                    return nullptr;
                }
                continue;
            }
            const int error = errno;
            ::close(fd);
            if (error != EAGAIN && error != EACCES && error != EINTR) {
                result = Locked::Failed;
                return nullptr;
            }
            if (!told) {
                told = true;
                waiting();
            }
            // Polled, so that no signal handler is needed: the lock is taken
            // within a tenth of a second of its release.
            if (seconds && std::chrono::steady_clock::now() >= deadline) {
                result = Locked::TimedOut;
                return nullptr;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }

    bool openToAll() override {
        struct stat info {};
        return ::fstat(fd_, &info) == 0 && (info.st_mode & S_IWOTH) != 0 &&
               (info.st_mode & S_ISVTX) == 0;
    }

    int probeWrite(const std::string& name) override {
        if (::faccessat(fd_, ".", W_OK | X_OK, AT_EACCESS) != 0) {
            return errno;
        }
        struct stat folder {};
        struct stat destination {};
        const uid_t self = ::geteuid();
        if (self != 0 && ::fstat(fd_, &folder) == 0 && (folder.st_mode & S_ISVTX) != 0 &&
            folder.st_uid != self && statAt(fd_, name, destination) == 0 &&
            destination.st_uid != self) {
            return EPERM;
        }
        struct stat info {};
        if (statAt(fd_, LockName, info) == 0 && S_ISREG(info.st_mode) && info.st_size == 0 &&
            info.st_uid == ::geteuid() && ::faccessat(fd_, LockName, W_OK, AT_EACCESS) != 0) {
            return errno;
        }
        return 0;
    }

    std::unique_ptr<ByteSink> openAppend(const std::string& name, bool& endsLine) override {
        endsLine = true;
        if (namesNoFile(name)) {
            errno = ENOENT;
            return nullptr;
        }
        // Nothing but a regular file is even opened (opening some devices
        // does something, a FIFO would hold the run for ever); what was
        // opened is checked again. A new log is 0640: its lines name the
        // system's files and errors, which are not for every user to read,
        // while the group (the mail system's, say) may.
        struct stat named {};
        if (statAt(fd_, name, named) == 0 && !S_ISREG(named.st_mode)) {
            errno = S_ISLNK(named.st_mode) ? ELOOP : S_ISDIR(named.st_mode) ? EISDIR : 0;
            return nullptr;
        }
        const int flags = O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
        int fd = ::openat(fd_, name.c_str(), O_RDWR | flags, 0640);
        const bool readable = fd >= 0;
        if (fd < 0 && errno == EACCES) {
            fd = ::openat(fd_, name.c_str(), O_WRONLY | flags, 0640);
        }
        struct stat info {};
        if (fd < 0) {
            return nullptr;
        }
        if (!openedRegular(fd, info)) {
            errno = 0;
            return nullptr;
        }
        if (readable && info.st_size > 0) {
            char last = '\n';
            if (::pread(fd, &last, 1, info.st_size - 1) == 1) {
                endsLine = last == '\n';
            }
        }
        return std::make_unique<FileSink>(fd, true);
    }

    int probeAppend(const std::string& name) override {
        struct stat info {};
        if (namesNoFile(name)) {
            return ENOENT;
        }
        if (statAt(fd_, name, info) != 0) {
            return errno != ENOENT                                       ? errno
                   : ::faccessat(fd_, ".", W_OK | X_OK, AT_EACCESS) != 0 ? errno
                                                                         : 0;
        }
        if (!S_ISREG(info.st_mode)) {
            return S_ISLNK(info.st_mode) ? ELOOP : S_ISDIR(info.st_mode) ? EISDIR : -1;
        }
        return ::faccessat(fd_, name.c_str(), W_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) != 0 ? errno
                                                                                           : 0;
    }

  private:
    // Opens the lock file for writing, making it when missing: only this
    // user (and the superuser) can open it so. Anything else under its name
    // (a link, another user's file, a second name of a file) that is no
    // file with content is removed first; a file with content is left alone
    // and refused.
    int openLockFile(Locked& result) {
        for (int attempt = 0; attempt < 8; ++attempt) {
            int fd =
                ::openat(fd_, LockName,
                         O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
            if (fd >= 0) {
                return fd;
            }
            if (errno != EEXIST) {
                result = errno == EACCES || errno == EPERM || errno == EROFS ? Locked::NotWritable
                                                                             : Locked::Failed;
                return -1;
            }
            struct stat info {};
            if (statAt(fd_, LockName, info) != 0) {
                continue; // gone meanwhile
            }
            const bool empty = S_ISREG(info.st_mode) && info.st_size == 0;
            if (S_ISREG(info.st_mode) && !empty) {
                break;
            }
            if (empty && info.st_nlink == 1 && info.st_uid == ::geteuid()) {
                fd = ::openat(fd_, LockName, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
                struct stat opened {};
                if (fd >= 0 && ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
                    opened.st_uid == ::geteuid() && opened.st_nlink == 1) {
                    return fd;
                }
                if (fd >= 0) {
                    ::close(fd);
                }
                continue;
            }
            if (::unlinkat(fd_, LockName, 0) != 0 && errno != ENOENT) {
                break;
            }
        }
        result = Locked::Failed;
        return -1;
    }

    int fd_;
    std::string path_;
    std::vector<uid_t> linkOwners_;
    // The files createNew made, by name: device and inode.
    std::map<std::string, std::pair<std::uint64_t, std::uint64_t>> made_;
};

// The private copy of a --diff run, removed when a signal stops the run.
char stoppedRunRemoves[4096] = "";

void removeAndStop(int signal) {
    if (stoppedRunRemoves[0] != '\0') {
        ::unlink(stoppedRunRemoves);
    }
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

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

std::unique_ptr<ByteSink> RealDisk::standardOutput() {
    return std::make_unique<FileSink>(1, false);
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

void RealDisk::remove(const std::string& path) {
    if (!namesNoFile(path)) {
        ::unlink(path.c_str());
    }
    if (path == stoppedRunRemoves) {
        stoppedRunRemoves[0] = '\0';
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

std::unique_ptr<Folder> RealDisk::openFolderOf(const std::string& path, std::string& name) {
    if (namesNoFile(path)) {
        errno = ENOENT;
        return nullptr;
    }
    // Links in the last part are followed here, each once, so that the
    // destination's own folder is the one held open; a link of another user
    // may lead only to that user's file (checked when the file is opened).
    std::string target = path;
    std::vector<uid_t> linkOwners;
    for (int hops = 0;; ++hops) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            break;
        }
        if (hops == 40) {
            errno = ELOOP;
            return nullptr;
        }
        std::string link(static_cast<std::size_t>(info.st_size) + 1, '\0');
        const ssize_t size = ::readlink(target.c_str(), link.data(), link.size());
        if (size < 0 || static_cast<std::size_t>(size) >= link.size()) {
            break; // changed meanwhile: opening the name will refuse it
        }
        link.resize(static_cast<std::size_t>(size));
        if (info.st_uid != 0 && info.st_uid != ::geteuid()) {
            linkOwners.push_back(info.st_uid);
        }
        target = link.starts_with('/') ? link : splitPath(target).dir + link;
    }
    PathParts parts = splitPath(target);
    const std::string folder = parts.dir;
    parts.dir.clear();
    name = makePath(parts);
    std::unique_ptr<Folder> opened = openFolder(folder);
    if (opened) {
        static_cast<RealFolder&>(*opened).trustOnly(std::move(linkOwners));
    }
    return opened;
}

std::unique_ptr<Folder> RealDisk::openFolder(const std::string& path) {
    if (namesNoFile(path)) {
        errno = ENOENT;
        return nullptr;
    }
    int fd = openRetrying(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    return std::make_unique<RealFolder>(fd, path, std::vector<uid_t>{});
}

std::unique_ptr<ByteSink> RealDisk::createPrivate(std::string& path) {
    const char* folder = std::getenv("TMPDIR");
    std::string name = (folder != nullptr && *folder != '\0') ? folder : "/tmp";
    name += "/spokeway.XXXXXX";
    if (name.size() >= sizeof stoppedRunRemoves) {
        errno = ENAMETOOLONG;
        return nullptr;
    }
    // A run stopped by a signal removes the copy before it ends as the
    // signal would end it; the signals wait while the name is noted.
    sigset_t stopping;
    sigset_t before;
    sigemptyset(&stopping);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&stopping, signal);
    }
    ::sigprocmask(SIG_BLOCK, &stopping, &before);
    // mkstemp creates the file new, readable and writable by this user only.
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) {
        std::memcpy(stoppedRunRemoves, name.c_str(), name.size() + 1);
        struct sigaction action {};
        action.sa_handler = removeAndStop;
        sigemptyset(&action.sa_mask);
        for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
            struct sigaction old {};
            // A signal ignored when the run began (nohup) stays ignored.
            if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler != SIG_IGN) {
                ::sigaction(signal, &action, nullptr);
            }
        }
    }
    const int error = errno;
    ::sigprocmask(SIG_SETMASK, &before, nullptr);
    errno = error;
    if (fd < 0) {
        return nullptr;
    }
    path = name;
    return std::make_unique<FileSink>(fd, true);
}

int runProgram(const std::vector<std::string>& arguments, ByteSink& output, bool& outputFailed) {
    outputFailed = false;
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    // Its standard output comes through a pipe, so that a failure to write
    // it is told from a failure of the program.
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    pid_t child = 0;
    const int spawned = ::posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawned != 0) {
        ::close(pipeEnds[0]);
        return -1;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        for (ssize_t done = 0; done < got && !outputFailed;) {
            const long n = output.write(buffer + done, static_cast<std::size_t>(got - done));
            outputFailed = n <= 0;
            done += n > 0 ? n : 0;
        }
        if (outputFailed) {
            break; // the program finds its output gone and ends
        }
    }
    ::close(pipeEnds[0]);
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
