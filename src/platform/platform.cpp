#include "platform/platform.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

constexpr char CtrlZ = 0x1A;

} // namespace

// ---- TextReader ----

TextReader::TextReader(std::unique_ptr<ByteSource> source, std::size_t bufferSize)
    : source_(std::move(source)), capacity_(bufferSize < 512 ? 512 : bufferSize),
      buffer_(new char[capacity_]) {}

bool TextReader::fill() {
    if (atEnd_) {
        return false;
    }
    long n = source_->read(buffer_.get(), capacity_);
    if (n <= 0) {
        if (n < 0) {
            readError_ = true;
        }
        atEnd_ = true;
        return false;
    }
    begin_ = 0;
    end_ = static_cast<std::size_t>(n);
    ctrlZBuffered_ = std::memchr(buffer_.get(), CtrlZ, end_) != nullptr;
    return true;
}

bool TextReader::readLine(std::string& line) {
    line.clear();
    for (;;) {
        if (begin_ == end_ && !fill()) {
            break;
        }
        const char* start = buffer_.get() + begin_;
        const std::size_t avail = end_ - begin_;
        const void* newline = std::memchr(start, '\n', avail);
        const std::size_t upTo =
            newline == nullptr
                ? avail
                : static_cast<std::size_t>(static_cast<const char*>(newline) - start) + 1;
        if (const void* ctrlZ = std::memchr(start, CtrlZ, upTo)) {
            // Text ends at a Ctrl-Z: nothing from it on is read.
            line.append(start, static_cast<std::size_t>(static_cast<const char*>(ctrlZ) - start));
            begin_ = end_;
            atEnd_ = true;
            break;
        }
        line.append(start, upTo);
        begin_ += upTo;
        if (newline != nullptr) {
            return true;
        }
    }
    return !line.empty();
}

bool TextReader::readLine(std::string_view& line, std::string& spill) {
    const char* start = buffer_.get() + begin_;
    const std::size_t avail = end_ - begin_;
    const void* newline = avail == 0 ? nullptr : std::memchr(start, '\n', avail);
    if (newline != nullptr) {
        const auto upTo = static_cast<std::size_t>(static_cast<const char*>(newline) - start) + 1;
        if (!ctrlZBuffered_ || std::memchr(start, CtrlZ, upTo) == nullptr) {
            line = std::string_view(start, upTo);
            begin_ += upTo;
            return true;
        }
    }
    const bool read = readLine(spill);
    line = spill;
    return read;
}

bool TextReader::rewind() {
    if (!source_->rewind()) {
        readError_ = true;
        return false;
    }
    begin_ = end_ = 0;
    atEnd_ = false;
    return true;
}

// ---- OutputFile ----

OutputFile::OutputFile(std::unique_ptr<ByteSink> sink, bool durable)
    : sink_(std::move(sink)), durable_(durable), buffer_(*sink_), stream_(&buffer_) {}

OutputFile::~OutputFile() {
    if (!closed_) {
        sink_->close();
    }
}

bool OutputFile::close() {
    if (closed_) {
        return false;
    }
    closed_ = true;
    bool ok = buffer_.flushAll() && !buffer_.failed();
    errno = 0;
    if (ok && durable_ && !sink_->sync()) {
        ok = false;
        error_ = errno;
    }
    errno = 0;
    if (!sink_->close()) {
        ok = false;
        error_ = error_ ? error_ : errno;
    }
    return ok;
}

OutputFile::Buffer::Buffer(ByteSink& sink) : sink_(sink) {
    data_.reserve(65536);
}

bool OutputFile::Buffer::flushAll() {
    std::size_t done = 0;
    while (!failed_ && done < data_.size()) {
        errno = 0;
        long n = sink_.write(data_.data() + done, data_.size() - done);
        if (n <= 0) {
            failed_ = true;
            error_ = errno;
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
