// Problems found while the configuration and its inputs are read, each at the
// file and line it concerns. A normal run collects them silently; --check and
// --strict print them in the form editors jump to ("FILE:LINE: warning: ...").
#pragma once

#include <cstddef>
#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

enum class Severity { Note, Warning, Error };

struct Diagnostic {
    std::string file;
    unsigned long line = 0; // 0: the file as a whole
    Severity severity = Severity::Warning;
    std::string text;
};

class Diagnostics {
  public:
    // The file and line being read: reports made without a place of their own
    // are made there.
    struct Place {
        std::string file;
        unsigned long line = 0;
    };
    const Place& place() const { return place_; }
    // Off: nothing is kept, and readers may leave out the tests that only
    // feed reports (a run without --check or --strict shows none).
    void setCollecting(bool collecting) { collecting_ = collecting; }
    bool collecting() const { return collecting_; }
    void setPlace(Place place) { place_ = std::move(place); }

    void report(Severity severity, std::string_view text);
    void reportAt(Severity severity, std::string_view file, unsigned long line,
                  std::string_view text);
    void warn(std::string_view text) { report(Severity::Warning, text); }
    void note(std::string_view text) { report(Severity::Note, text); }
    void fail(std::string_view text) { report(Severity::Error, text); }

    // Where a word (an address, say) was first met, for reports that name
    // two places; null when it was not noted.
    void mention(const std::string& word) {
        if (collecting_) {
            mentions_.try_emplace(word, place_);
        }
    }
    const Place* mentioned(const std::string& word) const {
        auto found = mentions_.find(word);
        return found == mentions_.end() ? nullptr : &found->second;
    }

    std::size_t count(Severity severity) const;
    const std::vector<Diagnostic>& all() const { return reports_; }
    // One line each, in the order found, of those at least as severe as `least`.
    void print(std::ostream& out, Severity least) const;

  private:
    bool collecting_ = true;
    Place place_;
    std::vector<Diagnostic> reports_;
    std::map<std::string, Place> mentions_;
};

// The system's reason for the last failure (errno), or `otherwise` when it gave none.
std::string systemReason(int error, std::string_view otherwise);
