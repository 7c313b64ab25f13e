// The small layer over the operating system: text read a whole line at a
// time, output with checked writes, path parts, the console stream and
// the local time text. The file system itself is behind Disk (disk.hpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

// Where a reader's bytes come from: a file, or whatever a test puts there.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Reads up to `size` bytes; 0 at the end, -1 on a read error.
    virtual long read(char* data, std::size_t size) = 0;
    // Starts again from the beginning; false on failure.
    virtual bool rewind() = 0;

    // What tells this file from another, and from itself after a change:
    // device, inode, size, the times of the last change to its bytes and to
    // the file as a whole (its mode and owner too).
    struct Identity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
        std::int64_t modified = 0;
        std::int64_t changed = 0;
        bool operator==(const Identity&) const = default;
    };
    virtual Identity identity() const = 0;
};

// Where an output file's bytes go.
class ByteSink {
  public:
    virtual ~ByteSink() = default;
    // Writes some of the bytes; the count written, or -1 on failure.
    virtual long write(const char* data, std::size_t size) = 0;
    // Makes what was written durable.
    virtual bool sync() = 0;
    // Closes; false if the close reports a failure. Called once.
    virtual bool close() = 0;
    // Gives this file the permission bits and, where this process may give
    // them, the owner and extended attributes of the file `original` was
    // opened on, through the two descriptors; false when they cannot be
    // told or the bits cannot be set.
    virtual bool takeAttributesOf(const ByteSource& original) {
        (void)original;
        return false;
    }
};

// A text file opened for reading. Input ends at the end of the file or at
// the first Ctrl-Z (0x1A). A line is returned with its line feed, if any; a
// carriage return stays in the line. NUL bytes are ordinary characters.
class TextReader {
  public:
    using Identity = ByteSource::Identity;

    explicit TextReader(std::unique_ptr<ByteSource> source, std::size_t bufferSize = 32768);
    TextReader(const TextReader&) = delete;
    TextReader& operator=(const TextReader&) = delete;

    // Reads the next line into `line`, whole however long it is.
    // False at the end of input (or on a read error, see failed()).
    bool readLine(std::string& line);
    // The same as a view: into the buffer while the line lies whole in it,
    // else into `spill`. The view lasts until the next read.
    bool readLine(std::string_view& line, std::string& spill);
    // Starts again from the beginning of the file.
    bool rewind();
    // A read error occurred.
    bool failed() const { return readError_; }
    Identity identity() const { return source_->identity(); }
    const ByteSource& source() const { return *source_; }
    // The file's bytes as they are, for a reader done with its lines.
    ByteSource& source() { return *source_; }

  private:
    bool fill();

    std::unique_ptr<ByteSource> source_;
    std::size_t capacity_;
    std::unique_ptr<char[]> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool atEnd_ = false;
    bool readError_ = false;
    bool ctrlZBuffered_ = false; // the buffer holds a Ctrl-Z somewhere
};

// An output file: a stream whose writes are all checked.
class OutputFile {
  public:
    // `durable`: close() syncs the file before closing it.
    explicit OutputFile(std::unique_ptr<ByteSink> sink, bool durable = true);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    std::ostream& stream() { return stream_; }
    ByteSink& sink() { return *sink_; }
    // Writes out what is buffered, syncs (when durable) and closes; false if
    // any write, the sync or the close failed.
    bool close();
    // The system's reason for the first failure (errno), 0 when none was given.
    int error() const { return error_ ? error_ : buffer_.error(); }

  private:
    class Buffer : public std::streambuf {
      public:
        explicit Buffer(ByteSink& sink);
        bool flushAll();
        bool failed() const { return failed_; }
        int error() const { return error_; }

      protected:
        int_type overflow(int_type ch) override;
        std::streamsize xsputn(const char* s, std::streamsize n) override;
        int sync() override;

      private:
        ByteSink& sink_;
        std::vector<char> data_;
        bool failed_ = false;
        int error_ = 0;
    };

    std::unique_ptr<ByteSink> sink_;
    bool durable_;
    Buffer buffer_;
    std::ostream stream_;
    bool closed_ = false;
    int error_ = 0;
};

// An exclusive lock on a folder, held until destroyed.
class FolderLock {
  public:
    virtual ~FolderLock() = default;
};

// A path split into its parts (drive, directory, base name, extension). On
// POSIX there is no drive; the directory keeps its trailing '/', and the
// extension starts at the last '.' of the file name and keeps it.
struct PathParts {
    std::string drive;
    std::string dir;
    std::string name;
    std::string ext;
};
PathParts splitPath(std::string_view path);
// Joins the parts; a '.' goes between name and extension unless the extension
// is empty or already begins with one.
std::string makePath(const PathParts& parts);

// '?' matches one character, '*' any run of characters; nothing else is special.
bool wildcardMatch(std::string_view pattern, std::string_view name);

// Standard error with a buffer of its own: text comes out when the stream is
// flushed (and at exit), so that many small writes cost one system call.
std::ostream& consoleStream();

// The local time in the form "Www Mmm dd hh:mm:ss yyyy\n".
std::string localTimeText(std::time_t time);
