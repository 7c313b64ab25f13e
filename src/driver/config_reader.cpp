#include "driver/config_reader.hpp"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <vector>

#include "model/adjust.hpp"
#include "model/minimize.hpp"
#include "writers/route_types.hpp"

namespace {

bool sameWordNoCase(std::string_view word, std::string_view keyword) {
    if (word.size() != keyword.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (lowerCase(word[i]) != lowerCase(keyword[i])) {
            return false;
        }
    }
    return true;
}

// The edit distance between two words, letters compared in any case.
std::size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            const bool same = lowerCase(a[i - 1]) == lowerCase(b[j - 1]);
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// A first word that is no keyword: the line is ignored, which is almost
// always a typing mistake.
void checkKeyword(ConfigContext& context, std::string_view word) {
    const KeywordEntry* nearest = nullptr;
    std::size_t best = 0;
    for (const KeywordEntry& row : KeywordTable) {
        if (sameWordNoCase(word, row.name)) {
            return;
        }
        const std::size_t distance = editDistance(word, row.name);
        if (nearest == nullptr || distance < best) {
            nearest = &row;
            best = distance;
        }
    }
    context.diagnostics().warn("\"" + std::string(word) +
                               "\" is no keyword, the line is ignored: did you mean \"" +
                               nearest->name + "\"?");
}

// Handles one configuration line in the given pass; false if a handler failed.
bool handleLine(ConfigContext& context, std::string_view line, Pass pass) {
    std::size_t cursor = 0;
    skipBlanks(line, cursor);
    if (cursor >= line.size() || line[cursor] == ';' || line[cursor] == '\n') {
        return true;
    }
    std::size_t end = cursor;
    while (end < line.size() && !isWhiteSpace(line[end])) {
        ++end;
    }
    std::string_view keyword = line.substr(cursor, end - cursor);
    if (pass == Pass::Log) {
        checkKeyword(context, keyword);
    }
    bool ok = true;
    for (const KeywordEntry& row : KeywordTable) {
        if (row.pass != pass || !sameWordNoCase(keyword, row.name)) {
            continue;
        }
        std::size_t restStart = end;
        skipBlanks(line, restStart);
        context.notation.main = context.state.mainAddress();
        if (!row.handler(context, line.substr(restStart), row.target)) {
            ok = false;
        }
    }
    return ok;
}

} // namespace

namespace {

constexpr KeywordEntry Keywords[] = {
    {"Address", {}, Pass::Settings, addressKeyword},
    {"Spokeway", {}, Pass::Routes, spokewayKeyword},
    {"RouteFile", {}, Pass::Routes, routeFileKeyword},
    {"TrustFile", {}, Pass::Trust, trustFileKeyword},
    {"RouteType", {nullptr, &Settings::routeType}, Pass::Settings, routeTypeKeyword},
    {"WriteTo", {}, Pass::LinksAndDestination, writeToKeyword},
    {"Minimize", {}, Pass::Settings, minimizeKeyword},
    {"LogFile", {&Settings::logFilePath, nullptr}, Pass::Log, logFileKeyword},
    {"DefaultFlavor",
     {nullptr, &Settings::defaultFlavour},
     Pass::LinksAndDestination,
     defaultFlavorKeyword},
    {"DefaultRoute", {}, Pass::Defaults, defaultRouteKeyword},
    {"Link", {}, Pass::LinksAndDestination, linkKeyword},
    {"RouteBegin", {&Settings::routeBeginText, nullptr}, Pass::Settings, quotedTextKeyword},
    {"RouteEnd", {&Settings::routeEndText, nullptr}, Pass::Settings, quotedTextKeyword},
};

} // namespace

const std::span<const KeywordEntry> KeywordTable(Keywords);

namespace {

// The reason a log cannot be opened, in words.
std::string logReason(int error) {
    return error == ELOOP ? "a symbolic link"
           : error == -1  ? "not a regular file"
                          : systemReason(error, "not a regular file");
}

// The run's log: appended to, created when missing. The console's lines so
// far (kept until now) go into it first. A log that cannot be opened is
// reported and the run goes on without it; one in a folder that every user
// may write (and not sticky) stops the run. The runs that write nothing
// (--check, --explain, --graph, --stdout, --diff) neither make nor append
// to it; --check tells whether a run could.
bool openLog(ConfigContext& context) {
    const std::string& path = context.state.settings.logFilePath;
    const bool writes = context.output.writesFiles();
    if (path.empty() || (!writes && !context.keepGoing)) {
        context.console.logTo(nullptr, "");
        return true;
    }
    Diagnostics& diagnostics = context.diagnostics();
    const unsigned long line = context.logFileLine;
    PathParts parts = splitPath(path);
    const std::string folderPath = parts.dir;
    parts.dir.clear();
    const std::string name = makePath(parts);
    errno = 0;
    std::unique_ptr<Folder> folder = context.disk.openFolder(folderPath);
    const int folderError = errno;
    if (folder && folder->openToAll()) {
        const std::string shown = folderPath.empty() ? "." : folderPath;
        context.console.logTo(nullptr, "");
        context.console.errorWith(Message::FolderOpenToAll, shown);
        diagnostics.reportAt(Severity::Error, context.path, line,
                             "the LogFile's folder \"" + shown +
                                 "\" is writable by every user and not sticky: a run refuses it");
        return false;
    }
    if (!writes) {
        context.console.logTo(nullptr, "");
        const int error = folder ? folder->probeAppend(name) : folderError;
        if (error != 0) {
            diagnostics.reportAt(Severity::Warning, context.path, line,
                                 "cannot open the LogFile \"" + path + "\" for appending: " +
                                     logReason(error) + "; a run goes on without its log");
        }
        return true;
    }
    bool endsLine = true;
    errno = folderError;
    std::unique_ptr<ByteSink> log = folder ? folder->openAppend(name, endsLine) : nullptr;
    if (!log) {
        const std::string reason = logReason(errno);
        context.console.logTo(nullptr, path);
        context.console.errorWith(Message::WriteLog, path + " (" + reason + ")");
        diagnostics.reportAt(Severity::Warning, context.path, line,
                             "cannot open the LogFile \"" + path + "\" for appending: " + reason);
        return true;
    }
    context.console.logTo(std::move(log), path, endsLine);
    return true;
}

} // namespace

bool readConfig(ConfigContext& context) {
    Diagnostics& diagnostics = context.diagnostics();
    errno = 0;
    std::unique_ptr<TextReader> file = openText(context.disk, context.path);
    if (!file) {
        const int error = errno;
        context.console.error(Message::OpenConfig);
        diagnostics.reportAt(Severity::Error, context.path, 0,
                             "cannot open the configuration file: " +
                                 systemReason(error, "not a regular file"));
        return false;
    }
    context.console.say("\nScanning config file...");
    std::string line;
    bool failed = false;
    for (int number = 0; number < PassCount; ++number) {
        const auto pass = static_cast<Pass>(number);
        bool passFailed = false;
        context.line = 0;
        while (file->readLine(line)) {
            ++context.line;
            diagnostics.setPlace({context.path, context.line});
            if (!handleLine(context, line, pass)) {
                passFailed = true;
            }
        }
        diagnostics.setPlace({context.path, 0});
        if (file->failed()) {
            context.console.error(Message::OpenConfig);
            diagnostics.fail("cannot read the configuration file");
            return false;
        }
        if (passFailed || !endOfPass(context, pass)) {
            if (!context.keepGoing) {
                return false;
            }
            failed = true;
        }
        file->rewind();
    }
    return !failed;
}

namespace {

// The checks after the settings are read; in --check every one of them.
bool endOfSettings(ConfigContext& context) {
    const Settings& settings = context.state.settings;
    Console& console = context.console;
    Diagnostics& diagnostics = context.diagnostics();
    bool ok = true;
    FtnAddress main = context.state.mainAddress();
    if (main.zone == 0 || main.net == 0) {
        console.error(Message::MainAddress);
        diagnostics.fail("no Address line gives a main address with a zone and a net");
        if (!context.keepGoing) {
            return false;
        }
        ok = false;
    }
    if (settings.routeType == 0) {
        console.error(Message::MissingRouteType);
        diagnostics.fail("no RouteType line gives the table's syntax");
        if (!context.keepGoing) {
            return false;
        }
        ok = false;
    }
    if (settings.minimize == MinimizeMode::NotGiven) {
        console.error(Message::MissingMinimize);
    }
    // Empty markers would match every line of the destination.
    if (settings.routeBeginText.empty()) {
        console.error(Message::MissingRouteBeginKeyword);
        diagnostics.fail("no RouteBegin line gives the begin marker (a text in double quotes)");
        ok = false;
    }
    if (settings.routeEndText.empty()) {
        console.error(Message::MissingRouteEndKeyword);
        diagnostics.fail("no RouteEnd line gives the end marker (a text in double quotes)");
        ok = false;
    }
    if (settings.routeType != 0) {
        const RouteType& type = RouteTypes[settings.routeType - 1];
        const std::pair<const std::string*, unsigned long> markers[] = {
            {&settings.routeBeginText, context.routeBeginLine},
            {&settings.routeEndText, context.routeEndLine}};
        for (const auto& [text, line] : markers) {
            if (!text->empty() && text->front() != type.commentChar) {
                diagnostics.reportAt(Severity::Warning, context.path, line,
                                     "marker \"" + *text + "\" does not begin with '" +
                                         type.commentChar + "', the comment character of " +
                                         type.name + ": the consumer reads it as a table line");
            }
        }
    }
    return ok;
}

// Entries that the adjustment makes into one address (2:*/5 and 2:*/* both
// become 2:*/*): the table then has two lines for it, and the tosser takes
// the first, which may name another link than the one the adjustment chose.
void checkNormalisedTwins(ConfigContext& context) {
    std::map<FtnAddress, FtnAddress> firstOf;
    for (const RouteItem& item : context.state.items) {
        if (!hasWildcard(item.address)) {
            continue;
        }
        FtnAddress normal = item.address;
        if (normal.zone == Wildcard) {
            normal.net = Wildcard;
        }
        if (normal.net == Wildcard) {
            normal.node = Wildcard;
        }
        auto [first, added] = firstOf.try_emplace(normal, item.address);
        if (added || first->second == item.address) {
            continue;
        }
        const std::string firstText = plainAddressText(first->second);
        const std::string text = plainAddressText(item.address);
        const Diagnostics::Place* firstPlace = context.diagnostics().mentioned(firstText);
        const Diagnostics::Place* place = context.diagnostics().mentioned(text);
        std::string where;
        if (firstPlace != nullptr) {
            where = " (" + firstPlace->file + ":" + std::to_string(firstPlace->line) + ")";
        }
        const std::string warning = "\"" + text + "\" and \"" + firstText + "\"" + where +
                                    " both become " + plainAddressText(normal) +
                                    " when wildcards are normalised: the table gets two lines for "
                                    "it and the tosser takes the first";
        if (place != nullptr) {
            context.diagnostics().reportAt(Severity::Warning, place->file, place->line, warning);
        } else {
            context.diagnostics().warn(warning);
        }
    }
}

} // namespace

bool endOfPass(ConfigContext& context, Pass pass) {
    RoutingState& state = context.state;
    Console& console = context.console;
    switch (pass) {
    case Pass::Settings:
        return endOfSettings(context);
    case Pass::LinksAndDestination:
        if (!context.output.isOpen()) {
            console.error(Message::MissingWriteTo);
            if (!context.writeToSeen) {
                context.diagnostics().fail("no WriteTo line names the destination");
            }
            return false;
        }
        return true;
    case Pass::Log:
        return openLog(context);
    case Pass::Defaults:
        checkNormalisedTwins(context);
        console.say("\nAdjusting routing...");
        adjustRouting(state, console);
        minimizeRoutes(state, console);
        return true;
    default:
        return true;
    }
}
