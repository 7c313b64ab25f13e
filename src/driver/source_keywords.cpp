// Handlers of the keywords that read routes: WriteTo, which opens the run's
// output, and the route sources.
#include <cerrno>
#include <cstring>

#include "driver/config_reader.hpp"
#include "sources/sources.hpp"

bool writeToKeyword(ConfigContext& context, std::string_view rest, KeywordTarget) {
    // One WriteTo line only, even when the first one failed.
    if (context.writeToSeen) {
        context.errorAt(Message::RepeatedWriteTo);
        return false;
    }
    context.writeToSeen = true;
    std::string destination;
    copyFileName(rest, destination);
    const Settings& settings = context.state.settings;
    return context.output.open(destination, settings.routeBeginText, settings.routeEndText);
}

bool defaultRouteKeyword(ConfigContext& context, std::string_view rest, KeywordTarget) {
    readRouteLine(context.state, context.console, rest);
    return true;
}

namespace {

// The log line of "Cannot open file." also names the file and the system's
// reason (errno, cleared before the failed call).
void logReason(ConfigContext& context, const std::string& name) {
    context.console.logDetail(name + ": " + (errno != 0 ? std::strerror(errno) : "failed"));
}

// Reads the file the first word names with `read`; a tagged message when it
// cannot be opened or read.
bool readFileKeyword(ConfigContext& context, std::string_view rest,
                     bool (RouteFileReader::*read)(RoutingState&, Console&, const std::string&)) {
    std::string name;
    copyFileName(rest, name);
    errno = 0;
    if (!(context.routeFiles.*read)(context.state, context.console, name)) {
        context.errorAt(Message::OpenFile);
        logReason(context, name);
        return false;
    }
    return true;
}

} // namespace

bool routeFileKeyword(ConfigContext& context, std::string_view rest, KeywordTarget) {
    return readFileKeyword(context, rest, &RouteFileReader::readRouteFile);
}

bool trustFileKeyword(ConfigContext& context, std::string_view rest, KeywordTarget) {
    return readFileKeyword(context, rest, &RouteFileReader::readTrustFile);
}

bool spokewayKeyword(ConfigContext& context, std::string_view rest, KeywordTarget) {
    const NodelistDefinition definition = readNodelistDefinition(rest);
    std::string path;
    errno = 0;
    std::unique_ptr<TextReader> file = context.nodelists.open(definition.pathWord, path);
    if (!file) {
        context.errorAt(Message::OpenFile);
        logReason(context, path.empty() ? std::string(definition.pathWord) : path);
        return false;
    }
    if (!definition.valid) {
        context.errorAt(Message::Spokeway);
        return false;
    }
    const NetScan& scan = definition.scan;
    context.console.say("\nScanning nodelist " + path + " for " + std::to_string(scan.zone) + ":" +
                        std::to_string(scan.net) + " spokeway...");
    if (!context.nodelists.scanNet(context.state, context.console, *file, path, scan)) {
        context.errorAt(Message::OpenFile);
        logReason(context, path);
        return false;
    }
    return true;
}
