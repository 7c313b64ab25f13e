// Models of the mail programs that read the tables: from the whole new
// destination file, where a program sends netmail of normal flavour for an
// address, and which line of the file decides it. One module per program,
// each written from what the program was found to accept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "address/address.hpp"

enum class MailFlavour : std::uint8_t { Normal, Crash, Direct, Hold, Immediate, LinkOwn };

// What the program does with the mail.
struct Delivery {
    // False: the mail stays where it is (no route found, or the program
    // refuses the whole configuration and does nothing).
    bool sent = false;
    FtnAddress to;
    MailFlavour flavour = MailFlavour::Normal;
    bool archived = false; // packed into an archive (Squish)
    // The line of the file that decides (1-based); 0: no line does, the
    // program's own way applies.
    std::size_t line = 0;
    bool refused = false; // the line makes the program refuse the configuration
};

// A destination file as one program reads it.
class TableModel {
  public:
    virtual ~TableModel() = default;
    virtual Delivery deliver(FtnAddress address) const = 0;
    // The addresses the file names (wildcard parts as Wildcard).
    const std::vector<FtnAddress>& named() const { return named_; }

  protected:
    std::vector<FtnAddress> named_;
};

// One row per route type whose program has a model.
struct ReaderModel {
    const char* routeType;
    const char* program;
    // Reads the file; abbreviations that need it are read against `main`.
    std::unique_ptr<TableModel> (*read)(std::string_view file, FtnAddress main);
    bool tellsArchive;           // whether archived or not is part of the answer
    std::uint16_t unsaidLetters; // link flavour bits the table cannot say
};

extern const std::span<const ReaderModel> ReaderModels;
// The row for a route type's name, or null.
const ReaderModel* readerFor(std::string_view routeType);

std::unique_ptr<TableModel> readSquishFile(std::string_view file, FtnAddress main);
std::unique_ptr<TableModel> readFidogateFile(std::string_view file, FtnAddress main);
std::unique_ptr<TableModel> readHptFile(std::string_view file, FtnAddress main);

// ---- what the modules share ----

// The file's lines without their ends, numbered from 1 by their place.
std::vector<std::string_view> fileLines(std::string_view file);
// The words of a text, split at blanks.
std::vector<std::string_view> wordsOf(std::string_view text);
bool sameWord(std::string_view word, std::string_view lowerWord);
// "crash", "direct", "hold", "normal" (any case); false for any other word.
bool flavourOfWord(std::string_view word, MailFlavour& flavour);
const char* flavourName(MailFlavour flavour);
// Reads a word as an address against `context` (the address before it on the
// line), which becomes the address read: "Z:N/F", "N/F", "F", "World", a part
// "All" (or "*" when `star`) for any; a domain is dropped. `node` is false
// for a point. False, context unchanged, for a word that is no address.
bool readFtnAddress(std::string_view word, FtnAddress& context, bool& node, bool star);

// The rules of a file in the order the program tries them, each with the
// patterns it serves; finds the first rule that matches an address and
// takes it.
struct Rule {
    std::size_t line = 0;
    bool toItself = false; // sends to the address itself (a Send line)
    FtnAddress to;
    MailFlavour flavour = MailFlavour::Normal;
    bool archived = false;
    bool refuses = false;
};

class FirstMatch {
  public:
    // Adds a pattern of rule number `rule`; rules are added in their order.
    void add(FtnAddress pattern, std::uint32_t rule) {
        std::vector<std::uint32_t>& list = rules_[key(pattern)];
        if (list.empty() || list.back() != rule) {
            list.push_back(rule);
        }
    }
    // The first rule with a pattern that matches the address (each part
    // equal or a wildcard) and that `takes` it; NoRule for none.
    template <typename Takes> std::uint32_t first(FtnAddress address, Takes takes) const {
        std::uint32_t best = NoRule;
        for (int shape = 0; shape < 8; ++shape) {
            const FtnAddress pattern{(shape & 4) ? Wildcard : address.zone,
                                     (shape & 2) ? Wildcard : address.net,
                                     (shape & 1) ? Wildcard : address.node};
            auto found = rules_.find(key(pattern));
            if (found == rules_.end()) {
                continue;
            }
            for (std::uint32_t rule : found->second) {
                if (rule >= best) {
                    break;
                }
                if (takes(rule)) {
                    best = rule;
                    break;
                }
            }
        }
        return best;
    }
    static constexpr std::uint32_t NoRule = ~std::uint32_t{0};

  private:
    static std::uint64_t key(FtnAddress a) {
        return (std::uint64_t{a.zone} << 32) | (std::uint64_t{a.net} << 16) | a.node;
    }
    std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> rules_;
};

// Reads the words of a Send or Route line after its flavour word against
// `main`: a Route line's first address is where it sends (rule.to), every
// further node address a pattern of rule `number`, added to `index`; all
// addresses go to `named`. Words that are no address are passed over. False
// when the line gives no pattern, so that the rule takes nothing.
bool readRuleAddresses(std::span<const std::string_view> words, FtnAddress main, bool star,
                       Rule& rule, std::uint32_t number, FirstMatch& index,
                       std::vector<FtnAddress>& named);

// The answer of the rule that matched (NoRule: none; the program's own way,
// `otherwise`, applies).
Delivery deliveryOf(const std::vector<Rule>& rules, std::uint32_t rule, FtnAddress address,
                    const Delivery& otherwise);
