// Readable FTN addresses in test failure messages.
#pragma once

#include <ostream>

#include "address/address.hpp"

inline void PrintTo(const FtnAddress& address, std::ostream* out) {
    auto part = [out](std::uint16_t value) {
        if (value == Wildcard) {
            *out << '*';
        } else {
            *out << value;
        }
    };
    part(address.zone);
    *out << ':';
    part(address.net);
    *out << '/';
    part(address.node);
}
