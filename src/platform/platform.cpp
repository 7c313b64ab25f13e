#include "platform/platform.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char CtrlZ = 0x1A;

// A name with a NUL byte names no file: the system would read it only up to
// the NUL, that is as another name.
bool namesNoFile(const std::string& path) {
    return path.find('\0') != std::string::npos;
}

} // namespace

// ---- TextReader ----

std::unique_ptr<TextReader> TextReader::open(const std::string& path, std::size_t bufferSize) {
    if (namesNoFile(path)) {
        return nullptr;
    }
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    auto reader = std::unique_ptr<TextReader>(new TextReader(fd, bufferSize));
    reader->identity_ = {
        static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
        static_cast<std::int64_t>(info.st_size),
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
    return reader;
}

TextReader::TextReader(int fd, std::size_t bufferSize)
    : fd_(fd), capacity_(bufferSize < 512 ? 512 : bufferSize), buffer_(new char[capacity_]) {}

TextReader::~TextReader() {
    ::close(fd_);
}

bool TextReader::fill() {
    if (atEnd_) {
        return false;
    }
    for (;;) {
        ssize_t n = ::read(fd_, buffer_.get(), capacity_);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n < 0) {
                readError_ = true;
            }
            atEnd_ = true;
            return false;
        }
        begin_ = 0;
        end_ = static_cast<std::size_t>(n);
        return true;
    }
}

bool TextReader::readLine(std::string& line, std::size_t limit) {
    line.clear();
    if (limit == 0) {
        limit = 1;
    }
    while (line.size() < limit) {
        if (begin_ == end_ && !fill()) {
            break;
        }
        const char* start = buffer_.get() + begin_;
        std::size_t avail = end_ - begin_;
        std::size_t room = limit - line.size();
        std::size_t take = avail < room ? avail : room;
        const void* newline = std::memchr(start, '\n', take);
        std::size_t upTo =
            newline == nullptr
                ? take
                : static_cast<std::size_t>(static_cast<const char*>(newline) - start) + 1;
        if (const void* ctrlZ = std::memchr(start, CtrlZ, upTo)) {
            // Text ends at a Ctrl-Z: nothing from it on is read.
            line.append(start, static_cast<std::size_t>(static_cast<const char*>(ctrlZ) - start));
            begin_ = end_;
            atEnd_ = true;
            break;
        }
        if (newline != nullptr) {
            line.append(start, upTo);
            begin_ += upTo;
            return true;
        }
        line.append(start, take);
        begin_ += take;
    }
    return !line.empty();
}

bool TextReader::rewind() {
    if (::lseek(fd_, 0, SEEK_SET) != 0) {
        readError_ = true;
        return false;
    }
    begin_ = end_ = 0;
    atEnd_ = false;
    return true;
}

// ---- OutputFile ----

std::unique_ptr<OutputFile> OutputFile::create(const std::string& path) {
    if (namesNoFile(path)) {
        return nullptr;
    }
    // A file left by an earlier run is replaced by a new one, never written
    // through: what stands under the name (a link planted to some other
    // file, say) is removed, and the new file must not exist yet.
    ::unlink(path.c_str());
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<OutputFile>(new OutputFile(fd));
}

OutputFile::OutputFile(int fd) : buffer_(fd), stream_(&buffer_) {}

OutputFile::~OutputFile() {
    if (!closed_) {
        ::close(buffer_.fd);
    }
}

bool OutputFile::close() {
    if (closed_) {
        return false;
    }
    closed_ = true;
    bool ok = buffer_.flushAll() && !buffer_.failed();
    if (ok && ::fsync(buffer_.fd) != 0) {
        ok = false;
    }
    if (::close(buffer_.fd) != 0) {
        ok = false;
    }
    return ok;
}

OutputFile::Buffer::Buffer(int fd_) : fd(fd_) {
    data_.reserve(65536);
}

bool OutputFile::Buffer::flushAll() {
    std::size_t done = 0;
    while (!failed_ && done < data_.size()) {
        ssize_t n = ::write(fd, data_.data() + done, data_.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            failed_ = true;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    data_.clear();
    return !failed_;
}

OutputFile::Buffer::int_type OutputFile::Buffer::overflow(int_type ch) {
    if (traits_type::eq_int_type(ch, traits_type::eof())) {
        return traits_type::not_eof(ch);
    }
    char c = traits_type::to_char_type(ch);
    xsputn(&c, 1);
    return failed_ ? traits_type::eof() : ch;
}

std::streamsize OutputFile::Buffer::xsputn(const char* s, std::streamsize n) {
    if (failed_) {
        return 0;
    }
    data_.insert(data_.end(), s, s + n);
    if (data_.size() >= 65536) {
        flushAll();
    }
    return failed_ ? 0 : n;
}

int OutputFile::Buffer::sync() {
    return flushAll() ? 0 : -1;
}

// ---- folder lock ----

std::unique_ptr<DirectoryLock> DirectoryLock::acquire(const std::string& directory) {
    if (namesNoFile(directory)) {
        return nullptr;
    }
    int fd =
        ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
    return std::unique_ptr<DirectoryLock>(new DirectoryLock(fd));
}

DirectoryLock::~DirectoryLock() {
    ::close(fd_);
}

// ---- paths ----

PathParts splitPath(std::string_view path) {
    PathParts parts;
    std::size_t slash = path.find_last_of('/');
    std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    parts.dir = std::string(path.substr(0, nameStart));
    std::string_view file = path.substr(nameStart);
    std::size_t dot = file.find_last_of('.');
    if (dot == std::string_view::npos) {
        parts.name = std::string(file);
    } else {
        parts.name = std::string(file.substr(0, dot));
        parts.ext = std::string(file.substr(dot));
    }
    return parts;
}

std::string makePath(const PathParts& parts) {
    std::string path = parts.drive + parts.dir;
    if (!path.empty() && path.back() != '/') {
        path += '/';
    }
    path += parts.name;
    if (!parts.ext.empty()) {
        if (parts.ext.front() != '.') {
            path += '.';
        }
        path += parts.ext;
    }
    return path;
}

namespace {

// '?' matches one character, '*' any run of characters; nothing else is special.
bool wildcardMatch(std::string_view pattern, std::string_view name) {
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starAt = std::string_view::npos;
    std::size_t resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = n;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

} // namespace

bool listMatching(const std::string& directory, const std::string& pattern,
                  std::vector<std::string>& names) {
    names.clear();
    if (namesNoFile(directory)) {
        return false;
    }
    DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
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

bool folderIdentity(const std::string& directory, TextReader::Identity& identity) {
    struct stat info {};
    if (namesNoFile(directory) || ::stat(directory.empty() ? "." : directory.c_str(), &info) != 0) {
        return false;
    }
    identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                static_cast<std::int64_t>(info.st_size),
                static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
    return true;
}

// ---- files ----

bool replaceFile(const std::string& from, const std::string& to) {
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
    // Make the rename itself durable where the directory can be synced.
    PathParts parts = splitPath(to);
    int dirFd = ::open(parts.dir.empty() ? "." : parts.dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

void removeFile(const std::string& path) {
    if (!namesNoFile(path)) {
        ::unlink(path.c_str());
    }
}

bool isSameFile(const std::string& path, const TextReader::Identity& file) {
    struct stat info {};
    return !namesNoFile(path) && ::stat(path.c_str(), &info) == 0 &&
           static_cast<std::uint64_t>(info.st_dev) == file.device &&
           static_cast<std::uint64_t>(info.st_ino) == file.inode;
}

std::string finalTarget(const std::string& path) {
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

// ---- console ----

namespace {

class ConsoleBuffer : public std::streambuf {
  public:
    ConsoleBuffer() { setp(data_, data_ + sizeof data_); }
    ~ConsoleBuffer() override { sync(); }

  protected:
    int_type overflow(int_type ch) override {
        if (sync() != 0) {
            return traits_type::eof();
        }
        if (!traits_type::eq_int_type(ch, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(ch);
            pbump(1);
        }
        return traits_type::not_eof(ch);
    }
    int sync() override {
        const char* next = pbase();
        while (next < pptr()) {
            ssize_t n = ::write(2, next, static_cast<std::size_t>(pptr() - next));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                break; // nothing more can be said
            }
            next += n;
        }
        setp(data_, data_ + sizeof data_);
        return 0;
    }

  private:
    char data_[65536];
};

} // namespace

std::ostream& consoleStream() {
    static ConsoleBuffer buffer;
    static std::ostream stream(&buffer);
    return stream;
}

// ---- time ----

std::string localTimeText(std::time_t time) {
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    struct tm parts {};
    if (::localtime_r(&time, &parts) == nullptr) {
        return "??? ??? ?? ??:??:?? ????\n";
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %d\n", days[parts.tm_wday % 7],
                  months[parts.tm_mon % 12], parts.tm_mday, parts.tm_hour, parts.tm_min,
                  parts.tm_sec, 1900 + parts.tm_year);
    return text;
}
