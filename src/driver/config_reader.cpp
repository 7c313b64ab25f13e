#include "driver/config_reader.hpp"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <set>
#include <vector>

#include "driver/reader_check.hpp"
#include "messages/findings.hpp"
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
    {"Address", {}, Pass::Settings, addressKeyword, FileRole::None},
    {"Spokeway", {}, Pass::Routes, spokewayKeyword, FileRole::Read},
    {"RouteFile", {}, Pass::Routes, routeFileKeyword, FileRole::Read},
    {"TrustFile", {}, Pass::Trust, trustFileKeyword, FileRole::Read},
    {"RouteType",
     {nullptr, &Settings::routeType},
     Pass::Settings,
     routeTypeKeyword,
     FileRole::None},
    {"WriteTo", {}, Pass::LinksAndDestination, writeToKeyword, FileRole::Written},
    {"Minimize", {}, Pass::Settings, minimizeKeyword, FileRole::None},
    {"LogFile", {&Settings::logFilePath, nullptr}, Pass::Log, logFileKeyword, FileRole::Written},
    {"DefaultFlavor",
     {nullptr, &Settings::defaultFlavour},
     Pass::LinksAndDestination,
     defaultFlavorKeyword,
     FileRole::None},
    {"DefaultRoute", {}, Pass::Defaults, defaultRouteKeyword, FileRole::None},
    {"Link", {}, Pass::LinksAndDestination, linkKeyword, FileRole::None},
    {"RouteBegin",
     {&Settings::routeBeginText, nullptr},
     Pass::Settings,
     quotedTextKeyword,
     FileRole::None},
    {"RouteEnd",
     {&Settings::routeEndText, nullptr},
     Pass::Settings,
     quotedTextKeyword,
     FileRole::None},
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
    if (path.empty() || context.fileInTwoRoles || (!writes && !context.keepGoing)) {
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

namespace {

// A file the configuration names in a role: the keyword and line that name
// it, and the file itself when it exists.
struct NamedFile {
    std::string keyword;
    std::string name;
    unsigned long line = 0;
    Disk::Identity file;

    std::string text() const {
        return line == 0 ? "the configuration " + name
                         : keyword + " " + name + " (line " + std::to_string(line) + ")";
    }
};

// One file, one role: the destination and the log must each be another file
// than every other file of the run (links followed; a file that does not
// exist yet is none of them). Looked at before anything is read or written;
// false, with an error for each file in two roles, when one is.
bool checkFileRoles(ConfigContext& context, TextReader& file) {
    std::vector<NamedFile> written;
    std::vector<NamedFile> read;
    std::set<std::string> readNames;
    NamedFile log;
    bool writeToSeen = false;
    std::string line;
    for (unsigned long number = 1; file.readLine(line); ++number) {
        if (number == 1) {
            skipByteOrderMark(line);
        }
        std::size_t cursor = 0;
        skipBlanks(line, cursor);
        std::size_t end = cursor;
        while (end < line.size() && !isWhiteSpace(line[end])) {
            ++end;
        }
        const std::string_view keyword = std::string_view(line).substr(cursor, end - cursor);
        const auto row = std::ranges::find_if(KeywordTable, [&](const KeywordEntry& entry) {
            return entry.role != FileRole::None && sameWordNoCase(keyword, entry.name);
        });
        if (row == KeywordTable.end()) {
            continue;
        }
        skipBlanks(line, end);
        NamedFile named{row->name, "", number, {}};
        copyFileName(std::string_view(line).substr(end), named.name);
        if (row->handler == spokewayKeyword) {
            // The nodelist the pattern chooses.
            const std::string pattern = named.name;
            if (!readNames.insert("\n" + pattern).second ||
                !context.nodelists.choose(pattern, named.name)) {
                continue;
            }
        }
        if (row->role == FileRole::Read) {
            if (readNames.insert(named.name).second) {
                read.push_back(std::move(named));
            }
        } else if (row->handler == logFileKeyword) {
            log = std::move(named); // a later LogFile line replaces an earlier one
        } else if (!writeToSeen) {
            writeToSeen = true;
            written.push_back(std::move(named));
        }
    }
    file.rewind();
    if (!log.name.empty()) {
        written.insert(written.begin(), std::move(log));
    }
    std::erase_if(written, [&](NamedFile& named) {
        return !context.disk.fileIdentity(named.name, named.file);
    });
    if (written.empty()) {
        return true;
    }
    read.insert(read.begin(), NamedFile{"", context.path, 0, {}});
    bool ok = true;
    auto same = [](const NamedFile& a, const NamedFile& b) {
        return a.file.device == b.file.device && a.file.inode == b.file.inode;
    };
    auto refuse = [&](const NamedFile& one, const NamedFile& other) {
        const std::string text = one.text() + " and " + other.text() + " are one file";
        context.console.errorWith(Message::TwoRoles, text);
        context.diagnostics().reportAt(Severity::Error, context.path, one.line,
                                       "one file in two roles: " + text +
                                           "; the destination and the log must each be a "
                                           "file of their own");
        ok = false;
    };
    for (NamedFile& other : read) {
        if (!context.disk.fileIdentity(other.name, other.file)) {
            continue;
        }
        for (const NamedFile& one : written) {
            if (same(one, other)) {
                refuse(one, other);
            }
        }
    }
    if (written.size() == 2 && same(written[0], written[1])) {
        refuse(written[0], written[1]);
    }
    return ok;
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
    context.nodelists.lookForNewer(diagnostics.collecting());
    bool failed = false;
    if (!checkFileRoles(context, *file)) {
        context.fileInTwoRoles = true;
        if (!context.keepGoing) {
            return false;
        }
        failed = true;
    }
    std::string line;
    for (int number = 0; number < PassCount; ++number) {
        const auto pass = static_cast<Pass>(number);
        bool passFailed = false;
        context.line = 0;
        while (file->readLine(line)) {
            ++context.line;
            if (context.line == 1) {
                skipByteOrderMark(line);
            }
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
                reportFinding(
                    diagnostics,
                    type.refusesUnreadLines ? Finding::MarkerRefused : Finding::MarkerNotComment,
                    context.path, line, {*text, std::string_view(&type.commentChar, 1), type.name});
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
        if (!hasReaderModel(state.settings)) {
            checkNormalisedTwins(context); // --check compares the program's reading instead
        }
        console.say("\nAdjusting routing...");
        adjustRouting(state, console);
        minimizeRoutes(state, console);
        return true;
    default:
        return true;
    }
}
