#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sources/nodelist.hpp"

#include "model/tables.hpp"

namespace {

// Nodelist lines are read this many characters at a time.
constexpr std::size_t NodelistLineLimit = 29999;
// The nodelist stream's buffer.
constexpr std::size_t NodelistBufferSize = 32768;
// The spinner moves on every (interval + 1)th line.
constexpr unsigned SegmentSpinnerInterval = 20;
constexpr unsigned ZoneSpinnerInterval = 1000;

// The words of a definition: split at blanks and tabs only, so a line feed
// stays attached to the last word.
class DefinitionWords {
  public:
    explicit DefinitionWords(std::string_view text) : text_(text) {}

    // The next word, or false when there is none.
    bool next(std::string_view& word) {
        while (pos_ < text_.size() && isSeparator(text_[pos_])) {
            ++pos_;
        }
        if (pos_ >= text_.size()) {
            return false;
        }
        std::size_t start = pos_;
        while (pos_ < text_.size() && !isSeparator(text_[pos_])) {
            ++pos_;
        }
        word = text_.substr(start, pos_ - start);
        return true;
    }

  private:
    static bool isSeparator(char c) { return c == ' ' || c == '\t'; }

    std::string_view text_;
    std::size_t pos_ = 0;
};

// Decimal conversion as atoi does it: leading white space, an optional sign,
// digits up to the first other character, 0 when there are none. The value
// wraps instead of overflowing; callers keep its low 16 bits.
std::int32_t decimalValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isWhiteSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
    }
    if (negative) {
        value = 0u - value;
    }
    return static_cast<std::int32_t>(value);
}

std::uint16_t wordValue(std::string_view text) {
    return static_cast<std::uint16_t>(decimalValue(text));
}

// The number that starts at `offset` of a nodelist line (0 past its end).
std::uint16_t numberAt(std::string_view line, std::size_t offset) {
    return offset < line.size() ? wordValue(line.substr(offset)) : 0;
}

NodelistLine classify(std::string_view line) {
    using Kind = NodelistLineKind;
    if (line.front() == ';') {
        return {Kind::Comment, 0};
    }
    if (startsWithNoCase(line, "zone")) {
        return {Kind::Zone, numberAt(line, 5)};
    }
    if (startsWithNoCase(line, "host")) {
        return {Kind::Host, numberAt(line, 5)};
    }
    if (startsWithNoCase(line, "region")) {
        return {Kind::Region, 0};
    }
    if (startsWithNoCase(line, "hub")) {
        return {Kind::Hub, numberAt(line, 4)};
    }
    if (startsWithNoCase(line, "pvt")) {
        return {Kind::Node, numberAt(line, 4)};
    }
    if (startsWithNoCase(line, "hold") || startsWithNoCase(line, "down")) {
        return {Kind::Node, numberAt(line, 5)};
    }
    if (line.front() == ',') {
        return {Kind::Node, numberAt(line, 1)};
    }
    return {Kind::Other, 0};
}

// Reads the whole nodelist and notes of each line what the scan needs.
// Null on a read error.
// Resolves the nodelist path: a wildcard pattern picks the matching file
// with the greatest numeric extension; other paths are taken as they are.
// False when no file qualifies.
bool findNodelist(Disk& disk, std::string_view pathWord, std::string& path) {
    PathParts parts = splitPath(pathWord);
    if (pathWord.find_first_of("?*") == std::string_view::npos) {
        path = std::string(pathWord);
        return true;
    }
    std::vector<std::string> names;
    if (!disk.list(parts.dir, parts.name + parts.ext, names)) {
        return false;
    }
    std::int32_t best = -1;
    for (const std::string& name : names) {
        std::size_t dot = name.rfind('.');
        if (dot == std::string::npos) {
            continue; // a name without an extension never qualifies
        }
        std::int16_t number = static_cast<std::int16_t>(decimalValue(name.substr(dot + 1)));
        if (number > best) {
            best = number;
            parts.name = name.substr(0, dot);
            parts.ext = name.substr(dot + 1);
        }
    }
    if (best < 0) {
        return false;
    }
    // The dot is always put back, so a name that ends with one ("NODELIST.")
    // is rebuilt as listed.
    parts.ext.insert(0, ".");
    path = makePath(parts);
    return true;
}

std::shared_ptr<const NodelistIndex> readNodelist(TextReader& file) {
    using Kind = NodelistLineKind;
    auto index = std::make_shared<NodelistIndex>();
    index->file = file.identity();
    std::string line;
    std::uint32_t lastZone = 0;
    while (file.readLine(line, NodelistLineLimit)) {
        const auto at = static_cast<std::uint32_t>(index->lines.size());
        NodelistLine entry = classify(line);
        index->lastZoneLine.push_back(lastZone);
        if (entry.kind == Kind::Zone) {
            lastZone = at + 1;
        } else if (entry.kind == Kind::Host) {
            index->hostsOfNet[entry.number].push_back(at);
        }
        index->lines.push_back(entry);
        if (line.empty() || line.back() != '\n') {
            index->continued.push_back(at);
        }
    }
    if (file.failed()) {
        return nullptr;
    }
    const auto count = static_cast<std::uint32_t>(index->lines.size());
    index->nextZoneModeEnd.assign(count, count);
    index->nextSegmentModeEnd.assign(count, count);
    std::uint32_t zoneModeEnd = count;
    std::uint32_t segmentModeEnd = count;
    for (std::uint32_t k = count; k-- > 0;) {
        index->nextZoneModeEnd[k] = zoneModeEnd;
        index->nextSegmentModeEnd[k] = segmentModeEnd;
        Kind kind = index->lines[k].kind;
        if (kind == Kind::Host || kind == Kind::Region) {
            zoneModeEnd = segmentModeEnd = k;
        } else if (kind == Kind::Zone) {
            zoneModeEnd = k;
        }
    }
    return index;
}

// The line number in the file of the piece at `at`.
std::uint32_t fileLine(const NodelistIndex& index, std::uint32_t at) {
    const auto before = std::lower_bound(index.continued.begin(), index.continued.end(), at) -
                        index.continued.begin();
    return at + 1 - static_cast<std::uint32_t>(before);
}

// Routes the nodes of the selected net via their hubs (or via the host for
// the nodes before the first hub). Only the lines of the selected net are
// looked at; the spinner turns as if every line of the file were read.
void scanNodelist(RoutingState& state, Console& console, const NodelistIndex& index,
                  const NetScan& mode, std::uint32_t fileNumber) {
    // Nodes are routed by the Host or Hub line they stand under.
    Provenance& provenance = state.provenance;
    using Kind = NodelistLineKind;
    const std::size_t period =
        (mode.zoneMode ? ZoneSpinnerInterval : SegmentSpinnerInterval) + std::size_t{1};
    std::size_t turns = 0;
    auto linesRead = [&](std::size_t count) {
        for (; turns < count / period; ++turns) {
            console.spin();
        }
    };
    auto hosts = index.hostsOfNet.find(mode.net);
    if (hosts != index.hostsOfNet.end()) {
        for (std::uint32_t host : hosts->second) {
            if (mode.zoneMode) {
                std::uint32_t zoneLine = index.lastZoneLine[host];
                if (zoneLine == 0 || index.lines[zoneLine - 1].number != mode.zone) {
                    continue; // outside the selected zone
                }
            }
            const std::uint32_t end =
                mode.zoneMode ? index.nextZoneModeEnd[host] : index.nextSegmentModeEnd[host];
            linesRead(host + std::size_t{1});
            provenance.setCurrent(Origin{fileNumber, fileLine(index, host)});
            std::uint16_t via = findOrAddItem(state, FtnAddress{mode.zone, mode.net, 0});
            for (std::uint32_t k = host + 1; k < end; ++k) {
                const NodelistLine& line = index.lines[k];
                if (line.kind == Kind::Hub) {
                    linesRead(k + std::size_t{1});
                    provenance.setCurrent(Origin{fileNumber, fileLine(index, k)});
                    via = findOrAddItem(state, FtnAddress{mode.zone, mode.net, line.number});
                } else if (line.kind == Kind::Node) {
                    linesRead(k + std::size_t{1});
                    routeVia(state, console, via, FtnAddress{mode.zone, mode.net, line.number});
                }
            }
        }
    }
    linesRead(index.lines.size());
}

} // namespace

NodelistDefinition readNodelistDefinition(std::string_view text) {
    NodelistDefinition definition;
    DefinitionWords words(text);
    std::string_view word;
    if (words.next(word)) { // a missing path is an empty one, which cannot be opened
        definition.pathWord = std::string(word);
    }
    std::string_view modeWord;
    std::string_view zoneWord;
    std::string_view netWord;
    if (!words.next(modeWord) || modeWord.size() != 1) {
        return definition;
    }
    switch (modeWord[0]) {
    case 'N':
    case 'n':
    case 'R':
    case 'r':
        definition.scan.zoneMode = false;
        break;
    case 'Z':
    case 'z':
        definition.scan.zoneMode = true;
        break;
    default:
        return definition;
    }
    if (!words.next(zoneWord) || !words.next(netWord)) {
        return definition;
    }
    definition.scan.zone = wordValue(zoneWord);
    definition.scan.net = wordValue(netWord);
    definition.valid = true;
    return definition;
}

std::unique_ptr<TextReader> NodelistReader::open(std::string_view pathWord, std::string& path) {
    if (!findNodelist(disk_, pathWord, path)) {
        return nullptr;
    }
    return openText(disk_, path, NodelistBufferSize);
}

bool NodelistReader::scanNet(RoutingState& state, Console& console, TextReader& file,
                             const std::string& path, const NetScan& scan) {
    auto& cached = cache_.byPath[path];
    if (!cached || !(cached->file == file.identity())) {
        cached = readNodelist(file);
    }
    if (!cached) {
        return false;
    }
    scanNodelist(state, console, *cached, scan, state.provenance.fileNumber(path));
    return true;
}
