#include "driver/config_reader.hpp"

#include <cerrno>
#include <cstddef>
#include <cstring>

#include "model/adjust.hpp"
#include "model/minimize.hpp"

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
    {"LogFile", {&Settings::logFilePath, nullptr}, Pass::Log, fileNameKeyword},
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

// The run's log: appended to, created when missing. The console's lines so
// far (kept until now) go into it first. A log that cannot be opened is
// reported and the run goes on without it.
void openLog(ConfigContext& context) {
    const std::string& path = context.state.settings.logFilePath;
    if (path.empty()) {
        context.console.logTo(nullptr, "");
        return;
    }
    errno = 0;
    std::unique_ptr<ByteSink> log = context.disk.openAppend(path);
    if (!log) {
        const std::string reason = errno != 0 ? std::strerror(errno) : "failed";
        context.console.logTo(nullptr, path);
        context.console.errorWith(Message::WriteLog, path);
        context.console.logDetail(reason);
        return;
    }
    context.console.logTo(std::move(log), path);
}

} // namespace

bool readConfig(ConfigContext& context) {
    std::unique_ptr<TextReader> file = openText(context.disk, context.path);
    if (!file) {
        context.console.error(Message::OpenConfig);
        return false;
    }
    context.console.say("\nScanning config file...");
    std::string line;
    for (int number = 0; number < PassCount; ++number) {
        const auto pass = static_cast<Pass>(number);
        bool passFailed = false;
        context.line = 0;
        while (file->readLine(line)) {
            ++context.line;
            if (!handleLine(context, line, pass)) {
                passFailed = true;
            }
        }
        if (file->failed()) {
            context.console.error(Message::OpenConfig);
            return false;
        }
        if (passFailed || !endOfPass(context, pass)) {
            return false;
        }
        file->rewind();
    }
    return true;
}

bool endOfPass(ConfigContext& context, Pass pass) {
    RoutingState& state = context.state;
    Console& console = context.console;
    switch (pass) {
    case Pass::Settings: {
        FtnAddress main = state.mainAddress();
        if (main.zone == 0 || main.net == 0) {
            console.error(Message::MainAddress);
            return false;
        }
        if (state.settings.routeType == 0) {
            console.error(Message::MissingRouteType);
            return false;
        }
        if (state.settings.minimize == MinimizeMode::NotGiven) {
            console.error(Message::MissingMinimize);
        }
        return true;
    }
    case Pass::LinksAndDestination:
        if (!context.output.isOpen()) {
            console.error(Message::MissingWriteTo);
            return false;
        }
        return true;
    case Pass::Log:
        openLog(context);
        return true;
    case Pass::Defaults:
        console.say("\nAdjusting routing...");
        adjustRouting(state, console);
        minimizeRoutes(state, console);
        return true;
    default:
        return true;
    }
}
