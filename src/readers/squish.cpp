// Squish reading its route.cfg: Send and Route lines act in file order on
// the packets still waiting; the first line that moves a packet wins. A
// packet no line moves waits for the node itself, normal and unpacked.
#include <algorithm>

#include "readers/reader.hpp"

namespace {

// Lines are cut after this many characters; the rest is read as a line of
// its own (a bad command, as a rule).
constexpr std::size_t LineLimit = 255;

class SquishFile : public TableModel {
  public:
    SquishFile(std::string_view file, FtnAddress main) {
        const std::vector<std::string_view> lines = fileLines(file);
        for (std::size_t k = 0; k < lines.size(); ++k) {
            std::string_view line = lines[k];
            do {
                readCommand(line.substr(0, LineLimit), k + 1, main);
                line.remove_prefix(std::min(line.size(), LineLimit));
            } while (!line.empty());
        }
    }

    Delivery deliver(FtnAddress address) const override {
        // Send Normal NoArc leaves a node's own packet waiting as it is.
        auto moves = [&](std::uint32_t r) {
            const Rule& rule = rules_[r];
            return !(rule.flavour == MailFlavour::Normal && !rule.archived &&
                     (rule.toItself || rule.to == address));
        };
        Delivery waiting;
        waiting.sent = true;
        waiting.to = address;
        return deliveryOf(rules_, index_.first(address, moves), address, waiting);
    }

  private:
    void readCommand(std::string_view text, std::size_t line, FtnAddress main) {
        text = text.substr(0, text.find_first_of(";%"));
        const std::vector<std::string_view> words = wordsOf(text);
        if (words.size() < 3) {
            return;
        }
        Rule rule;
        rule.line = line;
        rule.toItself = sameWord(words[0], "send");
        if (!rule.toItself && !sameWord(words[0], "route")) {
            return;
        }
        if (!flavourOfWord(words[1], rule.flavour)) {
            return;
        }
        const std::span<const std::string_view> rest = std::span(words).subspan(2);
        // NoArc anywhere on the line sends unpacked; "file" is no address.
        rule.archived = std::none_of(rest.begin(), rest.end(),
                                     [](std::string_view word) { return sameWord(word, "noarc"); });
        const auto number = static_cast<std::uint32_t>(rules_.size());
        if (readRuleAddresses(rest, main, false, rule, number, index_, named_)) {
            rules_.push_back(rule);
        }
    }

    std::vector<Rule> rules_;
    FirstMatch index_;
};

} // namespace

std::unique_ptr<TableModel> readSquishFile(std::string_view file, FtnAddress main) {
    return std::make_unique<SquishFile>(file, main);
}
