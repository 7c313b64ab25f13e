#include "driver/consumer_check.hpp"

#include <algorithm>
#include <set>
#include <string_view>
#include <vector>

#include "messages/findings.hpp"
#include "writers/route_types.hpp"

namespace {

// A whole "Z:N/F" with an optional ".P" and "@domain", as an Aka line gives
// it; a point other than 0 names no link of the table.
bool readAka(std::string_view word, FtnAddress& address) {
    word = word.substr(0, word.find('@'));
    std::uint32_t parts[4] = {0, 0, 0, 0};
    const char separators[] = {':', '/', '.'};
    std::size_t part = 0;
    bool digits = false;
    for (char c : word) {
        if (c >= '0' && c <= '9') {
            parts[part] = parts[part] * 10 + static_cast<std::uint32_t>(c - '0');
            if (parts[part] >= Wildcard) {
                return false;
            }
            digits = true;
        } else if (part < 3 && c == separators[part] && digits) {
            ++part;
            digits = false;
        } else {
            return false;
        }
    }
    if (!digits || part < 2 || parts[3] != 0) {
        return false;
    }
    address = FtnAddress{static_cast<std::uint16_t>(parts[0]), static_cast<std::uint16_t>(parts[1]),
                         static_cast<std::uint16_t>(parts[2])};
    return true;
}

// The Aka lines of Link blocks in fidoconfig text, following its include
// lines (file names taken relative to the current folder, as fidoconfig
// does). Comment lines begin with '#'; keywords are in any case.
class LinkBlocks {
  public:
    LinkBlocks(Disk& disk, Diagnostics& diagnostics) : disk_(disk), diagnostics_(diagnostics) {}

    void read(std::string_view text, const std::string& file) {
        unsigned long number = 0;
        while (!text.empty()) {
            const std::size_t end = text.find('\n');
            std::string_view line = text.substr(0, end);
            text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
            ++number;
            readLine(line, file, number);
        }
    }

    const std::set<FtnAddress>& akas() const { return akas_; }
    bool complete() const { return complete_; }

  private:
    static std::string_view nextWord(std::string_view& line) {
        std::size_t start = 0;
        skipBlanks(line, start);
        std::size_t end = start;
        while (end < line.size() && !isBlank(line[end])) {
            ++end;
        }
        const std::string_view word = line.substr(start, end - start);
        line.remove_prefix(end);
        return word;
    }

    static bool isKeyword(std::string_view word, std::string_view lowerKeyword) {
        return word.size() == lowerKeyword.size() && startsWithNoCase(word, lowerKeyword);
    }

    void readLine(std::string_view line, const std::string& file, unsigned long number) {
        const std::string_view keyword = nextWord(line);
        if (keyword.empty() || keyword.front() == '#') {
            return;
        }
        if (isKeyword(keyword, "link")) {
            inLink_ = true;
        } else if (isKeyword(keyword, "aka") && inLink_) {
            FtnAddress address;
            if (readAka(nextWord(line), address)) {
                akas_.insert(address);
            }
        } else if (isKeyword(keyword, "include")) {
            std::size_t start = 0;
            skipBlanks(line, start);
            std::string_view name = line.substr(start);
            while (!name.empty() && isBlank(name.back())) {
                name.remove_suffix(1);
            }
            include(std::string(name), file, number);
        }
    }

    // Each file is read once: a file included again (or including itself)
    // can define no link that is not known already.
    void include(const std::string& name, const std::string& file, unsigned long number) {
        std::unique_ptr<TextReader> reader = depth_ < 64 ? openText(disk_, name) : nullptr;
        if (reader && std::find(read_.begin(), read_.end(), reader->identity()) != read_.end()) {
            return;
        }
        std::string text;
        std::string line;
        while (reader && reader->readLine(line)) {
            text += line;
        }
        if (!reader || reader->failed()) {
            complete_ = false;
            reportFinding(diagnostics_, Finding::IncludeUnreadable, file, number, {name, file});
            return;
        }
        read_.push_back(reader->identity());
        reader.reset();
        ++depth_;
        read(text, name);
        --depth_;
    }

    Disk& disk_;
    Diagnostics& diagnostics_;
    std::set<FtnAddress> akas_;
    std::vector<ByteSource::Identity> read_; // the included files read
    int depth_ = 0;
    bool inLink_ = false;
    bool complete_ = true;
};

// hpt: every link the table names needs a Link block with its Aka above the
// table, or fidoconfig refuses the whole configuration. A link with wildcard
// parts gets no table line (and a warning of its own).
void checkHpt(const RoutingState& state, Disk& disk, Diagnostics& diagnostics,
              const std::string& destination, const std::string& head,
              const std::string& configPath) {
    LinkBlocks blocks(disk, diagnostics);
    blocks.read(head, destination);
    if (!blocks.complete()) {
        return;
    }
    std::set<FtnAddress> reported;
    for (std::size_t k = 0; k < state.links.size(); ++k) {
        const FtnAddress address = state.links[k].address;
        if (hasWildcard(address) || blocks.akas().count(address) != 0 ||
            !reported.insert(address).second) {
            continue;
        }
        const std::string place = state.provenance.originText(state.provenance.linkOrigin(k));
        const std::size_t colon = place.rfind(':');
        const std::string text = plainAddressText(address);
        if (place.empty() || colon == std::string::npos) {
            reportFinding(diagnostics, Finding::MadeLinkBlockMissing, configPath, 0,
                          {text, text, destination});
        } else {
            reportFinding(diagnostics, Finding::LinkBlockMissing, place.substr(0, colon),
                          std::stoul(place.substr(colon + 1)), {text, text, destination});
        }
    }
}

using ConsumerCheck = void (*)(const RoutingState&, Disk&, Diagnostics&, const std::string&,
                               const std::string&, const std::string&);

// The route types whose consumer --check looks at beyond the markers.
constexpr struct {
    const char* routeType;
    ConsumerCheck check;
} ConsumerChecks[] = {{"hpt", checkHpt}};

} // namespace

void checkConsumer(const RoutingState& state, Disk& disk, Diagnostics& diagnostics,
                   const std::string& destination, const std::string& head,
                   const std::string& configPath) {
    if (state.settings.routeType == 0) {
        return;
    }
    const std::string_view name = RouteTypes[state.settings.routeType - 1].name;
    for (const auto& row : ConsumerChecks) {
        if (name == row.routeType) {
            row.check(state, disk, diagnostics, destination, head, configPath);
        }
    }
}
