#include "readers/compare.hpp"

#include <algorithm>
#include <map>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "model/tables.hpp"

namespace {

// The part a sample puts where a net or a node is not named.
constexpr std::uint16_t SamplePart = 32123;

using Kind = RoutingAnswer::Kind;

MailFlavour flavourOfLetters(std::uint16_t letters) {
    if (letters & FlavourCrash) {
        return MailFlavour::Crash;
    }
    if (letters & FlavourDirect) {
        return MailFlavour::Direct;
    }
    if (letters & FlavourHold) {
        return MailFlavour::Hold;
    }
    return MailFlavour::Normal;
}

// The routing's answers over one state: the flavour of each link address
// (its first Link line) and the entries a loop left without a route.
class RoutingAnswers {
  public:
    explicit RoutingAnswers(const RoutingState& state) : state_(state) {
        for (const LinkEntry& link : state.links) {
            linkFlavour_.try_emplace(addressKey(link.address), link.flavour);
        }
        for (const RouteEvent& event : state.provenance.events()) {
            if (event.kind == RouteEventKind::LoopBroken ||
                event.kind == RouteEventKind::NoDefault) {
                looped_.insert(event.item);
            }
        }
    }

    RoutingAnswer of(FtnAddress address) const {
        RoutingAnswer answer;
        if (isOwnAddress(state_, address)) {
            answer.kind = Kind::OwnAddress;
            return answer;
        }
        if (isLinkAddress(state_, address)) {
            return routed(address);
        }
        std::uint16_t item = findItem(state_, address);
        if (item == NoVia) {
            item = coveringRouted(address);
        }
        if (item == NoVia) {
            return answer; // not covered
        }
        for (std::size_t step = 0; step <= state_.items.size(); ++step) {
            const RouteItem& entry = state_.items[item];
            answer.at = entry.address;
            if (isLinkItem(state_, item)) {
                if (!hasWildcard(entry.address)) {
                    return routed(entry.address);
                }
                answer.kind = entry.via < state_.items.size() &&
                                      isOwnAddress(state_, state_.items[entry.via].address)
                                  ? Kind::ViaUs
                                  : Kind::WildcardLink;
                return answer;
            }
            if (isOwnAddress(state_, entry.address)) {
                answer.kind = Kind::ViaUs;
                return answer;
            }
            if (entry.via == NoVia) {
                answer.kind = looped_.count(item) != 0 ? Kind::Loop : Kind::DeadEnd;
                return answer;
            }
            const std::uint16_t next = entry.via == Covered ? coverOf(item) : entry.via;
            if (next == NoVia) {
                answer.kind = Kind::DeadEnd;
                return answer;
            }
            item = next;
        }
        answer.kind = Kind::Loop;
        return answer;
    }

  private:
    RoutingAnswer routed(FtnAddress link) const {
        RoutingAnswer answer;
        answer.kind = Kind::Routed;
        answer.via = link;
        answer.flavour = linkFlavour_.at(addressKey(link));
        return answer;
    }

    // The most specific routed wildcard entry that covers the address.
    std::uint16_t coveringRouted(FtnAddress a) const {
        for (int shape = 1; shape < 8; ++shape) {
            const FtnAddress pattern{(shape & 4) ? Wildcard : a.zone,
                                     (shape & 2) ? Wildcard : a.net,
                                     (shape & 1) ? Wildcard : a.node};
            const std::uint16_t found = findItem(state_, pattern);
            if (found != NoVia && state_.items[found].via != NoVia) {
                return found;
            }
        }
        return NoVia;
    }

    // The wildcard entry that the minimisation found sending a left-out
    // entry the same way: the first covering entry, most specific first.
    std::uint16_t coverOf(std::uint16_t item) const {
        const FtnAddress a = state_.items[item].address;
        for (int shape = 0; shape < 8; ++shape) {
            const FtnAddress pattern{(shape & 4) ? Wildcard : a.zone,
                                     (shape & 2) ? Wildcard : a.net,
                                     (shape & 1) ? Wildcard : a.node};
            if (pattern == a) {
                continue;
            }
            const std::uint16_t found = findItem(state_, pattern);
            if (found != NoVia) {
                return found;
            }
        }
        return NoVia;
    }

    const RoutingState& state_;
    std::unordered_map<std::uint64_t, std::uint16_t> linkFlavour_;
    std::unordered_set<std::uint16_t> looped_;
};

std::string name(FtnAddress address) {
    return addressText(address).substr(1);
}

} // namespace

RoutingAnswer routingOf(const RoutingState& state, FtnAddress address) {
    return RoutingAnswers(state).of(address);
}

bool agrees(const ReaderModel& model, const RoutingAnswer& routing, const Delivery& delivery) {
    if (routing.kind == Kind::OwnAddress) {
        return true;
    }
    if (routing.kind != Kind::Routed) {
        return !delivery.sent || delivery.line == 0;
    }
    return delivery.sent && delivery.to == routing.via &&
           delivery.flavour == flavourOfLetters(routing.flavour) &&
           (!model.tellsArchive || delivery.archived == !(routing.flavour & FlavourNoArc));
}

std::vector<Probe> probesOf(const RoutingState& state, const TableModel& file) {
    std::vector<FtnAddress> named;
    for (const RouteItem& item : state.items) {
        named.push_back(item.address);
    }
    for (const LinkEntry& link : state.links) {
        named.push_back(link.address);
    }
    named.insert(named.end(), file.named().begin(), file.named().end());
    std::vector<Probe> probes;
    for (FtnAddress a : named) {
        if (!hasWildcard(a)) {
            probes.push_back({a, false});
        }
        auto sample = [](std::uint16_t part) { return part == Wildcard ? SamplePart : part; };
        probes.push_back({FtnAddress{sample(a.zone), sample(a.net), sample(a.node)}, true});
        probes.push_back({FtnAddress{sample(a.zone), sample(a.net), SamplePart}, true});
        probes.push_back({FtnAddress{sample(a.zone), SamplePart, SamplePart}, true});
    }
    // A named address is no sample, whatever else gave it.
    std::sort(probes.begin(), probes.end(), [](const Probe& x, const Probe& y) {
        return std::tie(x.address, x.sample) < std::tie(y.address, y.sample);
    });
    probes.erase(std::unique(probes.begin(), probes.end(),
                             [](const Probe& x, const Probe& y) { return x.address == y.address; }),
                 probes.end());
    std::erase_if(probes, [&](const Probe& p) { return isOwnAddress(state, p.address); });
    return probes;
}

std::vector<Difference> differences(const RoutingState& state, const ReaderModel& model,
                                    const TableModel& file) {
    const RoutingAnswers answers(state);
    std::vector<Difference> found;
    for (const Probe& probe : probesOf(state, file)) {
        const RoutingAnswer routing = answers.of(probe.address);
        const Delivery delivery = file.deliver(probe.address);
        if (!agrees(model, routing, delivery)) {
            found.push_back({probe.address, routing, delivery});
        }
    }
    return found;
}

std::string routingText(const ReaderModel& model, const RoutingAnswer& routing) {
    switch (routing.kind) {
    case Kind::Routed:
        return "sends it via " + name(routing.via) + ", " +
               flavourName(flavourOfLetters(routing.flavour)) +
               (model.tellsArchive
                    ? (routing.flavour & FlavourNoArc ? ", unarchived" : ", archived")
                    : "");
    case Kind::OwnAddress:
        return "keeps it (an own address)";
    case Kind::NotCovered:
        return "leaves it unrouted: no entry covers it";
    case Kind::DeadEnd:
        return "leaves it unrouted: a dead end at " + name(routing.at) + ", which has no route";
    case Kind::Loop:
        return "leaves it unrouted: a route loop at " + name(routing.at) +
               ", which has no route because of it";
    case Kind::ViaUs:
        return "leaves it unrouted: its route leads via us (an own address)";
    case Kind::WildcardLink:
        return "leaves it unrouted: " + name(routing.at) +
               " is a link with a wildcard part, which no node has";
    }
    return {};
}

std::string deliveryText(const ReaderModel& model, const Delivery& delivery, FtnAddress address) {
    const std::string program = model.program;
    if (delivery.refused) {
        return program + " refuses the whole configuration there and sends nothing";
    }
    if (!delivery.sent) {
        return program + " finds no route for it and leaves it unsent";
    }
    std::string how = std::string(", ") + flavourName(delivery.flavour);
    if (model.tellsArchive) {
        how += delivery.archived ? ", archived" : ", unarchived";
    }
    if (delivery.line == 0) {
        return program + " has no line for it: it waits for the address itself" + how;
    }
    if (delivery.to == address) {
        return program + " sends it straight to the address itself" + how;
    }
    return program + " sends it via " + name(delivery.to) + how;
}

std::vector<DifferenceGroup> groupDifferences(const std::vector<Difference>& found,
                                              const ReaderModel& model, std::size_t shown) {
    // What makes two differences one cause; an answer that names the
    // address itself counts as "itself". A refused configuration is one
    // cause whatever the routing means (it sends each via its link: an
    // unrouted address agrees with a program that sends nothing).
    auto causeOf = [](const Difference& d) {
        const Delivery& v = d.delivery;
        if (v.refused) {
            return std::make_tuple(v.line, false, true, false, FtnAddress{}, MailFlavour{}, false,
                                   Kind::Routed, false, FtnAddress{}, std::uint16_t{0},
                                   FtnAddress{});
        }
        const RoutingAnswer& r = d.routing;
        const bool toItself = v.to == d.address;
        const bool viaItself = r.via == d.address;
        return std::make_tuple(v.line, v.sent, v.refused, toItself, toItself ? FtnAddress{} : v.to,
                               v.flavour, v.archived, r.kind, viaItself,
                               viaItself ? FtnAddress{} : r.via, r.flavour,
                               r.kind == RoutingAnswer::Kind::ViaUs ? FtnAddress{} : r.at);
    };
    std::map<decltype(causeOf(found.front())), std::vector<const Difference*>> causes;
    std::vector<decltype(causeOf(found.front()))> order;
    for (const Difference& d : found) {
        auto [at, added] = causes.try_emplace(causeOf(d));
        if (added) {
            order.push_back(at->first);
        }
        at->second.push_back(&d);
    }
    std::vector<DifferenceGroup> groups;
    for (const auto& cause : order) {
        const std::vector<const Difference*>& members = causes[cause];
        std::string addresses;
        for (std::size_t k = 0; k < members.size() && k < shown; ++k) {
            addresses += (k == 0 ? "" : ", ") + name(members[k]->address);
        }
        if (members.size() > shown) {
            addresses += " and " + std::to_string(members.size() - shown) + " more (" +
                         std::to_string(members.size()) + " addresses)";
        }
        const Difference& first = *members.front();
        const std::string routing = first.delivery.refused && members.size() > 1
                                        ? "sends them via their links"
                                        : routingText(model, first.routing);
        groups.push_back({first.delivery.line, first.delivery.refused, addresses, routing,
                          deliveryText(model, first.delivery, first.address)});
    }
    return groups;
}

std::vector<UnsaidLetters> unsaidLetters(const RoutingState& state, const ReaderModel& model,
                                         const TableModel& file) {
    std::vector<UnsaidLetters> found;
    std::unordered_map<std::uint64_t, std::size_t> byLink;
    for (std::size_t k = 0; k < state.links.size(); ++k) {
        const std::uint16_t letters = state.links[k].flavour & model.unsaidLetters;
        if (letters != 0 &&
            byLink.try_emplace(addressKey(state.links[k].address), found.size()).second) {
            found.push_back({k, letters, 0});
        }
    }
    if (found.empty()) {
        return found;
    }
    const RoutingAnswers answers(state);
    for (const Probe& probe : probesOf(state, file)) {
        if (probe.sample) {
            continue;
        }
        const RoutingAnswer routing = answers.of(probe.address);
        if (routing.kind != Kind::Routed) {
            continue;
        }
        auto link = byLink.find(addressKey(routing.via));
        if (link != byLink.end()) {
            ++found[link->second].addresses;
        }
    }
    return found;
}
