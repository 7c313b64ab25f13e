#include "model_support.hpp"

#include <cstdio>

namespace testing_support {

namespace {

std::uint16_t part(std::string_view text) {
    if (text == "*") {
        return Wildcard;
    }
    return static_cast<std::uint16_t>(std::stoul(std::string(text)));
}

std::string partText(std::uint16_t value) {
    return value == Wildcard ? "*" : std::to_string(value);
}

} // namespace

FtnAddress at(std::string_view text) {
    std::size_t colon = text.find(':');
    std::size_t slash = text.find('/');
    return FtnAddress{part(text.substr(0, colon)), part(text.substr(colon + 1, slash - colon - 1)),
                      part(text.substr(slash + 1))};
}

std::string text(FtnAddress address) {
    return partText(address.zone) + ":" + partText(address.net) + "/" + partText(address.node);
}

void addItem(RoutingState& state, std::string_view address, std::uint16_t via,
             std::uint16_t viaTarget) {
    state.items.push_back(RouteItem{via, viaTarget, at(address)});
}

void addLink(RoutingState& state, std::string_view address, std::uint16_t flavour) {
    FtnAddress where = at(address);
    state.links.push_back(LinkEntry{flavour, where});
    for (const RouteItem& item : state.items) {
        if (item.address == where) {
            return;
        }
    }
    state.items.push_back(RouteItem{NoVia, 0, where});
}

std::string itemsText(const RoutingState& state, ItemForm form) {
    std::string result;
    for (std::size_t i = 0; i < state.items.size(); ++i) {
        const RouteItem& item = state.items[i];
        if (form == ItemForm::ByAddress) {
            result += text(item.address);
            if (item.via != NoVia) {
                result += " via " + text(state.items.at(item.via).address);
            }
            result += item.viaTarget ? " target\n" : "\n";
            continue;
        }
        result += std::to_string(i) + " " + text(item.address) + " via ";
        if (item.via == NoVia) {
            result += "-";
        } else if (item.via == Covered) {
            result += "covered";
        } else {
            result += std::to_string(item.via);
        }
        result += item.viaTarget ? " target\n" : "\n";
    }
    return result;
}

std::string linksText(const RoutingState& state) {
    std::string result;
    for (const LinkEntry& link : state.links) {
        char flavour[8];
        std::snprintf(flavour, sizeof flavour, "%02x", link.flavour);
        result += text(link.address) + " " + flavour + "\n";
    }
    return result;
}

} // namespace testing_support

void PrintTo(const FtnAddress& address, std::ostream* out) {
    *out << testing_support::text(address);
}
