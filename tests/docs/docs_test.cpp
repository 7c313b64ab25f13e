// The operators' documentation: the manual page, the one reference, renders
// cleanly and names every keyword, route type, message, option and exit
// code the program has; README's commands and quick start name what exists.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <set>
#include <sstream>
#include <vector>

#include "driver/config_reader.hpp"
#include "driver/options.hpp"
#include "messages/messages.hpp"
#include "test_support.hpp"
#include "writers/route_types.hpp"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const fs::path SourceRoot = SPOKEWAY_SOURCE_DIR;

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// The arguments of a request line: words, or double-quoted strings.
std::vector<std::string> requestArguments(const std::string& rest) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < rest.size()) {
        if (rest[at] == ' ') {
            ++at;
        } else if (rest[at] == '"') {
            std::size_t end = rest.find('"', at + 1);
            end = end == std::string::npos ? rest.size() : end;
            words.push_back(rest.substr(at + 1, end - at - 1));
            at = end + 1;
        } else {
            std::size_t end = std::min(rest.find(' ', at), rest.size());
            words.push_back(rest.substr(at, end - at));
            at = end;
        }
    }
    return words;
}

// A line of the manual page as it prints: the font requests' arguments
// (alternating fonts run together), escapes resolved.
struct ManualLine {
    std::string section; // the .SH it stands under
    std::string text;
    bool tag = false; // the tag of a .TP entry
};

std::vector<ManualLine> manualLines(const std::string& roff) {
    std::vector<ManualLine> lines;
    std::string section;
    bool nextIsTag = false;
    std::istringstream in(roff);
    for (std::string line; std::getline(in, line);) {
        std::string text = line;
        if (!line.empty() && line[0] == '.') {
            const std::size_t space = std::min(line.find(' '), line.size());
            const std::string request = line.substr(1, space - 1);
            const std::vector<std::string> words =
                requestArguments(space < line.size() ? line.substr(space + 1) : "");
            static const std::set<std::string> fonts{"B", "I", "BI", "BR", "IB", "IR", "RB", "RI"};
            if (request == "SH") {
                section.clear();
                for (const std::string& word : words) {
                    section += (section.empty() ? "" : " ") + word;
                }
                continue;
            }
            if (!fonts.contains(request)) {
                nextIsTag = request == "TP" || (nextIsTag && request == "PD");
                continue;
            }
            text.clear();
            for (const std::string& word : words) {
                text += (text.empty() || request.size() == 2 ? "" : " ") + word;
            }
        }
        for (auto [from, to] : {std::pair{"\\-", "-"},
                                {"\\(dq", "\""},
                                {"\\(aq", "'"},
                                {"\\(lq", "\""},
                                {"\\(rq", "\""},
                                {"\\(bu", "*"},
                                {"\\&", ""},
                                {"\\fB", ""},
                                {"\\fI", ""},
                                {"\\fR", ""},
                                {"\\fP", ""},
                                {"\\e", "\\"}}) {
            replaceAll(text, from, to);
        }
        lines.push_back({section, text, nextIsTag});
        nextIsTag = false;
    }
    return lines;
}

// The tags of the entries under one section.
std::vector<std::string> tagsIn(const std::vector<ManualLine>& lines, std::string_view section) {
    std::vector<std::string> tags;
    for (const ManualLine& line : lines) {
        if (line.tag && line.section == section) {
            tags.push_back(line.text);
        }
    }
    return tags;
}

bool anyStartsWith(const std::vector<std::string>& tags, const std::string& head) {
    for (const std::string& tag : tags) {
        if (tag == head || tag.starts_with(head + " ")) {
            return true;
        }
    }
    return false;
}

// The option's name as it stands in a list: "--wait" for "--wait=SECONDS".
std::set<std::string> optionWords(const std::string& text) {
    std::set<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) {
        words.insert(word.substr(0, word.find_first_of("=,")));
    }
    return words;
}

// The lines of README's section `heading`, up to the next "## " heading.
std::vector<std::string> readmeSection(const std::string& readme, const std::string& heading) {
    std::vector<std::string> lines;
    std::istringstream in(readme);
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("## ")) {
            inside = line == heading;
        } else if (inside) {
            lines.push_back(line);
        }
    }
    return lines;
}

class Documentation : public ::testing::Test {
  protected:
    const std::string roff = readFile(SourceRoot / "doc" / "spokeway.1");
    const std::vector<ManualLine> manual = manualLines(roff);
    const std::string readme = readFile(SourceRoot / "README.md");
};

} // namespace

TEST_F(Documentation, ManualPageRendersWithoutWarnings) {
    if (runCommand("command -v groff").exitCode != 0) {
        GTEST_SKIP() << "groff is not installed";
    }
    CommandResult render =
        runCommand("groff -man -ww -z " + shellQuote((SourceRoot / "doc" / "spokeway.1").string()));
    EXPECT_EQ(render.exitCode, 0);
    EXPECT_EQ(render.output, "");
}

TEST_F(Documentation, ManualPageNamesEveryKeywordRouteTypeOptionAndExitCode) {
    const std::vector<std::string> keywords = tagsIn(manual, "CONFIGURATION");
    for (const KeywordEntry& row : KeywordTable) {
        EXPECT_TRUE(anyStartsWith(keywords, row.name)) << row.name;
    }
    const std::vector<std::string> types = tagsIn(manual, "ROUTE TYPES");
    for (const RouteType& type : RouteTypes) {
        const std::string name = "RouteType " + std::string(type.name);
        bool found = false;
        for (const std::string& tag : types) {
            const std::size_t at = tag.find(name);
            found = found || (at != tag.npos && at + name.size() < tag.size() &&
                              !std::isalnum(static_cast<unsigned char>(tag[at + name.size()])));
        }
        EXPECT_TRUE(found) << name;
    }
    std::set<std::string> options;
    for (const char* section : {"OPTIONS", "EXPLAINING THE ROUTING"}) {
        for (const std::string& tag : tagsIn(manual, section)) {
            options.merge(optionWords(tag));
        }
    }
    for (const OptionRow& row : OptionTable) {
        EXPECT_TRUE(options.contains(row.name)) << row.name;
    }
    std::vector<std::string> expectedCodes;
    for (int code = 0; code <= static_cast<int>(ExitCode::LockTimeout); ++code) {
        expectedCodes.push_back(std::to_string(code));
    }
    EXPECT_EQ(tagsIn(manual, "EXIT STATUS"), expectedCodes);
}

TEST_F(Documentation, ManualPageExplainsEveryMessage) {
    std::string text;
    for (const ManualLine& line : manual) {
        text += line.text + "\n";
    }
    // Each line of a message, as it is printed, with "%s" standing for an
    // address; the address is left out of the comparison.
    for (std::string_view message : MessageTexts) {
        std::istringstream lines{std::string(message)};
        for (std::string line; std::getline(lines, line);) {
            const std::size_t hole = line.find("%s");
            for (const std::string& piece :
                 {line.substr(0, hole), hole == std::string::npos ? "" : line.substr(hole + 2)}) {
                if (!piece.empty() && piece != " ") {
                    EXPECT_NE(text.find(piece), std::string::npos) << "[" << piece << "]";
                }
            }
        }
    }
}

TEST_F(Documentation, ReadmeOpensWithTheTwoCommandsAndListsOptionsAndExitCodes) {
    EXPECT_TRUE(readme.starts_with(
        "# Spokeway\n\n```sh\n"
        "scripts/example.sh   # build, run the generator on examples/basic, show the table it "
        "wrote\n"
        "scripts/test.sh      # build and run all tests (plain, with ASan+UBSan), then the fuzz "
        "targets\n```\n"));
    for (const char* script : {"scripts/example.sh", "scripts/test.sh"}) {
        EXPECT_NE(fs::status(SourceRoot / script).permissions() & fs::perms::owner_exec,
                  fs::perms::none)
            << script;
    }
    std::set<std::string> options;
    for (const std::string& line : readmeSection(readme, "## Options")) {
        if (line.starts_with("| `")) {
            std::string cell = line.substr(2, line.find(" |", 2) - 2);
            replaceAll(cell, "`", "");
            options.merge(optionWords(cell));
        }
    }
    for (const OptionRow& row : OptionTable) {
        EXPECT_TRUE(options.contains(row.name)) << row.name;
    }
    std::vector<std::string> codes;
    for (const std::string& line : readmeSection(readme, "## Exit codes")) {
        if (line.size() > 2 && line.starts_with("| ") &&
            std::isdigit(static_cast<unsigned char>(line[2]))) {
            codes.push_back(line.substr(2, line.find(' ', 2) - 2));
        }
    }
    std::vector<std::string> expectedCodes;
    for (int code = 0; code <= static_cast<int>(ExitCode::LockTimeout); ++code) {
        expectedCodes.push_back(std::to_string(code));
    }
    EXPECT_EQ(codes, expectedCodes);
}

// The commands of the quick start's code blocks: the project's files they
// name exist, and spokeway's options are options of the program.
TEST_F(Documentation, ReadmeQuickStartNamesWhatExists) {
    std::set<std::string> programOptions;
    for (const OptionRow& row : OptionTable) {
        programOptions.insert(row.name);
    }
    int commands = 0;
    for (const std::string& line : readmeSection(readme, "## Quick start")) {
        // A code block of a list item: indented by seven blanks.
        if (!line.starts_with("       ") || line.find_first_not_of(' ') < 7) {
            continue;
        }
        bool afterSpokeway = false;
        std::istringstream words(line);
        for (std::string word; words >> word;) {
            for (const char* folder : {"scripts/", "examples/", "doc/"}) {
                if (word.starts_with(folder)) {
                    ++commands;
                    EXPECT_TRUE(fs::exists(SourceRoot / word)) << word << " in: " << line;
                }
            }
            if (word == "spokeway") {
                ++commands;
                afterSpokeway = true;
            } else if (afterSpokeway && word.starts_with("-")) {
                EXPECT_TRUE(programOptions.contains(word.substr(0, word.find('='))))
                    << word << " in: " << line;
            } else if (word == "|" || word == "&&" || word == ";") {
                afterSpokeway = false;
            }
        }
    }
    EXPECT_GT(commands, 0);
}
