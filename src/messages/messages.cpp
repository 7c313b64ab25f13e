#include "messages/messages.hpp"

#include <algorithm>
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
};

static_assert(std::size(Texts) == static_cast<std::size_t>(Message::BadOptionValue) + 1,
              "every message has a text");

} // namespace

const std::span<const std::string_view> MessageTexts(Texts);

void Console::say(std::string_view text) {
    stream_->write(text.data(), static_cast<std::streamsize>(text.size()));
    stream_->flush();
}

void Console::spin(std::size_t turns) {
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
        stream_->write(cycle.data() + 2 * (spinnerPosition_ & 3),
                       static_cast<std::streamsize>(2 * chunk));
        spinnerPosition_ = static_cast<std::uint8_t>((spinnerPosition_ + chunk) & 3);
        turns -= chunk;
    }
}

void Console::error(Message message) {
    say(messageText(message));
}

void Console::errorAt(Message message, std::string_view path, unsigned long line) {
    std::string text = "\n";
    text += path;
    text += " " + std::to_string(line) + ": ";
    text += messageText(message);
    say(text);
}

void Console::errorWith(Message message, std::string_view text) {
    // These come in runs (one per re-routed node, say): not flushed one by
    // one; the next message brings them out.
    const std::string_view format = messageText(message);
    const std::size_t at = format.find("%s");
    filled_.assign(format.substr(0, at)).append(text).append(format.substr(at + 2));
    stream_->write(filled_.data(), static_cast<std::streamsize>(filled_.size()));
}
