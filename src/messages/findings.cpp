#include "messages/findings.hpp"

#include <iterator>

namespace {

constexpr FindingRow Rows[] = {
    {Severity::Warning, "marker \"%s\" does not begin with '%s', the comment character of %s: "
                        "the consumer reads it as a table line"},
    {Severity::Error, "marker \"%s\" does not begin with '%s', the comment character of %s: "
                      "the consumer refuses the whole configuration"},
    {Severity::Error, "link %s has no Link block with \"Aka %s\" above the begin marker of %s: "
                      "fidoconfig refuses the whole configuration, and every husky program stops"},
    {Severity::Error,
     "link %s, made because it is routed via us, has no Link block with \"Aka %s\" "
     "above the begin marker of %s: fidoconfig refuses the whole configuration, "
     "and every husky program stops"},
    {Severity::Warning, "cannot read \"%s\", included by %s: the links it may define are not "
                        "checked"},
    {Severity::Warning, "mail for %s: the routing %s; %s"},
    {Severity::Warning, "link %s has %s, which the %s table cannot say: lost for %s routed via it"},
};

static_assert(std::size(Rows) == static_cast<std::size_t>(Finding::LetterUnsaid) + 1,
              "every finding has a row");

} // namespace

const FindingRow& findingRow(Finding finding) {
    return Rows[static_cast<std::size_t>(finding)];
}

void reportFinding(Diagnostics& diagnostics, Finding finding, std::string_view file,
                   unsigned long line, std::initializer_list<std::string_view> words) {
    const FindingRow& row = findingRow(finding);
    std::string text;
    std::string_view rest = row.text;
    const std::string_view* word = words.begin();
    for (std::size_t at = rest.find("%s"); at != std::string_view::npos; at = rest.find("%s")) {
        text += rest.substr(0, at);
        if (word != words.end()) {
            text += *word++;
        }
        rest.remove_prefix(at + 2);
    }
    text += rest;
    diagnostics.reportAt(row.severity, file, line, text);
}
