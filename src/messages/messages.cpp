#include "messages/messages.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <ctime>
#include <iterator>

namespace {

// Each message's text and what it is: information (progress, and what a
// run tells but needs nobody to act on), a warning, or an error.
constexpr MessageRow Rows[] = {
    {"\nCannot allocate memory.", Severity::Error},
    {"\nCannot open config file.", Severity::Error},
    {"Cannot open file.", Severity::Error},
    {"\nCannot open temp file.", Severity::Error},
    {"\nCannot open dest file.", Severity::Error},
    {"\nUnsupported route type.", Severity::Error},
    {"\nIllegal value of \"Minimized\".", Severity::Error},
    {"Illegal quoted string.", Severity::Error},
    {"\nMissing or illegal main address.", Severity::Error},
    {"\nMissing \"RouteType\" keyword.", Severity::Error},
    {"\nMissing \"Minimize\" keyword. YES Accepted.", Severity::Note},
    {"\nMissing \"RouteEnd\" in dest file.", Severity::Error},
    {"\nMissing \"RouteBegin\" in dest file.", Severity::Error},
    {"Bad \"SpokeWay\" definition.", Severity::Error},
    {"\n%s is routed via us, but missing in \"Link\" definitions.\n 'DefaultFlavor' assumed.",
     Severity::Note},
    {"\nRe-routing for %s.", Severity::Note},
    {"\nRouteLoop detected for %s. Try to route by default", Severity::Note},
    {"\nCannot minimize tree because of low memory", Severity::Warning},
    {"\nMissing \"WriteTo\" keyword.", Severity::Error},
    {"Repeated \"WriteTo\" keyword.", Severity::Error},
    {"\nCannot write temp file.", Severity::Error},
    {"\nCannot replace dest file.", Severity::Error},
    {"\nMissing \"RouteBegin\" keyword.", Severity::Error},
    {"\nMissing \"RouteEnd\" keyword.", Severity::Error},
    {"\nCannot lock dest folder.", Severity::Error},
    {"\nCannot write standard output.", Severity::Error},
    {"\nUnknown option \"%s\".", Severity::Error},
    {"\nOption \"%s\" needs a valid value.", Severity::Error},
    {"\nRouting unchanged, dest file left as it was.", Severity::Note},
    {"\nWaiting for the run that holds %s...", Severity::Note},
    {"\nGave up waiting for the run that holds %s.", Severity::Error},
    {"\nCannot write log file %s.", Severity::Warning},
    {"\nCannot compare with dest file.", Severity::Error},
    {"\nOne file in two roles: %s.", Severity::Error},
    {"\nFolder %s is writable by every user and not sticky: refused.", Severity::Error},
    {"\nCannot replace dest file: %s was changed by another process.", Severity::Error},
    {"\nCannot create a file in the temporary folder %s.", Severity::Error},
    {"\nSOURCE_DATE_EPOCH \"%s\" is no time the header can show.", Severity::Error},
};

static_assert(std::size(Rows) == static_cast<std::size_t>(Message::BadSourceDate) + 1,
              "every message has a row");

constexpr auto Texts = [] {
    std::array<std::string_view, std::size(Rows)> texts{};
    for (std::size_t k = 0; k < texts.size(); ++k) {
        texts[k] = Rows[k].text;
    }
    return texts;
}();

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
    switch (messageKind(message)) {
    case Severity::Note:
        return Information;
    case Severity::Warning:
        return Warning;
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

Severity messageKind(Message message) {
    return Rows[static_cast<std::size_t>(message)].kind;
}

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

void Console::report(std::string_view lines, Severity kind) {
    const char mark = kind == Severity::Error ? Error : Warning;
    if (quiet_ && lines.ends_with('\n')) {
        // The quiet console ends its output with the line feed.
        lines.remove_suffix(1);
    }
    show(lines, mark);
}

void Console::error(Message message) {
    if (listener_) {
        listener_(message, std::string(messageText(message)));
        return;
    }
    show(messageText(message), markOf(message));
}

void Console::errorAt(Message message, std::string_view path, unsigned long line) {
    std::string text = "\n";
    text += path;
    text += " " + std::to_string(line) + ": ";
    text += messageText(message);
    if (listener_) {
        listener_(message, text);
        return;
    }
    show(text, markOf(message));
}

void Console::errorWith(Message message, std::string_view text) {
    // These come in runs (one per re-routed node, say): not flushed one by
    // one; the next message brings them out.
    const std::string_view format = messageText(message);
    const std::size_t at = FillPlaces[static_cast<std::size_t>(message)];
    if (listener_) {
        listener_(
            message,
            at == std::string_view::npos
                ? std::string(format)
                : std::string(format.substr(0, at)).append(text).append(format.substr(at + 2)));
        return;
    }
    if (at == std::string_view::npos) {
        show(format, markOf(message), false);
        return;
    }
    show({format.substr(0, at), text, format.substr(at + 2)}, markOf(message), false);
}
