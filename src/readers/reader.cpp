#include "readers/reader.hpp"

#include <iterator>

namespace {

constexpr ReaderModel Rows[] = {
    {"squish", "Squish", readSquishFile, true, 0},
    {"fidogate", "FIDOGATE", readFidogateFile, false, 0x20 | 0x40}, // file, noarc
    {"hpt", "hpt", readHptFile, false, 0x40},                       // noarc
};

bool readPart(std::string_view text, std::uint16_t& part, bool star) {
    if (sameWord(text, "all") || (star && text == "*")) {
        part = Wildcard;
        return true;
    }
    if (text.empty() || text.size() > 5) {
        return false;
    }
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > 65535) {
        return false;
    }
    part = static_cast<std::uint16_t>(value);
    return true;
}

bool readAddressWord(std::string_view word, FtnAddress& context, bool& node, bool star) {
    word = word.substr(0, word.find('@'));
    if (sameWord(word, "world")) {
        context = FtnAddress{Wildcard, Wildcard, Wildcard};
        node = true;
        return true;
    }
    node = true;
    const std::size_t dot = word.find('.');
    if (dot != std::string_view::npos) {
        const std::string_view point = word.substr(dot + 1);
        node = point == "0";
        word = word.substr(0, dot);
    }
    FtnAddress a = context;
    const std::size_t colon = word.find(':');
    if (colon != std::string_view::npos) {
        if (!readPart(word.substr(0, colon), a.zone, star)) {
            return false;
        }
        word.remove_prefix(colon + 1);
        if (word.find('/') == std::string_view::npos) {
            return false;
        }
    }
    const std::size_t slash = word.find('/');
    if (slash != std::string_view::npos) {
        if (!readPart(word.substr(0, slash), a.net, star)) {
            return false;
        }
        word.remove_prefix(slash + 1);
    }
    if (!readPart(word, a.node, star)) {
        return false;
    }
    context = a;
    return true;
}

} // namespace

bool readFtnAddress(std::string_view word, FtnAddress& context, bool& node, bool star) {
    return readAddressWord(word, context, node, star);
}

bool readRuleAddresses(std::span<const std::string_view> words, FtnAddress main, bool star,
                       Rule& rule, std::uint32_t number, FirstMatch& index,
                       std::vector<FtnAddress>& named) {
    FtnAddress context = main;
    bool haveTarget = rule.toItself;
    bool any = false;
    for (std::string_view word : words) {
        bool node = true;
        if (!readAddressWord(word, context, node, star)) {
            continue;
        }
        named.push_back(context);
        if (!haveTarget) {
            rule.to = context;
            haveTarget = true;
        } else if (node) {
            index.add(context, number);
            any = true;
        }
    }
    return any;
}

const std::span<const ReaderModel> ReaderModels(Rows);

const ReaderModel* readerFor(std::string_view routeType) {
    for (const ReaderModel& row : ReaderModels) {
        if (routeType == row.routeType) {
            return &row;
        }
    }
    return nullptr;
}

std::vector<std::string_view> fileLines(std::string_view file) {
    std::vector<std::string_view> lines;
    while (!file.empty()) {
        const std::size_t end = file.find('\n');
        std::string_view line = file.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        if (end == std::string_view::npos) {
            break;
        }
        file.remove_prefix(end + 1);
    }
    return lines;
}

std::vector<std::string_view> wordsOf(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (true) {
        skipBlanks(text, at);
        if (at >= text.size()) {
            return words;
        }
        const std::size_t start = at;
        while (at < text.size() && !isBlank(text[at])) {
            ++at;
        }
        words.push_back(text.substr(start, at - start));
    }
}

bool sameWord(std::string_view word, std::string_view lowerWord) {
    return word.size() == lowerWord.size() && startsWithNoCase(word, lowerWord);
}

bool flavourOfWord(std::string_view word, MailFlavour& flavour) {
    static constexpr std::pair<std::string_view, MailFlavour> Words[] = {
        {"normal", MailFlavour::Normal},
        {"crash", MailFlavour::Crash},
        {"direct", MailFlavour::Direct},
        {"hold", MailFlavour::Hold}};
    for (const auto& [name, value] : Words) {
        if (sameWord(word, name)) {
            flavour = value;
            return true;
        }
    }
    return false;
}

const char* flavourName(MailFlavour flavour) {
    static constexpr const char* Names[] = {"normal", "crash",     "direct",
                                            "hold",   "immediate", "its Link block's flavour"};
    return Names[static_cast<int>(flavour)];
}

Delivery deliveryOf(const std::vector<Rule>& rules, std::uint32_t rule, FtnAddress address,
                    const Delivery& otherwise) {
    if (rule == FirstMatch::NoRule) {
        return otherwise;
    }
    const Rule& r = rules[rule];
    Delivery d;
    d.line = r.line;
    if (r.refuses) {
        d.refused = true;
        return d;
    }
    d.sent = true;
    d.to = r.toItself ? address : r.to;
    d.flavour = r.flavour;
    d.archived = r.archived;
    return d;
}
