// The route types: one row per table syntax, with the name the RouteType
// keyword takes and the writer that writes it.
#pragma once

#include <span>
#include <string_view>

#include "writers/line_writer.hpp"

struct RouteType {
    const char* name;
    void (*write)(LineWriter& w);
    // What begins a comment line in the table's syntax (the header's lines):
    // the marker lines must begin with it too, or the consumer reads them.
    char commentChar;
    // The consumer refuses its whole configuration over a line it cannot
    // read, so a marker that is no comment is an error, not a warning.
    bool refusesUnreadLines = false;
};

// In the order the RouteType keyword tries them; a name is matched by its
// first letters, so a longer name stands before the name it begins with.
extern const std::span<const RouteType> RouteTypes;

// The row whose name the word begins with (letters in any case), or null.
const RouteType* findRouteType(std::string_view word);
