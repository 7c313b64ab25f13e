// The routing as a Graphviz graph.
#include <map>
#include <string>
#include <vector>

#include "driver/explain.hpp"
#include "model/tables.hpp"

namespace {

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string full(FtnAddress address) {
    return addressText(address).substr(1);
}

std::string flavourWords(std::uint16_t flavour) {
    std::string text = (flavour & FlavourCrash)    ? "crash"
                       : (flavour & FlavourDirect) ? "direct"
                       : (flavour & FlavourHold)   ? "hold"
                                                   : "normal";
    if (flavour & FlavourFile) {
        text += " file";
    }
    if (flavour & FlavourNoArc) {
        text += " noarc";
    }
    return text;
}

// What is routed one way: the nodes of each net, and the wildcard entries.
struct Group {
    struct Nodes {
        std::uint32_t count = 0;
        FtnAddress first;
    };
    std::map<std::uint32_t, Nodes> nodesOfNet; // by zone << 16 | net
    std::vector<FtnAddress> wildcards;
};

} // namespace

void writeGraph(const RoutingState& state, std::ostream& out) {
    // Each routed entry (neither own address nor link) under the link its
    // mail goes to; the key "" gathers what is not routed.
    std::map<std::string, Group> byLink;
    // Per zone and per net, the links their nodes go to, to tell whether the
    // whole zone goes one way.
    std::map<std::uint16_t, std::map<std::string, std::uint32_t>> linksOfZone;
    for (const RouteItem& item : state.items) {
        if (isOwnAddress(state, item.address) || isLinkAddress(state, item.address)) {
            continue;
        }
        const std::optional<FtnAddress> link = routedVia(state, item.address);
        const std::string key = link ? full(*link) : "";
        Group& group = byLink[key];
        if (hasWildcard(item.address)) {
            group.wildcards.push_back(item.address);
        } else {
            Group::Nodes& nodes =
                group.nodesOfNet[(std::uint32_t{item.address.zone} << 16) | item.address.net];
            if (nodes.count++ == 0) {
                nodes.first = item.address;
            }
            ++linksOfZone[item.address.zone][key];
        }
    }

    const FtnAddress main = state.mainAddress();
    out << "digraph routing {\n"
        << "  graph [rankdir=LR, label=" << quoted("Routing of " + full(main)) << ", labelloc=t];\n"
        << "  node [shape=box, fontname=Helvetica];\n"
        << "  " << quoted(full(main))
        << " [shape=doubleoctagon, label=" << quoted(full(main) + "\\nthis system") << "];\n";

    std::map<std::string, std::uint16_t> flavours;
    for (const LinkEntry& link : state.links) {
        flavours[full(link.address)] |= link.flavour;
    }
    for (const auto& [name, flavour] : flavours) {
        out << "  " << quoted(name)
            << " [style=bold, label=" << quoted(name + "\\n" + flavourWords(flavour)) << "];\n"
            << "  " << quoted(full(main)) << " -> " << quoted(name) << ";\n";
    }
    if (byLink.count("") != 0) {
        out << "  \"not routed\" [shape=plaintext];\n";
    }

    for (const auto& [key, group] : byLink) {
        const std::string parent = key.empty() ? "not routed" : key;
        const std::string prefix = key.empty() ? "unrouted " : key + " ";
        const bool unrouted = key.empty();
        auto edge = [&](const std::string& id, const std::string& label) {
            out << "  " << quoted(prefix + id) << " [label=" << quoted(label)
                << (unrouted ? ", style=dashed" : "") << "];\n"
                << "  " << quoted(parent) << " -> " << quoted(prefix + id) << ";\n";
        };
        for (FtnAddress wildcard : group.wildcards) {
            edge(full(wildcard), full(wildcard));
        }
        // Whole zones that go this way alone become one node; the rest one
        // node per net (or the node itself where a net has one).
        std::map<std::uint16_t, std::pair<std::uint32_t, std::uint32_t>> wholeZones;
        for (const auto& [net, nodes] : group.nodesOfNet) {
            const auto zone = static_cast<std::uint16_t>(net >> 16);
            if (linksOfZone[zone].size() == 1) {
                ++wholeZones[zone].first;
                wholeZones[zone].second += nodes.count;
            }
        }
        for (const auto& [zone, counts] : wholeZones) {
            edge("zone " + std::to_string(zone), "zone " + std::to_string(zone) + "\\n" +
                                                     std::to_string(counts.first) + " nets, " +
                                                     std::to_string(counts.second) + " nodes");
        }
        for (const auto& [net, nodes] : group.nodesOfNet) {
            if (wholeZones.count(nodes.first.zone) != 0) {
                continue;
            }
            if (nodes.count == 1) {
                edge(full(nodes.first), full(nodes.first));
                continue;
            }
            const std::string name =
                std::to_string(nodes.first.zone) + ":" + std::to_string(nodes.first.net);
            edge("net " + name, "net " + name + "\\n" + std::to_string(nodes.count) + " nodes");
        }
    }
    out << "}\n";
}
