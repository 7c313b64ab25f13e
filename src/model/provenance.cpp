#include "model/provenance.hpp"

#include <algorithm>

std::uint32_t Provenance::numberOf(std::string_view name) {
    for (std::size_t k = 0; k < files_.size(); ++k) {
        if (files_[k] == name) {
            return static_cast<std::uint32_t>(k + 1);
        }
    }
    files_.emplace_back(name);
    return static_cast<std::uint32_t>(files_.size());
}

bool setsRoute(RouteEventKind kind) {
    return kind == RouteEventKind::Routed || kind == RouteEventKind::Rerouted ||
           kind == RouteEventKind::RoutedAgain || kind == RouteEventKind::DefaultRoute;
}

void Provenance::setLastRoute(std::uint16_t item) {
    if (item >= lastRoute_.size()) {
        lastRoute_.resize(std::max<std::size_t>(std::size_t{item} + 1, lastRoute_.size() * 2), 0);
    }
    lastRoute_[item] = static_cast<std::uint32_t>(events_.size());
}

void Provenance::recordLink(std::size_t link) {
    if (!recording_) {
        return;
    }
    if (link >= linkOrigins_.size()) {
        linkOrigins_.resize(link + 1);
    }
    linkOrigins_[link] = current_;
}

std::string Provenance::originText(Origin origin) const {
    if (origin.file == 0 || origin.file > files_.size()) {
        return "";
    }
    return files_[origin.file - 1] + ":" + std::to_string(origin.line);
}
