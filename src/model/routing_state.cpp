#include "model/routing_state.hpp"

#include <iostream>

#include "platform/platform.hpp"
#include "sources/applied_file.hpp"
#include "sources/nodelist_index.hpp"

RoutingState::RoutingState() : console(&std::cerr) {
    lineBuffer.reserve(30000);
    prefixBuffer.reserve(500);
}

RoutingState::~RoutingState() = default;

void say(RoutingState& state, std::string_view text) {
    state.console->write(text.data(), static_cast<std::streamsize>(text.size()));
    state.console->flush();
}
