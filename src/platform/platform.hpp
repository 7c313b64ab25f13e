// The small layer over the operating system: text files read a line at a
// time with a size limit, the output file with checked writes, path parts,
// directory listing by wildcard, file replacement and the local time text.
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

// The most characters a line read returns; a longer line comes in pieces.
constexpr std::size_t LineLimit = 29998;

// A text file opened for reading. Input ends at the end of the file or at
// the first Ctrl-Z (0x1A). A line is returned with its line feed, if any; a
// carriage return stays in the line. NUL bytes are ordinary characters.
class TextReader {
  public:
    // Opens a file (not a directory, nor a name with a NUL byte); null on failure.
    static std::unique_ptr<TextReader> open(const std::string& path,
                                            std::size_t bufferSize = 32768);
    ~TextReader();
    TextReader(const TextReader&) = delete;
    TextReader& operator=(const TextReader&) = delete;

    // Reads the next line or piece of at most `limit` characters into `line`.
    // False at the end of input (or on a read error, see failed()).
    bool readLine(std::string& line, std::size_t limit = LineLimit);
    // Starts again from the beginning of the file.
    bool rewind();
    // A read error occurred.
    bool failed() const { return readError_; }

    // What tells this file from another: device, inode, size, modification.
    struct Identity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
        std::int64_t modified = 0;
        bool operator==(const Identity&) const = default;
    };
    // As the file was when it was opened.
    Identity identity() const { return identity_; }

  private:
    TextReader(int fd, std::size_t bufferSize);
    bool fill();

    int fd_;
    std::size_t capacity_;
    std::unique_ptr<char[]> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool atEnd_ = false;
    bool readError_ = false;
    Identity identity_;
};

// The output (temporary) file: a stream whose writes are all checked.
class OutputFile {
  public:
    // Creates or empties the file; null on failure.
    static std::unique_ptr<OutputFile> create(const std::string& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    std::ostream& stream() { return stream_; }
    // Writes out what is buffered, syncs and closes; false if any write,
    // the sync or the close failed.
    bool close();

  private:
    class Buffer : public std::streambuf {
      public:
        explicit Buffer(int fd);
        bool flushAll();
        bool failed() const { return failed_; }
        int fd;

      protected:
        int_type overflow(int_type ch) override;
        std::streamsize xsputn(const char* s, std::streamsize n) override;
        int sync() override;

      private:
        std::vector<char> data_;
        bool failed_ = false;
    };

    explicit OutputFile(int fd);
    Buffer buffer_;
    std::ostream stream_;
    bool closed_ = false;
};

// An exclusive advisory lock on a folder, held until destroyed. Acquiring
// waits while another process holds it.
class DirectoryLock {
  public:
    // Null when the folder cannot be opened or locked; the caller goes on
    // without the lock then.
    static std::unique_ptr<DirectoryLock> acquire(const std::string& directory);
    ~DirectoryLock();
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

  private:
    explicit DirectoryLock(int fd) : fd_(fd) {}
    int fd_;
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

// The names of the entries of `directory` (empty: the current one) that match
// the wildcard `pattern` ('?' one character, '*' any run), in listing order.
// False when the directory cannot be listed.
bool listMatching(const std::string& directory, const std::string& pattern,
                  std::vector<std::string>& names);
// What tells the state of a folder (empty: the current one): device, inode,
// size and the time its entries last changed. False if it cannot be looked at.
bool folderIdentity(const std::string& directory, TextReader::Identity& identity);

// Moves `from` over `to` in one step, giving it the permission bits `to` had.
bool replaceFile(const std::string& from, const std::string& to);
void removeFile(const std::string& path);
// The path names the file that was opened as `file`.
bool isSameFile(const std::string& path, const TextReader::Identity& file);
// The file a symbolic link finally points to; any other path as it is.
std::string finalTarget(const std::string& path);

// Standard error with a buffer of its own: text comes out when the stream is
// flushed (and at exit), so that many small writes cost one system call.
std::ostream& consoleStream();

// The local time in the form "Www Mmm dd hh:mm:ss yyyy\n".
std::string localTimeText(std::time_t time);
