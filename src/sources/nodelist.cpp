#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sources/nodelist.hpp"

#include "model/tables.hpp"
#include "sources/sources.hpp"

namespace {

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

// CRC-16 CCITT (polynomial 0x1021, initial value 0), as nodelists carry it:
// the remainder of each byte value, shifted in at the top, worked out once.
constexpr std::array<std::uint16_t, 256> CrcTable = [] {
    std::array<std::uint16_t, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        unsigned crc = byte << 8;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x8000) != 0 ? (crc << 1) ^ 0x1021 : crc << 1;
        }
        table[byte] = static_cast<std::uint16_t>(crc);
    }
    return table;
}();

std::uint16_t addCrc(std::uint16_t crc, std::string_view bytes) {
    for (char c : bytes) {
        crc = static_cast<std::uint16_t>(
            (crc << 8) ^ CrcTable[((crc >> 8) ^ static_cast<unsigned char>(c)) & 0xff]);
    }
    return crc;
}

// Adds a line (or a piece of one) to the CRC with a CR LF line end, whatever
// end it has, so that a copy with LF line ends checks the same.
std::uint16_t addLineCrc(std::uint16_t crc, std::string_view line) {
    if (line.empty() || line.back() != '\n') {
        return addCrc(crc, line);
    }
    line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return addCrc(addCrc(crc, line), "\r\n");
}

// The CRC a publication line states: ";A ... : 12345".
bool statedCrc(std::string_view line, std::uint16_t& crc) {
    if (line.substr(0, 2) != ";A") {
        return false;
    }
    std::size_t end = line.size();
    while (end > 0 && isWhiteSpace(line[end - 1])) {
        --end;
    }
    std::size_t start = end;
    while (start > 0 && line[start - 1] >= '0' && line[start - 1] <= '9') {
        --start;
    }
    std::size_t colon = start;
    while (colon > 0 && isBlank(line[colon - 1])) {
        --colon;
    }
    if (start == end || end - start > 5 || colon == 0 || line[colon - 1] != ':') {
        return false;
    }
    const std::int32_t value = decimalValue(line.substr(start, end - start));
    if (value > 65535) {
        return false;
    }
    crc = static_cast<std::uint16_t>(value);
    return true;
}

// The number of a nodelist's extension as atoi reads it (white space, a
// sign, then digits; none is 0), given as its digits without leading zeros,
// so that numbers of any length compare by length and then digit by digit.
// False when the number is negative.
bool extensionNumber(std::string_view text, std::string& digits) {
    std::size_t i = 0;
    while (i < text.size() && isWhiteSpace(text[i])) {
        ++i;
    }
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    while (i < text.size() && text[i] == '0') {
        ++i;
    }
    digits.clear();
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        digits += text[i];
    }
    return !negative || digits.empty();
}

// The date a nodelist's first line states (";A Friday, January 3, 1997 --
// Day number 003 : 15341") as year, month and day in one number; 0 when the
// line states none.
std::uint32_t statedDate(std::string_view line) {
    static constexpr std::string_view Months[] = {"January",   "February", "March",    "April",
                                                  "May",       "June",     "July",     "August",
                                                  "September", "October",  "November", "December"};
    if (!line.starts_with(";")) {
        return 0;
    }
    for (std::uint32_t month = 1; month <= 12; ++month) {
        const std::string_view name = Months[month - 1];
        for (std::size_t at = line.find(name); at != std::string_view::npos;
             at = line.find(name, at + 1)) {
            std::size_t i = at + name.size();
            auto number = [&](std::size_t least, std::size_t most, std::uint32_t& value) {
                const std::size_t start = i;
                value = 0;
                while (i < line.size() && i - start < most && line[i] >= '0' && line[i] <= '9') {
                    value = value * 10 + static_cast<std::uint32_t>(line[i++] - '0');
                }
                return i - start >= least;
            };
            std::uint32_t day = 0;
            std::uint32_t year = 0;
            if (i < line.size() && line[i++] == ' ' && number(1, 2, day) && i < line.size() &&
                line[i++] == ',' && i < line.size() && line[i++] == ' ' && number(4, 4, year) &&
                day >= 1 && day <= 31) {
                return year * 10000 + month * 100 + day;
            }
        }
    }
    return 0;
}

// What tells how new a matching file is: the date its first line states
// and its modification time.
struct FileAge {
    std::uint32_t date = 0;
    std::int64_t modified = 0;
};

bool ageOf(Disk& disk, const std::string& path, FileAge& age) {
    Disk::Identity file;
    if (!disk.fileIdentity(path, file)) {
        return false;
    }
    age.modified = file.modified;
    age.date = 0;
    std::unique_ptr<TextReader> text = openText(disk, path, 4096);
    std::string line;
    if (text && text->readLine(line)) {
        skipByteOrderMark(line);
        age.date = statedDate(line);
    }
    return true;
}

// By the dates the files state when both state one, else (a copy made
// with cp has a new modification time) by modification time.
bool laterThan(const FileAge& one, const FileAge& other) {
    if (one.date != 0 && other.date != 0) {
        return one.date > other.date;
    }
    return one.modified > other.modified;
}

// A file the pattern matches that is newer than the one chosen by its
// number, as after the turn of the year, when day 003 follows day 362;
// empty when there is none.
std::string newerMatch(Disk& disk, const PathParts& pattern, const std::vector<std::string>& names,
                       const std::string& chosen) {
    PathParts parts = pattern;
    parts.name = chosen;
    parts.ext.clear();
    FileAge newest;
    if (!ageOf(disk, makePath(parts), newest)) {
        return "";
    }
    std::string newer;
    for (const std::string& name : names) {
        parts.name = name;
        FileAge age;
        if (name != chosen && name.find('.') != std::string::npos &&
            ageOf(disk, makePath(parts), age) && laterThan(age, newest)) {
            newest = age;
            newer = makePath(parts);
        }
    }
    return newer;
}

// Resolves the nodelist path: a wildcard pattern picks the matching file
// with the greatest numeric extension; other paths are taken as they are.
// False when no file qualifies.
bool findNodelist(Disk& disk, NodelistCache& cache, std::string_view pathWord, std::string& path,
                  std::string& newer, bool lookForNewer) {
    PathParts parts = splitPath(pathWord);
    if (pathWord.find_first_of("?*") == std::string_view::npos) {
        path = std::string(pathWord);
        return true;
    }
    // Many Spokeway lines may name the same pattern: the folder is listed
    // again only when it has changed.
    TextReader::Identity folder;
    const bool stamped = disk.folderIdentity(parts.dir, folder);
    ResolvedPattern& resolved = cache.patterns[{parts.dir, parts.name + parts.ext}];
    if (!stamped || !(resolved.folder == folder) || folder == TextReader::Identity{}) {
        resolved = ResolvedPattern{};
        std::vector<std::string> names;
        if (!disk.list(parts.dir, parts.name + parts.ext, names)) {
            return false;
        }
        std::string best;
        for (const std::string& name : names) {
            std::size_t dot = name.rfind('.');
            std::string number;
            if (dot == std::string::npos || !extensionNumber(name.substr(dot + 1), number)) {
                continue; // a name without an extension, or a negative one, never qualifies
            }
            if (!resolved.found || number.size() > best.size() ||
                (number.size() == best.size() && number > best)) {
                resolved.found = true;
                best = number;
                resolved.name = name.substr(0, dot);
                resolved.ext = name.substr(dot + 1);
            }
        }
        if (resolved.found && lookForNewer) {
            resolved.newer = newerMatch(disk, parts, names, resolved.name + "." + resolved.ext);
        }
        if (stamped) {
            resolved.folder = folder;
        }
    }
    if (!resolved.found) {
        return false;
    }
    // The dot is always put back, so a name that ends with one ("NODELIST.")
    // is rebuilt as listed.
    parts.name = resolved.name;
    parts.ext = "." + resolved.ext;
    path = makePath(parts);
    newer = resolved.newer;
    return true;
}

enum class LineKind { Comment, Zone, Host, Region, Hub, Node, Other };

struct ClassifiedLine {
    LineKind kind = LineKind::Other;
    std::uint16_t number = 0; // read at the offset the kind gives
};

ClassifiedLine classify(std::string_view line) {
    using Kind = LineKind;
    switch (lowerCase(line.front())) {
    case ',':
        return {Kind::Node, numberAt(line, 1)};
    case 'z':
    case 'h':
    case 'r':
    case 'p':
    case 'd':
        break;
    case ';':
        return {Kind::Comment, 0};
    default:
        return {Kind::Other, 0}; // empty lines among them
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

// Reads the whole nodelist and keeps of its Host, Hub and node lines what
// the scan needs. Null on a read error.
std::shared_ptr<const NodelistIndex> readNodelist(TextReader& file, bool checkCrc) {
    using Kind = LineKind;
    auto index = std::make_shared<NodelistIndex>();
    index->file = file.identity();
    std::string spill;
    std::string_view line;
    bool inZone = false;
    std::uint16_t zone = 0;
    // The last net, while its end in zone mode or in segment mode is open.
    constexpr std::uint32_t None = ~std::uint32_t{0};
    std::uint32_t zoneModeOpen = None;
    std::uint32_t segmentModeOpen = None;
    auto end = [&](std::uint32_t& open, std::uint32_t NodelistNet::*field) {
        if (open != None) {
            index->nets[open].*field = static_cast<std::uint32_t>(index->lines.size());
            open = None;
        }
    };
    for (; file.readLine(line, spill); ++index->lineCount) {
        if (index->lineCount == 0) {
            skipByteOrderMark(line);
            index->statesCrc = checkCrc && statedCrc(line, index->statedCrc);
        } else if (index->statesCrc) {
            index->actualCrc = addLineCrc(index->actualCrc, line);
        }
        const ClassifiedLine entry = classify(line);
        const auto at = static_cast<std::uint32_t>(index->lineCount);
        switch (entry.kind) {
        case Kind::Zone:
            end(zoneModeOpen, &NodelistNet::zoneModeEnd);
            inZone = true;
            zone = entry.number;
            break;
        case Kind::Region:
            end(zoneModeOpen, &NodelistNet::zoneModeEnd);
            end(segmentModeOpen, &NodelistNet::segmentModeEnd);
            break;
        case Kind::Host: {
            end(zoneModeOpen, &NodelistNet::zoneModeEnd);
            end(segmentModeOpen, &NodelistNet::segmentModeEnd);
            const auto net = static_cast<std::uint32_t>(index->nets.size());
            index->nets.push_back(
                NodelistNet{static_cast<std::uint32_t>(index->lines.size()), 0, 0});
            index->lines.push_back(NodelistLine{at, NodelistLineKind::Host, entry.number});
            index->netsByNumber[entry.number].push_back(net);
            if (inZone) {
                index->netsByZoneAndNumber[(std::uint32_t{zone} << 16) | entry.number].push_back(
                    net);
            }
            zoneModeOpen = segmentModeOpen = net;
            break;
        }
        case Kind::Hub:
            index->lines.push_back(NodelistLine{at, NodelistLineKind::Hub, entry.number});
            break;
        case Kind::Node:
            index->lines.push_back(NodelistLine{at, NodelistLineKind::Node, entry.number});
            break;
        case Kind::Comment:
        case Kind::Other:
            break;
        }
    }
    if (file.failed()) {
        return nullptr;
    }
    end(zoneModeOpen, &NodelistNet::zoneModeEnd);
    end(segmentModeOpen, &NodelistNet::segmentModeEnd);
    index->lines.shrink_to_fit();
    index->nets.shrink_to_fit();
    return index;
}

// Routes the nodes of the selected net via their hubs (or via the host for
// the nodes before the first hub). Only the lines of the selected net are
// looked at; the spinner turns as if every line of the file were read.
void scanNodelist(RoutingState& state, Console& console, const NodelistIndex& index,
                  const std::string& path, const NetScan& mode, bool routes) {
    // Nodes are routed by the Host or Hub line they stand under.
    Provenance& provenance = state.provenance;
    const std::uint32_t fileNumber = provenance.fileNumber(path);
    using Kind = NodelistLineKind;
    const std::uint64_t period =
        (mode.zoneMode ? ZoneSpinnerInterval : SegmentSpinnerInterval) + std::uint64_t{1};
    std::uint64_t turns = 0;
    std::uint64_t nextTurn = period; // lines read at the next turn (no division per line)
    auto linesRead = [&](std::uint64_t count) {
        if (count >= nextTurn) {
            console.spin(static_cast<std::size_t>(count / period - turns));
            turns = count / period;
            nextTurn = (turns + 1) * period;
        }
    };
    const std::vector<std::uint32_t>* nets = nullptr;
    if (!routes) {
        // The same scan from the same table changes nothing: only the spinner turns.
    } else if (mode.zoneMode) {
        auto found = index.netsByZoneAndNumber.find((std::uint32_t{mode.zone} << 16) | mode.net);
        nets = found == index.netsByZoneAndNumber.end() ? nullptr : &found->second;
    } else {
        auto found = index.netsByNumber.find(mode.net);
        nets = found == index.netsByNumber.end() ? nullptr : &found->second;
    }
    bool routed = false;
    if (nets != nullptr) {
        for (std::uint32_t net : *nets) {
            const NodelistNet& range = index.nets[net];
            const std::uint32_t end = mode.zoneMode ? range.zoneModeEnd : range.segmentModeEnd;
            linesRead(index.lines[range.host].line + std::uint64_t{1});
            provenance.setCurrent(Origin{fileNumber, index.lines[range.host].line + 1});
            reserveItems(state, end - range.host);
            std::uint16_t via = findOrAddItem(state, FtnAddress{mode.zone, mode.net, 0});
            for (std::uint32_t k = range.host + 1; k < end; ++k) {
                const NodelistLine& line = index.lines[k];
                linesRead(line.line + std::uint64_t{1});
                if (line.kind == Kind::Hub) {
                    provenance.setCurrent(Origin{fileNumber, line.line + 1});
                    via = findOrAddItem(state, FtnAddress{mode.zone, mode.net, line.number});
                } else {
                    routed = true;
                    routeVia(state, console, via, FtnAddress{mode.zone, mode.net, line.number});
                }
            }
        }
    }
    linesRead(index.lineCount);
    if (!routes) {
        return; // said when the same scan was made before
    }
    const std::string net = std::to_string(mode.zone) + ":" + std::to_string(mode.net);
    if (nets == nullptr) {
        console.diagnostics().warn("net " + net + " is not in the nodelist " + path +
                                   (mode.zoneMode ? " (in zone mode: no Host line of net " +
                                                        std::to_string(mode.net) + " in zone " +
                                                        std::to_string(mode.zone) + ")"
                                                  : ""));
    } else if (!routed) {
        console.diagnostics().warn("net " + net + " gives no route: the nodelist " + path +
                                   " lists no node in it");
    }
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

bool NodelistReader::choose(std::string_view pathWord, std::string& path) {
    std::string newer;
    return findNodelist(disk_, cache_, pathWord, path, newer, lookForNewer_);
}

OpenNodelist NodelistReader::open(std::string_view pathWord, std::string& path) {
    newerFile_.clear();
    if (!findNodelist(disk_, cache_, pathWord, path, newerFile_, lookForNewer_)) {
        return {};
    }
    // The file read before, not changed since (not even its mode), is not
    // opened again.
    const auto cached = cache_.byPath.find(path);
    TextReader::Identity now;
    if (cached != cache_.byPath.end() && cached->second &&
        !(cached->second->file == TextReader::Identity{}) && disk_.fileIdentity(path, now) &&
        cached->second->file == now) {
        return {nullptr, cached->second};
    }
    return {openText(disk_, path, NodelistBufferSize), nullptr};
}

bool NodelistReader::scanNet(RoutingState& state, Console& console, OpenNodelist& nodelist,
                             const std::string& path, const NetScan& scan) {
    auto& cached = cache_.byPath[path];
    if (nodelist.kept) {
        cached = nodelist.kept;
    } else if (!cached || !(cached->file == nodelist.file->identity())) {
        cached = nullptr; // the old one is let go before the new one is read
        cached = readNodelist(*nodelist.file, console.diagnostics().collecting());
        if (cached && cached->statesCrc && cached->statedCrc != cached->actualCrc) {
            console.diagnostics().reportAt(
                Severity::Warning, path, 1,
                "the nodelist's CRC is " + std::to_string(cached->actualCrc) + ", not the " +
                    std::to_string(cached->statedCrc) +
                    " its first line states: the file is damaged, cut short or not a nodelist");
        }
    }
    if (!cached) {
        return false;
    }
    // A scan that changed nothing leaves the table as it found it, so the
    // same scan from the same table would again change nothing.
    ScanRecord& last = cache_.lastScans[{path, scan.zoneMode, scan.zone, scan.net}];
    const bool unchanged = last.index == cached && last.changesBefore == last.changesAfter &&
                           last.changesAfter == state.itemChanges;
    const std::uint64_t before = state.itemChanges;
    scanNodelist(state, console, *cached, path, scan, !unchanged);
    last = ScanRecord{cached, before, state.itemChanges};
    return true;
}
