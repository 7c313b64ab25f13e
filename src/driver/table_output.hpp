// Where the table goes. The WriteTo line opens the run's output, the writers
// write into its stream, and the run commits it at the end (or abandons it
// when it stops early). A splice into the destination file and standard
// output are the two kinds.
#pragma once

#include <memory>
#include <ostream>
#include <sstream>
#include <string>

#include "messages/messages.hpp"
#include "platform/disk.hpp"

class TableOutput {
  public:
    virtual ~TableOutput() = default;

    // Opens the destination and finds its markers; false, with the message
    // printed, when it cannot.
    virtual bool open(const std::string& destination, const std::string& beginMarker,
                      const std::string& endMarker) = 0;
    virtual bool isOpen() const = 0;
    // Where the table's lines go, and whether they end with CR LF (the begin
    // marker line did).
    virtual std::ostream& stream() = 0;
    virtual bool crlf() const = 0;
    // Finishes the output; false, with the message printed, when it could not.
    virtual bool commit(const std::string& endMarker) = 0;
    // Stops without finishing: nothing is replaced.
    virtual void abandon() = 0;
};

// Splices the table into the destination between its markers, through a
// temporary file in the destination's folder that replaces the destination
// in one step. The folder stays locked from open to commit or abandon.
class Splice : public TableOutput {
  public:
    Splice(Disk& disk, Console& console) : disk_(disk), console_(console) {}
    ~Splice() override { abandon(); }

    bool open(const std::string& destination, const std::string& beginMarker,
              const std::string& endMarker) override;
    bool isOpen() const override { return output_ != nullptr; }
    std::ostream& stream() override { return output_->stream(); }
    bool crlf() const override { return crlf_; }
    // Writes the end marker and the rest of the destination, then replaces it.
    bool commit(const std::string& endMarker) override;
    // The temporary file stays as written (with the destination's head) for
    // the operator to look at; the destination is untouched.
    void abandon() override;

    // The temporary file of a destination: PG$TABLE.$$$ beside it.
    static std::string temporaryPathFor(const std::string& destination);

  private:
    Disk& disk_;
    Console& console_;
    std::string target_; // the destination, links followed
    std::string tempPath_;
    std::unique_ptr<FolderLock> lock_;
    std::unique_ptr<TextReader> destination_;
    std::unique_ptr<OutputFile> output_;
    bool crlf_ = false;
};

// Takes the table nowhere, for the runs that only look at the routing
// (--explain, --graph): the destination is neither read nor locked, and no
// file is made.
class NoTableOutput : public TableOutput {
  public:
    bool open(const std::string&, const std::string&, const std::string&) override {
        open_ = true;
        return true;
    }
    bool isOpen() const override { return open_; }
    std::ostream& stream() override { return discard_; }
    bool crlf() const override { return false; }
    bool commit(const std::string&) override { return true; }
    void abandon() override {}

  private:
    bool open_ = false;
    std::ostringstream discard_;
};

// Prints the table to standard output: the lines a splice would put between
// the markers, in the line ends the destination would get. The destination
// is read to find its markers; nothing is written, locked or left behind.
class StandardOutputTable : public TableOutput {
  public:
    StandardOutputTable(Disk& disk, Console& console) : disk_(disk), console_(console) {}

    bool open(const std::string& destination, const std::string& beginMarker,
              const std::string& endMarker) override;
    bool isOpen() const override { return output_ != nullptr; }
    std::ostream& stream() override { return output_->stream(); }
    bool crlf() const override { return crlf_; }
    bool commit(const std::string& endMarker) override;
    void abandon() override { output_.reset(); }

  private:
    Disk& disk_;
    Console& console_;
    std::unique_ptr<OutputFile> output_;
    bool crlf_ = false;
};
