#include <string>
#include <string_view>

#include "driver/keywords.hpp"

const char* const ConfigError[22] = {
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
};

void printError(RoutingState& state, int n) {
    say(state, ConfigError[n]);
}

void printTaggedError(RoutingState& state, int n) {
    std::string text = "\n" + state.configPath + " " + std::to_string(state.configLine) + ": ";
    text += ConfigError[n];
    say(state, text);
}

void printErrorWith(RoutingState& state, int n, const std::string& text) {
    // These warnings come in runs (one per re-routed node, say): not flushed
    // one by one; the next message brings them out.
    const std::string_view format = ConfigError[n];
    const std::size_t at = format.find("%s");
    static std::string message;
    message.assign(format.substr(0, at)).append(text).append(format.substr(at + 2));
    state.console->write(message.data(), static_cast<std::streamsize>(message.size()));
}
