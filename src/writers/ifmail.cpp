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
bool appendDomainName(const RoutingState& state, FtnAddress address, std::string& line, int form) {
    if (form == RelativeForm && wildcardCount(address) != state.wildcardPass) {
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
std::uint16_t targetOf(const RoutingState& state, std::uint16_t index) {
    if (isLinkItem(state, index)) {
        return index;
    }
    if (isOwnAddress(state, state.items[index].address)) {
        return NoVia;
    }
    std::uint16_t via = state.items[index].via;
    if (!isRouted(via) || isOwnAddress(state, state.items[via].address)) {
        return NoVia;
    }
    if (!isLinkItem(state, via) && !isRouted(state.items[via].via)) {
        return NoVia;
    }
    return via;
}

// The letters of a target: one per link entry with its address, in table order.
using LetterTable = std::unordered_map<std::uint64_t, std::string>;

LetterTable flavourLetters(const RoutingState& state) {
    LetterTable letters;
    for (const LinkEntry& link : state.links) {
        letters[addressKey(link.address)] += flavourLetter(link);
    }
    return letters;
}

void writeTableLines(RoutingState& state, const LetterTable& letters) {
    for (std::size_t index = 0; index < state.items.size(); ++index) {
        std::uint16_t target = targetOf(state, static_cast<std::uint16_t>(index));
        if (target == NoVia) {
            continue;
        }
        std::string& line = state.lineBuffer;
        line = ".";
        if (!appendDomainName(state, state.items[index].address, line, RelativeForm)) {
            continue;
        }
        line += "\tifmail-";
        FtnAddress targetAddress = state.items[target].address;
        if (auto found = letters.find(addressKey(targetAddress)); found != letters.end()) {
            line += found->second;
        }
        line += ':';
        appendDomainName(state, targetAddress, line, FullForm);
        line += '\n';
        // A node stands for itself and, with the leading dot, for the hosts
        // below it; wildcards only for the hosts below.
        if (state.wildcardPass == 0) {
            writeText(state, std::string_view(line).substr(1));
        }
        writeText(state, line);
    }
}

} // namespace

void writeIfmail(RoutingState& state) {
    setAddressStyle(state, 0, 0, 0, 1, 0, 0);
    state.reportCommentChar = '#';
    writeHeader(state, '#', "sendmail");
    const LetterTable letters = flavourLetters(state);
    for (state.wildcardPass = 0; state.wildcardPass < 4; ++state.wildcardPass) {
        writePassComment(state, '#');
        writeTableLines(state, letters);
    }
}
