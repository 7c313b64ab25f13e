// Where the table goes. The WriteTo line opens the run's output, the writers
// write into its stream, and the run commits it at the end (or abandons it
// when it stops early). A splice into the destination file and standard
// output are the two kinds.
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>

#include "driver/region_check.hpp"
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
    // Opening failed because the output could not be written (not because
    // of the configuration or the destination's content).
    virtual bool writeFailed() const { return false; }
    // Stops without finishing and leaves nothing behind (no temporary file).
    virtual void discard() { abandon(); }
    // The run writes files (the destination, its log); the others only look.
    virtual bool writesFiles() const { return false; }
    // The destination's region as it was read, when it was kept (to tell
    // what the new table drops); null when not.
    virtual const OldRegion* oldRegion() const { return nullptr; }

    // Asked before open: the destination's lines around the table are kept,
    // so that the new file can be read whole before it is written.
    void keepSurroundings() { keepSurroundings_ = true; }
    // The destination's lines up to the begin marker line and after the old
    // end marker line, and its name as the configuration gives it; false
    // when they were not kept or cannot be read.
    struct Surroundings {
        std::string name;
        std::string head;
        std::string tail;
    };
    virtual bool surroundings(Surroundings&) { return false; }

  protected:
    bool keepSurroundings_ = false;
};

// Splices the table into the destination between its markers, through a
// temporary file in the destination's folder that replaces the destination
// in one step. The folder stays locked from open to commit or abandon.
// As a diff, the new file is made in a private temporary file instead, and
// the unified diff from the destination to it is printed; nothing is locked
// or replaced.
class Splice : public TableOutput {
  public:
    enum class Mode { Replace, Diff };
    Splice(Disk& disk, Console& console, Mode mode = Mode::Replace)
        : disk_(disk), console_(console), mode_(mode) {}
    ~Splice() override { abandon(); }

    // How long a run waits for another run's lock on the folder, unless told.
    static constexpr unsigned DefaultWaitSeconds = 300;
    // How long to wait for another run's lock on the folder (none: the
    // default, and the wait is told only to the log); timedOut() tells that
    // open failed because of it.
    void setWait(std::optional<unsigned> seconds) { waitSeconds_ = seconds; }
    bool timedOut() const { return timedOut_; }
    // The destination is kept as it is when the new file differs from it at
    // most in this text (the header's time); unchanged() tells that commit
    // kept it.
    void keepWhenOnlyDiffering(std::string timeText) { ignoredTime_ = std::move(timeText); }
    bool unchanged() const { return unchanged_; }

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
    bool writeFailed() const override { return writeFailed_; }

    void discard() override;
    bool writesFiles() const override { return mode_ == Mode::Replace; }
    const OldRegion* oldRegion() const override {
        return region_.beginLine != 0 ? &region_ : nullptr;
    }
    bool surroundings(Surroundings& kept) override;

    // The temporary file of a destination: PG$TABLE.$$$ beside it.
    static std::string temporaryPathFor(const std::string& destination);
    static constexpr const char* TemporaryName = "PG$TABLE.$$$";

  private:
    bool lock(const std::string& destination);
    bool sameButTime();
    bool replace();
    bool printDiff();
    void removeTemporary();

    Disk& disk_;
    Console& console_;
    Mode mode_;
    std::optional<unsigned> waitSeconds_;
    bool timedOut_ = false;
    std::optional<std::string> ignoredTime_;
    bool unchanged_ = false;
    std::string destinationName_;    // as the configuration gives it
    std::unique_ptr<Folder> folder_; // the destination's, links followed
    std::string name_;               // the destination's name in it
    std::string tempPath_;
    std::unique_ptr<FolderLock> lock_;
    std::unique_ptr<TextReader> destination_;
    std::unique_ptr<OutputFile> output_;
    bool crlf_ = false;
    bool writeFailed_ = false;
    OldRegion region_;
    // Kept when asked: the head as copied, and the tail once read (commit
    // then writes it from here).
    std::string head_;
    std::optional<std::string> tail_;
    bool tailReadOk_ = true;
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

// Reads the destination as a splice would, to find its markers, and writes
// nothing: no lock, no temporary file, the destination untouched (--check).
// What is wrong with it goes to the diagnostics too, with its name and the
// system's reason.
class CheckedDestination : public TableOutput {
  public:
    CheckedDestination(Disk& disk, Console& console) : disk_(disk), console_(console) {}

    bool open(const std::string& destination, const std::string& beginMarker,
              const std::string& endMarker) override;
    bool isOpen() const override { return open_; }
    // The table's lines go nowhere.
    std::ostream& stream() override { return nowhere_; }
    bool crlf() const override { return crlf_; }
    bool commit(const std::string&) override { return open_; }
    void abandon() override { open_ = false; }
    const OldRegion* oldRegion() const override { return open_ ? &region_ : nullptr; }
    bool surroundings(Surroundings& kept) override;
    // The destination as the configuration names it, and its lines above the
    // begin marker, for the checks of what the consumer reads there.
    const std::string& name() const { return name_; }
    const std::string& head() const { return head_; }

  private:
    Disk& disk_;
    Console& console_;
    std::string name_;
    std::string head_;
    std::ostream nowhere_{nullptr};
    bool open_ = false;
    bool crlf_ = false;
    OldRegion region_;
    Surroundings kept_;
};
