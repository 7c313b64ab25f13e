#include "driver/explain.hpp"

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "driver/reader_check.hpp"
#include "model/provenance_text.hpp"
#include "model/tables.hpp"
#include "writers/route_types.hpp"
#include "writers/writers.hpp"

namespace {

using Kind = RouteEventKind;

bool isPartText(std::string_view part) {
    if (part == "*" || (part.size() == 3 && startsWithNoCase(part, "all"))) {
        return true;
    }
    if (part.empty() || part.size() > 5) {
        return false;
    }
    unsigned value = 0;
    for (char c : part) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value <= Wildcard;
}

// The address as the adjustment leaves it: a wildcard zone makes the world,
// a wildcard net the whole zone.
FtnAddress normalised(FtnAddress address) {
    if (address.zone == Wildcard) {
        address.net = Wildcard;
    }
    if (address.net == Wildcard) {
        address.node = Wildcard;
    }
    return address;
}

// The entry of the wildcard entry that covered the item in the minimisation.
std::uint16_t coveringEntryOf(const RoutingState& state, std::uint16_t item) {
    const std::vector<RouteEvent>& events = state.provenance.events();
    for (std::size_t k = events.size(); k-- > 0;) {
        if (events[k].kind == Kind::Covered && events[k].item == item) {
            return static_cast<std::uint16_t>(events[k].other);
        }
    }
    return NoVia;
}

// The most specific routed wildcard entry that covers an address without an
// entry of its own (each part its own before the wildcard), or NoVia.
std::uint16_t coveringWildcard(const RoutingState& state, FtnAddress a) {
    for (int shape = 1; shape < 8; ++shape) {
        const FtnAddress pattern{(shape & 4) ? Wildcard : a.zone, (shape & 2) ? Wildcard : a.net,
                                 (shape & 1) ? Wildcard : a.node};
        if (pattern == a) {
            continue;
        }
        const std::uint16_t found = findItem(state, pattern);
        if (found != NoVia && state.items[found].via != NoVia) {
            return found;
        }
    }
    return NoVia;
}

// The link entry mail for the item goes to, following the vias (and the
// wildcard entries that stand for minimised items), or NoVia.
std::uint16_t linkOfItem(const RoutingState& state, std::uint16_t item) {
    for (std::size_t step = 0; step <= state.items.size() && item < state.items.size(); ++step) {
        if (isLinkItem(state, item)) {
            return item;
        }
        if (isOwnAddress(state, state.items[item].address)) {
            return NoVia;
        }
        const std::uint16_t via = state.items[item].via;
        item = via == Covered ? coveringEntryOf(state, item) : via;
    }
    return NoVia;
}

// The entry that decides the address's route: its own, or the covering
// wildcard entry; NoVia for none.
std::uint16_t decidingEntry(const RoutingState& state, FtnAddress address) {
    const std::uint16_t own = findItem(state, address);
    return own != NoVia ? own : coveringWildcard(state, address);
}

std::string flavourText(std::uint16_t flavour) {
    static const struct {
        std::uint16_t bit;
        const char* word;
    } words[] = {{FlavourCrash, "crash"},   {FlavourDirect, "direct"}, {FlavourHold, "hold"},
                 {FlavourNormal, "normal"}, {FlavourFile, "file"},     {FlavourNoArc, "noarc"}};
    std::string text;
    for (const auto& word : words) {
        if (flavour & word.bit) {
            text += text.empty() ? "" : " ";
            text += word.word;
        }
    }
    return text.empty() ? "normal" : text;
}

// The lines of the table and its unrouted report that name the address.
std::vector<std::string> tableLinesNaming(const RoutingState& state, FtnAddress address) {
    std::vector<std::string> lines;
    std::ostringstream discard;
    LineWriter writer(state, discard, false, 0);
    writer.markedLines = &lines;
    writer.markAddress = address;
    RouteTypes[state.settings.routeType - 1].write(writer);
    writeUnrouted(writer);
    return lines;
}

} // namespace

bool isAddressText(std::string_view text) {
    text = text.substr(0, text.find_first_of(".@"));
    if (text.size() == 5 && startsWithNoCase(text, "world")) {
        return true;
    }
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos) {
        if (!isPartText(text.substr(0, colon))) {
            return false;
        }
        text.remove_prefix(colon + 1);
    }
    const std::size_t slash = text.find('/');
    if (slash != std::string_view::npos) {
        if (!isPartText(text.substr(0, slash))) {
            return false;
        }
        text.remove_prefix(slash + 1);
    }
    return isPartText(text);
}

std::optional<FtnAddress> routedVia(const RoutingState& state, FtnAddress address) {
    if (isOwnAddress(state, address)) {
        return std::nullopt;
    }
    if (isLinkAddress(state, address)) {
        return address;
    }
    const std::uint16_t entry = decidingEntry(state, address);
    const std::uint16_t link = entry == NoVia ? NoVia : linkOfItem(state, entry);
    if (link == NoVia) {
        return std::nullopt;
    }
    return state.items[link].address;
}

void explainAddress(const RoutingState& state, std::string_view text, std::ostream& out) {
    AddressNotation notation;
    notation.main = notation.context = state.mainAddress();
    std::size_t cursor = 0;
    const FtnAddress address = normalised(parseAddress(notation, text, cursor));
    const std::string name = addressText(address).substr(1);
    const Provenance& provenance = state.provenance;

    if (isOwnAddress(state, address)) {
        out << name << " is one of this system's own addresses (an Address line)\n";
    }
    for (std::size_t k = 0; k < state.links.size(); ++k) {
        if (state.links[k].address == address) {
            const std::string place = provenance.originText(provenance.linkOrigin(k));
            out << (place.empty() ? "adjustment" : place) << ": " << name << " is a link, "
                << flavourText(state.links[k].flavour) << "\n";
        }
    }
    std::set<std::uint16_t> own;
    for (std::size_t i = 0; i < state.items.size(); ++i) {
        if (state.items[i].address == address) {
            own.insert(static_cast<std::uint16_t>(i));
        }
    }
    const std::vector<RouteEvent>& events = provenance.events();
    for (std::size_t k = 0; k < events.size(); ++k) {
        if (own.count(events[k].item) != 0) {
            out << describeEvent(state, k) << "\n";
        }
    }

    // Where its route leads: the entry that decides it, then hop by hop.
    const bool itself = isOwnAddress(state, address) || isLinkAddress(state, address);
    const std::uint16_t entry = decidingEntry(state, address);
    if (own.empty() && !itself) {
        if (entry == NoVia) {
            out << name << " has no entry in the table and no routed wildcard entry covers it\n";
        } else {
            out << name << " has no entry of its own: the wildcard entry " << itemText(state, entry)
                << " covers it\n";
        }
    }
    FtnAddress shown = address;
    if (entry != NoVia && !itself) {
        std::uint16_t hop = entry;
        if (state.items[hop].via == Covered) {
            hop = coveringEntryOf(state, hop);
        }
        if (hop != entry || own.empty()) {
            shown = state.items[hop].address;
        }
        std::set<std::uint16_t> seen;
        while (hop < state.items.size() && seen.insert(hop).second && !isLinkItem(state, hop)) {
            const std::uint16_t via = state.items[hop].via;
            if (via == NoVia) {
                out << itemText(state, hop) << " has no route"
                    << (state.items[hop].viaTarget ? " (it is in the unrouted report)" : "")
                    << "\n";
                break;
            }
            const std::uint16_t next = via == Covered ? coveringEntryOf(state, hop) : via;
            if (hop != entry || via == Covered) {
                out << itemText(state, hop)
                    << (via == Covered ? " is covered by " : " is routed via ")
                    << itemText(state, next) << "\n";
            }
            hop = next;
        }
    }
    for (const std::string& line : tableLinesNaming(state, shown)) {
        out << "table: " << line << "\n";
    }
    const std::string reading = readerDisagreement(state, address);
    if (!reading.empty()) {
        out << reading << "\n";
    }
    const std::optional<FtnAddress> link = routedVia(state, address);
    if (link) {
        out << "routed via " << addressText(*link).substr(1) << "\n";
    } else {
        out << "not routed\n";
    }
}
