// What --check reports about the destination and its consumer: each finding
// a row with its kind and its text, "%s" where a word goes in.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "messages/diagnostics.hpp"

enum class Finding : int {
    // A marker the consumer reads as a table line.
    MarkerNotComment = 0,
    // The same where the consumer refuses its whole configuration over it.
    MarkerRefused = 1,
    // A link of the table without a Link block above the begin marker.
    LinkBlockMissing = 2,
    // The same for a link the adjustment made (a node routed via us).
    MadeLinkBlockMissing = 3,
    // An include line of the destination's head names a file that cannot be read.
    IncludeUnreadable = 4,
    // The mail program, reading the new file, sends mail elsewhere than the
    // routing means.
    ReaderDiffers = 5,
    // A link letter the route type's table cannot say.
    LetterUnsaid = 6,
};

struct FindingRow {
    Severity severity;
    std::string_view text;
};

const FindingRow& findingRow(Finding finding);

// Reports the finding at the file and line, its "%s" filled in order.
void reportFinding(Diagnostics& diagnostics, Finding finding, std::string_view file,
                   unsigned long line, std::initializer_list<std::string_view> words);
