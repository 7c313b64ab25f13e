// Handlers of the keywords that read routes: WriteTo, which opens the run's
// output, and the route sources.
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
    context.markOrigin();
    readRouteLine(context.state, context.console, rest);
    return true;
}

bool routeFileKeyword(ConfigContext& context, std::string_view rest, KeywordTarget) {
    std::string name;
    copyFileName(rest, name);
    if (!readRouteFile(context.state, context.console, context.disk, name)) {
        context.errorAt(Message::OpenFile);
        return false;
    }
    return true;
}

bool trustFileKeyword(ConfigContext& context, std::string_view rest, KeywordTarget) {
    std::string name;
    copyFileName(rest, name);
    if (!readTrustFile(context.state, context.console, context.disk, name)) {
        context.errorAt(Message::OpenFile);
        return false;
    }
    return true;
}

bool spokewayKeyword(ConfigContext& context, std::string_view rest, KeywordTarget) {
    const NodelistDefinition definition = readNodelistDefinition(rest);
    std::string path;
    std::unique_ptr<TextReader> file = context.nodelists.open(definition.pathWord, path);
    if (!file) {
        context.errorAt(Message::OpenFile);
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
        return false;
    }
    return true;
}
