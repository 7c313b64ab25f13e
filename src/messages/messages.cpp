#include "messages/messages.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <ctime>
#include <iterator>

namespace {

constexpr std::string_view Texts[] = {
    "\nCannot allocate memory.",
    "\nCannot open config file.",
    "Cannot open file.",
    "\nCannot open temp file.",
    "\nCannot open dest file.",
    "\nUnsupported route type.",
    "\nIllegal value of \"Minimized\".",
    "Illegal quoted string.",
    "\nMissing or illegal main address.",
    "\nMissing \"RouteType\" keyword.",
    "\nMissing \"Minimize\" keyword. YES Accepted.",
    "\nMissing \"RouteEnd\" in dest file.",
    "\nMissing \"RouteBegin\" in dest file.",
    "Bad \"SpokeWay\" definition.",
    "\n%s is routed via us, but missing in \"Link\" definitions.\n 'DefaultFlavor' assumed.",
    "\nRe-routing for %s.",
    "\nRouteLoop detected for %s. Try to route by default",
    "\nCannot minimize tree because of low memory",
    "\nMissing \"WriteTo\" keyword.",
    "Repeated \"WriteTo\" keyword.",
    "\nCannot write temp file.",
    "\nCannot replace dest file.",
    "\nMissing \"RouteBegin\" keyword.",
    "\nMissing \"RouteEnd\" keyword.",
    "\nCannot lock dest folder.",
    "\nCannot write standard output.",
    "\nUnknown option \"%s\".",
    "\nOption \"%s\" needs a valid value.",
    "\nRouting unchanged, dest file left as it was.",
    "\nWaiting for the run that holds %s...",
    "\nGave up waiting for the run that holds %s.",
    "\nCannot write log file %s.",
    "\nCannot compare with dest file.",
    "\nFolder %s is writable by every user and not sticky: refused.",
    "\nCannot replace dest file: %s was changed by another process.",
    "\nCannot create a file in the temporary folder %s.",
    "\nSOURCE_DATE_EPOCH \"%s\" is no time the header can show.",
};

static_assert(std::size(Texts) == static_cast<std::size_t>(Message::BadSourceDate) + 1,
              "every message has a text");

// Where each text's "%s" stands.
constexpr auto FillPlaces = [] {
    std::array<std::size_t, std::size(Texts)> places{};
    for (std::size_t k = 0; k < places.size(); ++k) {
        places[k] = Texts[k].find("%s");
    }
    return places;
}();

// The log's severity marks: information, a warning (the run goes on), an
// error.
constexpr char Information = '+';
constexpr char Warning = '*';
constexpr char Error = '!';

char markOf(Message message) {
    switch (message) {
    case Message::MissingMinimize:
    case Message::RoutedViaUs:
    case Message::Rerouting:
    case Message::RouteLoop:
    case Message::MinimizeMemory:
    case Message::WriteLog:
        return Warning;
    case Message::Unchanged:
    case Message::WaitingForLock:
        // Progress: not shown by a quiet console.
        return Information;
    default:
        return Error;
    }
}

int rank(char mark) {
    return mark == Error ? 3 : mark == Warning ? 2 : mark == Information ? 1 : 0;
}

// "07 Dec 13:01:36": the day, month and time of a log line.
std::string logTime(std::time_t now) {
    struct tm parts {};
    char text[32] = "?? ??? ??:??:??";
    if (::localtime_r(&now, &parts) != nullptr) {
        std::strftime(text, sizeof text, "%d %b %H:%M:%S", &parts);
    }
    return text;
}

} // namespace

const std::span<const std::string_view> MessageTexts(Texts);

void Console::say(std::string_view text) {
    show(text, Information);
}

void Console::sayLater(std::string_view text) {
    show(text, Information, false);
}

Console::~Console() {
    flush();
}

void Console::put(std::string_view text) {
    held_.append(text);
    if (held_.size() >= HeldLimit) {
        writeHeld();
    }
}

void Console::writeHeld() {
    stream_->write(held_.data(), static_cast<std::streamsize>(held_.size()));
    held_.clear();
}

void Console::flush() {
    writeHeld();
    stream_->flush();
    if (!heldLog_.empty()) {
        writeLog();
    }
}

void Console::show(std::string_view text, char mark, bool flush) {
    if (!quiet_) {
        show({text}, mark, flush);
        return;
    }
    log(text, mark);
    if (mark == Information) {
        // Kept back in case a message continues the line ("Cannot open file."
        // after "Scanning route file x...").
        const std::size_t lineFeed = text.rfind('\n');
        heldProgress_ = lineFeed == std::string_view::npos ? heldProgress_ + std::string(text)
                                                           : std::string(text.substr(lineFeed + 1));
        return;
    }
    std::string shown(text);
    if (!shown.starts_with('\n') && !heldProgress_.empty()) {
        shown = "\n" + heldProgress_ + shown;
    }
    heldProgress_.clear();
    if (!shownQuietly_ && shown.starts_with('\n')) {
        shown.erase(0, 1);
    }
    shownQuietly_ = true;
    put(shown);
    this->flush();
}

void Console::show(std::initializer_list<std::string_view> parts, char mark, bool flush) {
    if (quiet_) {
        std::string text;
        for (std::string_view part : parts) {
            text += part;
        }
        show(text, mark, flush);
        return;
    }
    for (std::string_view part : parts) {
        log(part, mark);
        put(part);
    }
    if (flush) {
        this->flush();
    }
}

void Console::log(std::string_view text, char mark) {
    if (logKnown_ && !log_) {
        return; // no log file
    }
    for (;;) {
        const std::size_t lineFeed = text.find('\n');
        const std::string_view piece = text.substr(0, lineFeed);
        if (!piece.empty()) {
            logLine_ += piece;
            if (rank(mark) > rank(logMark_)) {
                logMark_ = mark;
            }
        }
        if (lineFeed == std::string_view::npos) {
            return;
        }
        endLogLine();
        text.remove_prefix(lineFeed + 1);
    }
}

void Console::logDetail(std::string_view text) {
    logLine_ += " (";
    logLine_ += text;
    logLine_ += ")";
}

void Console::logEvent(char mark, std::string_view text) {
    endLogLine();
    logLine_ = text;
    logMark_ = mark;
    endLogLine();
}

void Console::endLogLine() {
    const std::size_t first = logLine_.find_first_not_of(" \t\r");
    if (first != std::string::npos) {
        const std::size_t last = logLine_.find_last_not_of(" \t\r");
        // The time is put into words once a second (a run may log millions
        // of re-routings).
        const std::time_t now = std::time(nullptr);
        if (now != logSecond_) {
            logSecond_ = now;
            logStamp_ = logTime(now);
        }
        if (!logKnown_ || log_) {
            std::string& line = logKnown_ ? heldLog_ : keptLines_.emplace_back();
            line += logMark_ == ' ' ? Information : logMark_;
            line += ' ';
            line += logStamp_;
            line += " SPKW ";
            line.append(logLine_, first, last + 1 - first);
            line += '\n';
            if (logKnown_ && heldLog_.size() >= HeldLimit) {
                writeLog();
            }
        }
    }
    logLine_.clear();
    logMark_ = ' ';
}

void Console::writeLog() {
    // The lines held so far in one write, whole lines only: a write that is
    // cut short (a full disk) is not continued, so that no run's line is
    // joined to another's; the next run starts on a new line.
    if (log_ && !heldLog_.empty()) {
        errno = 0;
        const long n = log_->write(heldLog_.data(), heldLog_.size());
        if (n != static_cast<long>(heldLog_.size())) {
            // Reported once; the run goes on without its log.
            const std::string reason = systemReason(n < 0 ? errno : 0, "written only in part");
            log_.reset();
            heldLog_.clear();
            errorWith(Message::WriteLog, logName_ + " (" + reason + ")");
            return;
        }
    }
    heldLog_.clear();
}

void Console::logTo(std::unique_ptr<ByteSink> log, std::string_view name, bool endsLine) {
    logKnown_ = true;
    log_ = std::move(log);
    logName_ = name;
    if (log_) {
        if (!endsLine) {
            heldLog_ += '\n'; // the last run's last line was cut
        }
        for (const std::string& line : keptLines_) {
            heldLog_ += line;
        }
        writeLog();
    }
    keptLines_.clear();
}

void Console::finish() {
    endLogLine();
    writeLog();
    if (log_) {
        log_->close();
        log_.reset();
    }
    if (quiet_ && shownQuietly_) {
        put("\n");
    }
    flush();
}

void Console::spin(std::size_t turns) {
    if (quiet_) {
        return;
    }
    // Each step a character of "-\\|/" and a backspace, written in blocks.
    static const std::string cycle = [] {
        std::string text;
        for (int k = 0; k < 1024; ++k) {
            text += "-\\|/"[k & 3];
            text += '\b';
        }
        return text;
    }();
    while (turns > 0) {
        const std::size_t chunk = std::min<std::size_t>(turns, cycle.size() / 2 - 3);
        put(std::string_view(cycle).substr(2 * (spinnerPosition_ & 3), 2 * chunk));
        spinnerPosition_ = static_cast<std::uint8_t>((spinnerPosition_ + chunk) & 3);
        turns -= chunk;
    }
}

void Console::error(Message message) {
    show(messageText(message), markOf(message));
}

void Console::errorAt(Message message, std::string_view path, unsigned long line) {
    std::string text = "\n";
    text += path;
    text += " " + std::to_string(line) + ": ";
    text += messageText(message);
    show(text, markOf(message));
}

void Console::errorWith(Message message, std::string_view text) {
    // These come in runs (one per re-routed node, say): not flushed one by
    // one; the next message brings them out.
    const std::string_view format = messageText(message);
    const std::size_t at = FillPlaces[static_cast<std::size_t>(message)];
    if (at == std::string_view::npos) {
        show(format, markOf(message), false);
        return;
    }
    show({format.substr(0, at), text, format.substr(at + 2)}, markOf(message), false);
}
