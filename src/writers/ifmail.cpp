// ifmail: a sendmail mailer table. Each line is a host pattern under the
// gateway domain, a tab, the ifmail mailer of the target link's flavour, a
// colon and the target host.
#include "writers/writers.hpp"

#include "model/tables.hpp"

#include <unordered_map>

const char* const GatewayDomain = "fidonet.org";

namespace {

// Appends f<node>.n<net>.z<zone>. and the gateway domain, leaving out the
// wildcard parts. In the relative form only an address with as many wildcard
// parts as the pass is appended; returns whether anything was.
bool appendDomainName(const LineWriter& w, FtnAddress address, std::string& line, int form) {
    if (form == RelativeForm && wildcardCount(address) != w.notation.pass) {
        return false;
    }
    if (address.node != Wildcard) {
        line += "f" + std::to_string(address.node) + ".";
    }
    if (address.net != Wildcard) {
        line += "n" + std::to_string(address.net) + ".";
    }
    if (address.zone != Wildcard) {
        line += "z" + std::to_string(address.zone) + ".";
    }
    line += GatewayDomain;
    return true;
}

// Direct and normal links share the mailer "n".
char flavourLetter(const LinkEntry& link) {
    if (link.flavour & FlavourCrash) {
        return 'c';
    }
    if (link.flavour & FlavourDirect) {
        return 'n';
    }
    if (link.flavour & FlavourHold) {
        return 'h';
    }
    return 'n';
}

bool isRouted(std::uint16_t via) {
    return via != NoVia && via != Covered;
}

// The item mail for `index` is passed to, or NoVia when it gets no line: a
// link is its own target; one of the system's own addresses gets no line (a
// default route would send mail for the gateway and its points away);
// another node goes to its via, when that is no own address and is a link or
// routed itself.
std::uint16_t targetOf(const LineWriter& w, std::uint16_t index) {
    if (isLinkItem(w.tables, index)) {
        return index;
    }
    if (isOwnAddress(w.tables, w.tables.items[index].address)) {
        return NoVia;
    }
    std::uint16_t via = w.tables.items[index].via;
    if (!isRouted(via) || isOwnAddress(w.tables, w.tables.items[via].address)) {
        return NoVia;
    }
    if (!isLinkItem(w.tables, via) && !isRouted(w.tables.items[via].via)) {
        return NoVia;
    }
    return via;
}

// The letters of a target: one per link entry with its address, in table order.
using LetterTable = std::unordered_map<std::uint64_t, std::string>;

LetterTable flavourLetters(const LineWriter& w) {
    LetterTable letters;
    for (const LinkEntry& link : w.tables.links) {
        letters[addressKey(link.address)] += flavourLetter(link);
    }
    return letters;
}

void writeTableLines(LineWriter& w, const LetterTable& letters) {
    for (std::size_t index = 0; index < w.tables.items.size(); ++index) {
        std::uint16_t target = targetOf(w, static_cast<std::uint16_t>(index));
        if (target == NoVia) {
            continue;
        }
        std::string& line = w.line;
        line = ".";
        if (!appendDomainName(w, w.tables.items[index].address, line, RelativeForm)) {
            continue;
        }
        line += "\tifmail-";
        FtnAddress targetAddress = w.tables.items[target].address;
        if (auto found = letters.find(addressKey(targetAddress)); found != letters.end()) {
            line += found->second;
        }
        line += ':';
        appendDomainName(w, targetAddress, line, FullForm);
        noteAddress(w, w.tables.items[index].address, true);
        if (w.markPending && w.notation.pass == 0) {
            noteLine(w, std::string_view(line).substr(1));
            w.markPending = true;
        }
        noteLine(w, line);
        line += '\n';
        // A node stands for itself and, with the leading dot, for the hosts
        // below it; wildcards only for the hosts below.
        if (w.notation.pass == 0) {
            writeText(w, std::string_view(line).substr(1));
        }
        writeText(w, line);
    }
}

} // namespace

void writeIfmail(LineWriter& w) {
    w.notation.style = AddressStyle{.fullAddresses = true};
    w.reportCommentChar = '#';
    writeHeader(w, '#', "sendmail");
    const LetterTable letters = flavourLetters(w);
    for (w.notation.pass = 0; w.notation.pass < 4; ++w.notation.pass) {
        writePassComment(w, '#');
        writeTableLines(w, letters);
    }
}
