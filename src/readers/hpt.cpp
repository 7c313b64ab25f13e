// hpt, through fidoconfig, reading its configuration: route and routeMail
// targets are shell-style patterns over "Z:N/F.P", tried in the order read,
// one entry per target; the first that matches decides. Mail no target
// matches stays unsent. What makes fidoconfig refuse the whole configuration
// (then nothing is sent at all) decides for every address.
#include "readers/reader.hpp"

#include <optional>

namespace {

// '*' any run of characters, '?' one character, '#' one digit.
bool globMatches(std::string_view pattern, std::string_view text) {
    std::size_t p = 0;
    std::size_t t = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starT = t;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || pattern[p] == text[t] ||
                    (pattern[p] == '#' && text[t] >= '0' && text[t] <= '9'))) {
            ++p;
            ++t;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

// A number as hpt writes it: digits without a leading zero, up to 65535.
std::optional<std::uint16_t> plainNumber(std::string_view text) {
    if (text.empty() || text.size() > 5 || (text.size() > 1 && text[0] == '0')) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value <= 65535 ? std::optional<std::uint16_t>(static_cast<std::uint16_t>(value))
                          : std::nullopt;
}

// The address a pattern stands for when it is one of the plain shapes
// "Z:N/F.0", "Z:N/F.*", "Z:N/*", "Z:*" and "*" (wildcard parts as Wildcard).
std::optional<FtnAddress> plainShape(std::string_view pattern) {
    if (pattern == "*") {
        return FtnAddress{Wildcard, Wildcard, Wildcard};
    }
    const std::size_t colon = pattern.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const auto zone = plainNumber(pattern.substr(0, colon));
    std::string_view rest = pattern.substr(colon + 1);
    if (!zone) {
        return std::nullopt;
    }
    if (rest == "*") {
        return FtnAddress{*zone, Wildcard, Wildcard};
    }
    const std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos) {
        return std::nullopt;
    }
    const auto net = plainNumber(rest.substr(0, slash));
    rest.remove_prefix(slash + 1);
    if (!net) {
        return std::nullopt;
    }
    if (rest == "*") {
        return FtnAddress{*zone, *net, Wildcard};
    }
    const std::size_t dot = rest.find('.');
    const auto node = plainNumber(rest.substr(0, dot));
    if (!node || dot == std::string_view::npos ||
        (rest.substr(dot + 1) != "0" && rest.substr(dot + 1) != "*")) {
        return std::nullopt;
    }
    return FtnAddress{*zone, *net, *node};
}

bool hptFlavour(std::string_view word, MailFlavour& flavour) {
    if (sameWord(word, "immediate")) {
        flavour = MailFlavour::Immediate;
        return true;
    }
    return flavourOfWord(word, flavour);
}

// The text with its comment removed: all of it when its first non-blank
// character is '#', else from a '#' with a blank before it and a blank or
// the end after it.
std::string_view withoutComment(std::string_view text) {
    std::size_t at = 0;
    skipBlanks(text, at);
    if (at < text.size() && text[at] == '#') {
        return {};
    }
    for (std::size_t k = 1; k < text.size(); ++k) {
        if (text[k] == '#' && isBlank(text[k - 1]) &&
            (k + 1 == text.size() || isBlank(text[k + 1]))) {
            return text.substr(0, k);
        }
    }
    return text;
}

class HptFile : public TableModel {
  public:
    HptFile(std::string_view file, FtnAddress) {
        const std::vector<std::string_view> lines = fileLines(file);
        for (std::size_t k = 0; k < lines.size() && refusedAt_ == 0; ++k) {
            // A line that ends in a blank and a backslash goes on in the next.
            const std::size_t first = k;
            std::string text(lines[k]);
            while (text.size() >= 2 && text.back() == '\\' && text[text.size() - 2] == ' ') {
                text.pop_back();
                if (++k == lines.size()) {
                    refusedAt_ = first + 1; // fidoconfig crashes
                    return;
                }
                text += lines[k];
            }
            readLine(withoutComment(text), first + 1);
        }
    }

    Delivery deliver(FtnAddress address) const override {
        if (refusedAt_ != 0) {
            Delivery refused;
            refused.refused = true;
            refused.line = refusedAt_;
            return refused;
        }
        std::uint32_t rule = index_.first(address, [](std::uint32_t) { return true; });
        if (!general_.empty()) {
            const std::string text = std::to_string(address.zone) + ":" +
                                     std::to_string(address.net) + "/" +
                                     std::to_string(address.node) + ".0";
            for (const auto& [pattern, number] : general_) {
                if (number >= rule) {
                    break;
                }
                if (globMatches(pattern, text)) {
                    rule = number;
                    break;
                }
            }
        }
        return deliveryOf(rules_, rule, address, Delivery{});
    }

  private:
    void readLine(std::string_view text, std::size_t line) {
        const std::vector<std::string_view> words = wordsOf(text);
        if (words.empty()) {
            return;
        }
        if (words[0].front() == ';') {
            refusedAt_ = line; // an unknown keyword
            return;
        }
        const bool file = sameWord(words[0], "routefile");
        if (!file && !sameWord(words[0], "route") && !sameWord(words[0], "routemail")) {
            return;
        }
        std::optional<FtnAddress> link;
        std::vector<std::pair<std::string, std::optional<MailFlavour>>> targets;
        std::optional<MailFlavour> flavour;
        bool anyFlavour = false;
        for (std::size_t w = 1; w < words.size(); ++w) {
            MailFlavour named{};
            if (hptFlavour(words[w], named)) {
                flavour = named;
                anyFlavour = true;
            } else if (link) {
                std::string target(words[w]);
                if (target.find_first_of(".*") == std::string::npos) {
                    target += ".0";
                }
                targets.emplace_back(target, flavour);
            } else if (auto shape = plainShape(std::string(words[w]) + ".0");
                       shape && hasWildcard(*shape) == false) {
                link = shape;
            } else if (auto pointed = plainShape(words[w]); pointed && !hasWildcard(*pointed)) {
                link = pointed;
            }
            // Any other word before the link is skipped.
        }
        if (!link) {
            refusedAt_ = line; // no link to look up: the configuration is refused
            return;
        }
        named_.push_back(*link);
        if (file) {
            return; // file attaches only
        }
        for (std::size_t t = 0; t < targets.size(); ++t) {
            Rule rule;
            rule.line = line;
            rule.to = *link;
            rule.flavour = targets[t].second.value_or(!anyFlavour && t + 1 == targets.size()
                                                          ? MailFlavour::LinkOwn
                                                          : MailFlavour::Normal);
            const auto number = static_cast<std::uint32_t>(rules_.size());
            rules_.push_back(rule);
            if (auto shape = plainShape(targets[t].first)) {
                index_.add(*shape, number);
                named_.push_back(*shape);
            } else {
                general_.emplace_back(targets[t].first, number);
            }
        }
    }

    std::vector<Rule> rules_;
    FirstMatch index_;
    std::vector<std::pair<std::string, std::uint32_t>> general_; // in rule order
    std::size_t refusedAt_ = 0;
};

} // namespace

std::unique_ptr<TableModel> readHptFile(std::string_view file, FtnAddress main) {
    return std::make_unique<HptFile>(file, main);
}
