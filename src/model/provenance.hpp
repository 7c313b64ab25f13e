// Where each route came from: the file and line of the rule that set it, the
// routes later rules replaced, and what the adjustment and the minimisation
// did. Kept beside the tables as a compact append-only log, so that a normal
// run pays one small append per rule applied.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "address/address.hpp"

// A line of an input file; file 0 means "no file" (the adjustment, say).
struct Origin {
    std::uint32_t file = 0; // 1 + index into Provenance::files()
    std::uint32_t line = 0;

    friend bool operator==(const Origin&, const Origin&) = default;
};

enum class RouteEventKind : std::uint8_t {
    ViaEntered,   // entered as a via node others are routed via
    Routed,       // given its first route
    Rerouted,     // a different route replaced an earlier one (`other`: that event)
    RoutedAgain,  // the same route set once more
    DefaultRoute, // adjustment: routed via the most specific routed wildcard entry
    NoDefault,    // adjustment: a default route via `via` would lead back to it
    MadeLink,     // adjustment: routed via us and missing in the links
    ChainCut,     // adjustment: routed via the last hop `via` instead of `oldVia`
    LoopBroken,   // adjustment: lost its route; `other` is the entry whose chain came back
    Covered,      // minimisation: the wildcard entry `other` sends it the same way
};

struct RouteEvent {
    Origin origin;
    // Rerouted: 1 + the event whose route was replaced; LoopBroken and
    // Covered: the entry named above; otherwise 0.
    std::uint32_t other = 0;
    std::uint16_t item = 0;
    std::uint16_t via = 0;
    std::uint16_t oldVia = 0;
    RouteEventKind kind = RouteEventKind::Routed;
};

// Where every route came from. Kept only when asked for (--explain, --graph,
// --check): a normal run records nothing and pays one test per event.
class Provenance {
  public:
    void startRecording() { recording_ = true; }
    bool recording() const { return recording_; }

    // The file's number for origins (the same name gives the same number; 0
    // when nothing is recorded).
    std::uint32_t fileNumber(std::string_view name) { return recording_ ? numberOf(name) : 0; }
    // The rule being applied: what routes set from now on came from.
    void setCurrent(Origin origin) { current_ = origin; }
    void setCurrentLine(std::uint32_t line) { current_.line = line; }
    Origin current() const { return current_; }

    // Records an event at the current rule (rule kinds) or at no file.
    // Inline: a run records a few events per item.
    void record(RouteEventKind kind, std::uint16_t item, std::uint16_t via,
                std::uint16_t oldVia = 0, std::uint32_t other = 0) {
        if (!recording_) {
            return;
        }
        const bool rule = kind <= RouteEventKind::RoutedAgain;
        if (kind == RouteEventKind::Rerouted && other == 0) {
            other = lastRoute(item);
        }
        events_.push_back(RouteEvent{rule ? current_ : Origin{}, other, item, via, oldVia, kind});
        if (kind <= RouteEventKind::DefaultRoute && kind != RouteEventKind::ViaEntered) {
            setLastRoute(item);
        }
    }
    // Records that link number `link` was made by the current rule.
    void recordLink(std::size_t link);

    const std::vector<RouteEvent>& events() const { return events_; }
    // 1 + the event that set the item's present route (0: none).
    std::uint32_t lastRoute(std::uint16_t item) const {
        return item < lastRoute_.size() ? lastRoute_[item] : 0;
    }
    // The line that made link number `link` (file 0: none, it was added by the adjustment).
    Origin linkOrigin(std::size_t link) const {
        return link < linkOrigins_.size() ? linkOrigins_[link] : Origin{};
    }
    // "FILE:LINE", or "" for no file.
    std::string originText(Origin origin) const;

  private:
    std::uint32_t numberOf(std::string_view name);
    void setLastRoute(std::uint16_t item);

    bool recording_ = false;

    std::vector<std::string> files_;
    std::vector<RouteEvent> events_;
    std::vector<std::uint32_t> lastRoute_;
    std::vector<Origin> linkOrigins_;
    Origin current_;
};

bool setsRoute(RouteEventKind kind);
