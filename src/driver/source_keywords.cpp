// Handlers of the keywords that read routes: WriteTo, which opens the run's
// output, and the route sources.
#include <cerrno>
#include <cstring>

#include "driver/config_reader.hpp"
#include "sources/sources.hpp"

namespace {

// The log line of "Cannot open file." also names the file and the system's
// reason (errno, cleared before the failed call).
void logReason(ConfigContext& context, const std::string& name, int error) {
    context.console.logDetail(name + ": " + (error != 0 ? std::strerror(error) : "failed"));
}

// Reads a route or trust file; on failure the message and, for --check and
// the log, the file's name and the system's reason.
bool readSource(ConfigContext& context, std::string_view rest, const char* kind,
                bool (RouteFileReader::*read)(RoutingState&, Console&, const std::string&)) {
    std::string name;
    copyFileName(rest, name);
    errno = 0;
    if (!(context.routeFiles.*read)(context.state, context.console, name)) {
        const int error = errno;
        context.failAt(Message::OpenFile, std::string("cannot read the ") + kind + " \"" + name +
                                              "\": " + systemReason(error, "not a regular file"));
        logReason(context, name, error);
        return false;
    }
    return true;
}

} // namespace

bool writeToKeyword(ConfigContext& context, std::string_view rest, KeywordTarget) {
    // One WriteTo line only, even when the first one failed.
    if (context.writeToSeen) {
        context.failAt(Message::RepeatedWriteTo, "a second WriteTo line");
        return false;
    }
    context.writeToSeen = true;
    std::string destination;
    copyFileName(rest, destination);
    const Settings& settings = context.state.settings;
    return context.output.open(destination, settings.routeBeginText, settings.routeEndText);
}

bool defaultRouteKeyword(ConfigContext& context, std::string_view rest, KeywordTarget) {
    context.markOrigin();
    readRouteLine(context.state, context.console, rest);
    return true;
}

bool routeFileKeyword(ConfigContext& context, std::string_view rest, KeywordTarget) {
    return readSource(context, rest, "route file", &RouteFileReader::readRouteFile);
}

bool trustFileKeyword(ConfigContext& context, std::string_view rest, KeywordTarget) {
    return readSource(context, rest, "trust file", &RouteFileReader::readTrustFile);
}

bool spokewayKeyword(ConfigContext& context, std::string_view rest, KeywordTarget) {
    const NodelistDefinition definition = readNodelistDefinition(rest);
    std::string path;
    context.nodelists.lookForNewer(context.diagnostics().collecting());
    errno = 0;
    OpenNodelist nodelist = context.nodelists.open(definition.pathWord, path);
    if (!nodelist) {
        const int error = errno;
        const bool pattern = definition.pathWord.find_first_of("?*") != std::string::npos;
        context.failAt(Message::OpenFile,
                       path.empty() && pattern
                           ? "no file matches the nodelist pattern \"" + definition.pathWord + "\""
                           : "cannot open the nodelist \"" +
                                 (path.empty() ? definition.pathWord : path) +
                                 "\": " + systemReason(error, "not a regular file"));
        logReason(context, path.empty() ? definition.pathWord : path, error);
        return false;
    }
    if (!context.nodelists.newerFile().empty()) {
        context.diagnostics().warn("the pattern \"" + definition.pathWord + "\" chose \"" + path +
                                   "\" by its number, but \"" + context.nodelists.newerFile() +
                                   "\" is newer");
    }
    if (!definition.valid) {
        context.failAt(Message::Spokeway,
                       "Spokeway needs a nodelist, a mode (N, R or Z), a zone and a net");
        return false;
    }
    const NetScan& scan = definition.scan;
    // A nodelist read before takes no time: what is said of it comes out
    // with what follows.
    const std::string announcement = "\nScanning nodelist " + path + " for " +
                                     std::to_string(scan.zone) + ":" + std::to_string(scan.net) +
                                     " spokeway...";
    if (nodelist.kept) {
        context.console.sayLater(announcement);
    } else {
        context.console.say(announcement);
    }
    if (!context.nodelists.scanNet(context.state, context.console, nodelist, path, scan)) {
        const int error = errno;
        context.failAt(Message::OpenFile, "cannot read the nodelist \"" + path + "\"");
        logReason(context, path, error);
        return false;
    }
    return true;
}
