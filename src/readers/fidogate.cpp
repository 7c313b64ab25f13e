// FIDOGATE's ftnroute reading its routing file: the first send or route line
// (in file order) whose addresses match takes the mail; with none it waits
// for the node itself, normal.
#include "readers/reader.hpp"

namespace {

class FidogateFile : public TableModel {
  public:
    FidogateFile(std::string_view file, FtnAddress main) {
        const std::vector<std::string_view> lines = fileLines(file);
        for (std::size_t k = 0; k < lines.size(); ++k) {
            readCommand(lines[k], k + 1, main);
        }
    }

    Delivery deliver(FtnAddress address) const override {
        Delivery waiting;
        waiting.sent = true;
        waiting.to = address;
        return deliveryOf(rules_, index_.first(address, [](std::uint32_t) { return true; }),
                          address, waiting);
    }

  private:
    // Only a line whose first word begins with '#' is a comment; a line of
    // any other first word than send and route is an unknown command.
    void readCommand(std::string_view text, std::size_t line, FtnAddress main) {
        const std::vector<std::string_view> words = wordsOf(text);
        if (words.size() < 3 || words[0].front() == '#') {
            return;
        }
        Rule rule;
        rule.line = line;
        rule.toItself = sameWord(words[0], "send");
        if ((!rule.toItself && !sameWord(words[0], "route")) ||
            !flavourOfWord(words[1], rule.flavour)) {
            return;
        }
        // "file" and "noarc" are no addresses: passed over.
        const auto number = static_cast<std::uint32_t>(rules_.size());
        if (readRuleAddresses(std::span(words).subspan(2), main, true, rule, number, index_,
                              named_)) {
            rules_.push_back(rule);
        }
    }

    std::vector<Rule> rules_;
    FirstMatch index_;
};

} // namespace

std::unique_ptr<TableModel> readFidogateFile(std::string_view file, FtnAddress main) {
    return std::make_unique<FidogateFile>(file, main);
}
