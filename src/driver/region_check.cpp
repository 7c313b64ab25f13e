#include "driver/region_check.hpp"

#include <ostream>
#include <set>
#include <sstream>

#include "driver/config_reader.hpp"
#include "model/adjust.hpp"
#include "model/tables.hpp"
#include "sources/sources.hpp"
#include "writers/route_types.hpp"
#include "writers/writers.hpp"

namespace {

std::string withoutLineEnd(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    return line;
}

// A word as the writer may vary it: every run of digits one "9".
std::string shapeOf(std::string_view word) {
    std::string shape;
    for (char c : word) {
        if (c >= '0' && c <= '9') {
            if (shape.empty() || shape.back() != '9') {
                shape += '9';
            }
        } else {
            shape += c;
        }
    }
    return shape;
}

// A line's words; a comment character after the start of the line (a
// comment after a route) counts as a word of its own.
std::vector<std::string> wordsOf(std::string_view line, char commentChar) {
    std::vector<std::string> shapes;
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
        ++i;
    }
    const bool comment = i < line.size() && line[i] == commentChar;
    std::string word;
    for (std::size_t k = i; k <= line.size(); ++k) {
        const char c = k < line.size() ? line[k] : ' ';
        if (c == ' ' || c == '\t' || c == '\r') {
            if (!word.empty()) {
                shapes.push_back(word);
            }
            word.clear();
        } else if (c == commentChar && !comment) {
            shapes.push_back(std::string("comment ") + c);
        } else {
            word += c;
        }
    }
    return shapes;
}

// Every word shape the route type's writer writes: its table of a small
// made-up system with links of every flavour, routes to nodes, nets, zones
// and the world, lines long enough to wrap, and a node left unrouted.
void addWriterVocabulary(std::uint16_t routeType, std::set<std::string>& vocabulary) {
    const RouteType& type = RouteTypes[routeType - 1];
    for (const bool world : {true, false}) {
        RoutingState state;
        state.settings.routeType = routeType;
        state.settings.minimize = MinimizeMode::No;
        std::ostringstream said;
        Console console(said);
        console.diagnostics().setCollecting(false);
        appendAka(state, FtnAddress{1, 1, 1});
        appendAka(state, FtnAddress{1, 1, 2});
        static constexpr const char* Flavours[] = {"c",   "d",   "h",   "n",   "cf", "df",
                                                   "hf",  "nf",  "ca",  "da",  "ha", "na",
                                                   "cfa", "dfa", "hfa", "nfa", "cd", "ch"};
        std::uint16_t node = 1;
        for (const char* letters : Flavours) {
            LinkEntry link;
            // Links in the system's own net and in another.
            link.address = FtnAddress{1, static_cast<std::uint16_t>(1 + node % 2), node};
            readFlavourLetters(letters, link.flavour);
            if (findItem(state, link.address) == NoVia) {
                appendItem(state, RouteItem{NoVia, 0, link.address});
            }
            appendLink(state, link);
            const std::string n = std::to_string(node);
            std::string line =
                addressText(link.address) + " 1:1/" + std::to_string(100 + node) + " 1:2/" +
                std::to_string(100 + node) + " 1:" + std::to_string(300 + node) + "/" + n + " " +
                std::to_string(10 + node) + ":5/" + n + " 1:" + std::to_string(300 + node) + "/* " +
                std::to_string(30 + node) + ":*/*";
            if (node == 1) {
                for (int k = 0; k < 40; ++k) {
                    line += " 1:1/" + std::to_string(200 + k) + " 1:2/" + std::to_string(200 + k);
                }
                if (world) {
                    line += " World";
                }
            }
            readRouteLine(state, console, line);
            ++node;
        }
        // A link on two Link lines, nodes reached directly, a via node
        // nothing routes.
        LinkEntry twice;
        twice.address = FtnAddress{1, 2, 1};
        twice.flavour = FlavourHold;
        appendLink(state, twice);
        readRouteLine(state, console, "> 1:1/1 1:3/1 1:3/2");
        readRouteLine(state, console, "1:9/9 1:9/10");
        adjustRouting(state, console);
        std::ostringstream table;
        LineWriter writer(state, table, false, 0);
        type.write(writer);
        writeUnrouted(writer);
        std::istringstream lines(table.str());
        for (std::string line; std::getline(lines, line);) {
            for (const std::string& word : wordsOf(line, type.commentChar)) {
                vocabulary.insert(shapeOf(word));
            }
        }
    }
}

bool blank(std::string_view line) {
    return line.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

} // namespace

RegionCheck::RegionCheck(const OldRegion& old, std::streambuf* next) : old_(old), next_(next) {
    for (const std::string& line : old.lines) {
        ++left_[line];
    }
}

int RegionCheck::overflow(int c) {
    if (c == traits_type::eof()) {
        return traits_type::not_eof(c);
    }
    const char ch = static_cast<char>(c);
    xsputn(&ch, 1);
    return c;
}

std::streamsize RegionCheck::xsputn(const char* data, std::streamsize size) {
    const std::string_view text(data, static_cast<std::size_t>(size));
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t lineFeed = text.find('\n', start);
        const std::size_t end = lineFeed == std::string_view::npos ? text.size() : lineFeed;
        line_.append(text.substr(start, end - start));
        if (lineFeed == std::string_view::npos) {
            break;
        }
        endLine();
        start = lineFeed + 1;
    }
    if (next_ != nullptr) {
        return next_->sputn(data, size);
    }
    return size;
}

int RegionCheck::sync() {
    return next_ != nullptr ? next_->pubsync() : 0;
}

void RegionCheck::endLine() {
    const std::string line = withoutLineEnd(std::move(line_));
    line_.clear();
    if (newLines_++ == 0) {
        firstLine_ = line;
    }
    const auto old = left_.find(line);
    if (old != left_.end() && old->second != 0) {
        --old->second;
    } else {
        ++added_;
    }
}

void RegionCheck::report(const RoutingState& state, Diagnostics& diagnostics) {
    if (!line_.empty()) {
        endLine();
    }
    const RouteType& type = RouteTypes[state.settings.routeType - 1];
    if (old_.endLine != 0 && !blank(old_.afterEndMarker)) {
        diagnostics.reportAt(Severity::Warning, old_.file, old_.endLine,
                             "the text after the end marker, \"" +
                                 withoutLineEnd(old_.afterEndMarker) +
                                 "\", is lost: the run writes the marker line anew from the "
                                 "RouteEnd text alone");
    }
    // The lines dropped: of lines that stand more than once, the last ones.
    std::unordered_map<std::string, std::size_t> dropped = left_;
    std::vector<bool> isDropped(old_.lines.size(), false);
    std::size_t removed = 0;
    for (std::size_t k = old_.lines.size(); k-- > 0;) {
        auto found = dropped.find(old_.lines[k]);
        if (found->second != 0) {
            --found->second;
            isDropped[k] = true;
            ++removed;
        }
    }
    if (removed == 0) {
        return;
    }
    // A region that begins with the header Spokeway writes holds its table;
    // its time line changes at every run.
    auto shapes = [&](const std::string& line) {
        std::vector<std::string> all;
        for (const std::string& word : wordsOf(line, type.commentChar)) {
            all.push_back(shapeOf(word));
        }
        return all;
    };
    // A header of another route type's table (the RouteType changed): its
    // words are Spokeway's too.
    const bool sameType = !old_.lines.empty() && shapes(old_.lines.front()) == shapes(firstLine_);
    const bool ours =
        sameType ||
        (!old_.lines.empty() && old_.lines.front().find(" routing for ") != std::string::npos &&
         old_.lines.front().find(". Created by Spokeway generator ") != std::string::npos);
    std::set<std::string> vocabulary;
    if (sameType) {
        addWriterVocabulary(state.settings.routeType, vocabulary);
    } else if (ours) {
        for (std::size_t k = 1; k <= RouteTypes.size(); ++k) {
            addWriterVocabulary(static_cast<std::uint16_t>(k), vocabulary);
        }
    }
    std::size_t warned = 0;
    for (std::size_t k = 0; k < old_.lines.size(); ++k) {
        const std::string& line = old_.lines[k];
        if (!isDropped[k] || blank(line) || (ours && k == 1)) {
            continue;
        }
        std::string why;
        if (!ours) {
            why = "the region does not begin with the header Spokeway writes";
        } else {
            for (const std::string& word : wordsOf(line, type.commentChar)) {
                if (!vocabulary.contains(shapeOf(word))) {
                    why = word.starts_with("comment ")
                              ? "a comment after a route"
                              : "\"" + word + "\" is no word of the " + type.name + " table";
                    break;
                }
            }
        }
        if (!why.empty()) {
            diagnostics.reportAt(Severity::Warning, old_.file, old_.beginLine + 1 + k,
                                 "this line between the markers is lost at the next run (" + why +
                                     "): Spokeway never writes it");
            ++warned;
        }
    }
    if (warned != 0) {
        diagnostics.reportAt(Severity::Note, old_.file, old_.beginLine,
                             "the new table adds " + std::to_string(added_) +
                                 " lines to the region and removes " + std::to_string(removed));
    }
}
