#include "writers/walks.hpp"

#include "model/tables.hpp"

#include <vector>

std::size_t notationAddress(LineWriter& w, FtnAddress address, std::string& line, int form) {
    return formatAddress(w.notation, address, line, form);
}

const char* flavourWord(const LinkEntry& link, const FlavourWords& words) {
    if (link.flavour & FlavourCrash) {
        return words[0];
    }
    if (link.flavour & FlavourDirect) {
        return words[1];
    }
    if (link.flavour & FlavourHold) {
        return words[2];
    }
    return words[3];
}

void writeLinkLine(LineWriter& w, std::uint16_t mask, std::uint16_t value,
                   std::string_view prefix) {
    w.notation.context = w.notation.main;
    w.prefix.assign(prefix);
    restartLine(w);
    for (const LinkEntry& link : w.tables.links) {
        if ((link.flavour & mask) != value) {
            continue;
        }
        const std::size_t before = w.line.size();
        std::size_t length = formatAddress(w.notation, link.address, w.line, RelativeForm);
        noteAddress(w, link.address, length != before);
        if (length >= static_cast<std::size_t>(w.wrapWidth)) {
            writeLineBuffer(w);
            restartLine(w);
            w.notation.context = w.notation.main;
        }
    }
    if (w.line != w.prefix) {
        writeLineBuffer(w);
    }
}

void appendRoutedViaLink(LineWriter& w, FtnAddress linkAddress, int form,
                         AddressFormatter formatter) {
    std::uint16_t item = findItem(w.tables, linkAddress);
    if (item != NoVia) {
        appendRoutedViaUsing(w, item, form, formatter);
    }
}

void appendRoutedVia(LineWriter& w, std::uint16_t parent, int form) {
    appendRoutedViaUsing(w, parent, form, notationAddress);
}

namespace {

// Whether a walk visits this child: links and own addresses are passed over
// with all that is routed via them.
bool walkedInto(const RoutingState& tables, std::uint16_t child) {
    return !isLinkItem(tables, child) && !isOwnAddress(tables, tables.items[child].address);
}

void markWalked(const RoutingState& tables, WalkIndex& index) {
    const std::size_t count = tables.items.size();
    index.walked.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        index.walked[i] = walkedInto(tables, static_cast<std::uint16_t>(i)) ? 1 : 0;
    }
}

// The wildcard counts below each item, in one depth-first pass (without
// recursion: a chain may be as long as the table).
void markWildcardsBelow(const RoutingState& tables, WalkIndex& index) {
    const std::size_t count = tables.items.size();
    enum : std::uint8_t { Unseen, Open, Done };
    std::vector<std::uint8_t> seen(count, Unseen);
    index.wildcardsBelow.assign(count, 0);
    std::vector<std::pair<std::uint16_t, std::uint32_t>> stack; // item, next child
    for (std::size_t start = 0; start < count; ++start) {
        if (seen[start] != Unseen) {
            continue;
        }
        stack.emplace_back(static_cast<std::uint16_t>(start), index.walkStart[start]);
        seen[start] = Open;
        while (!stack.empty()) {
            auto& [item, next] = stack.back();
            if (next == index.walkStart[item + 1]) {
                seen[item] = Done;
                const std::uint8_t below = index.wildcardsBelow[item];
                stack.pop_back();
                if (!stack.empty()) {
                    const std::uint16_t parent = stack.back().first;
                    index.wildcardsBelow[parent] |= static_cast<std::uint8_t>(
                        below | (1u << wildcardCount(tables.items[item].address)));
                }
                continue;
            }
            const std::uint16_t child = index.walkChildren[next++];
            if (child == item || index.walked[child] == 0) {
                continue;
            }
            if (seen[child] == Open) {
                index.wildcardsBelow[item] = 0x0f; // a circle: anything may be written
            } else if (seen[child] == Done) {
                index.wildcardsBelow[item] |=
                    static_cast<std::uint8_t>(index.wildcardsBelow[child] |
                                              (1u << wildcardCount(tables.items[child].address)));
            } else {
                seen[child] = Open;
                stack.emplace_back(child, index.walkStart[child]);
            }
        }
    }
}

// Child lists in table order: one pass over the table instead of one per visit.
const WalkIndex& walkIndexOf(const RoutingState& tables) {
    WalkIndex& index = tables.walkIndex;
    if (index.built && index.walkStart.size() == tables.items.size() + 1) {
        return index;
    }
    const std::size_t count = tables.items.size();
    index.walkStart.assign(count + 1, 0);
    index.roots.clear();
    for (const RouteItem& item : tables.items) {
        if (item.via < count) {
            ++index.walkStart[item.via + 1];
        } else if (item.via == NoVia) {
            index.roots.push_back(static_cast<std::uint16_t>(&item - tables.items.data()));
        }
    }
    for (std::size_t p = 0; p < count; ++p) {
        index.walkStart[p + 1] += index.walkStart[p];
    }
    index.walkChildren.assign(index.walkStart[count], 0);
    std::vector<std::uint32_t> next(index.walkStart.begin(), index.walkStart.end() - 1);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint16_t via = tables.items[i].via;
        if (via < count) {
            index.walkChildren[next[via]++] = static_cast<std::uint16_t>(i);
        }
    }
    markWalked(tables, index);
    markWildcardsBelow(tables, index);
    for (unsigned pass = 0; pass < 4; ++pass) {
        std::vector<std::uint32_t>& start = index.passStart[pass];
        std::vector<std::uint16_t>& children = index.passChildren[pass];
        start.assign(count + 1, 0);
        children.clear();
        for (std::size_t p = 0; p < count; ++p) {
            start[p] = static_cast<std::uint32_t>(children.size());
            for (std::uint32_t k = index.walkStart[p]; k < index.walkStart[p + 1]; ++k) {
                const std::uint16_t child = index.walkChildren[k];
                if (child != p && index.walked[child] != 0 &&
                    (wildcardCount(tables.items[child].address) == static_cast<int>(pass) ||
                     ((index.wildcardsBelow[child] >> pass) & 1u))) {
                    children.push_back(child);
                }
            }
        }
        start[count] = static_cast<std::uint32_t>(children.size());
    }
    index.built = true;
    return index;
}

// In relative form a formatter writes only addresses with as many wildcards
// as the pass has: a walk may pass over the children below which there are
// none, as long as no line is as long as the wrap width without them (such
// a line would be written at every child).
bool walksPassChildren(const LineWriter& w, int form) {
    const auto wrap = static_cast<std::size_t>(w.wrapWidth);
    return form == RelativeForm && !w.notation.style.flatWalk && w.notation.pass < 4 &&
           w.line.size() < wrap && w.prefix.size() < wrap;
}

void walkChildren(LineWriter& w, std::uint16_t parent, int form, AddressFormatter formatter,
                  const std::uint16_t* first, const std::uint16_t* last) {
    const std::vector<std::uint8_t>& walked = w.tables.walkIndex.walked;
    for (const std::uint16_t* child = first; child != last; ++child) {
        const std::uint16_t i = *child;
        const RouteItem item = w.tables.items[i];
        if (walked[i] == 0) {
            continue;
        }
        if (parent != NoVia ? i == parent : item.viaTarget == 0) {
            continue;
        }
        const std::size_t before = w.line.size();
        std::size_t length = formatter(w, item.address, w.line, form);
        noteAddress(w, item.address, length != before);
        if (length >= static_cast<std::size_t>(w.wrapWidth)) {
            bool continuation = w.continuationAddress.zone != 0;
            if (continuation) {
                formatter(w, w.continuationAddress, w.line, FullForm);
                w.notation.context = w.notation.main;
            }
            writeLineBuffer(w);
            restartLine(w);
            if (parent != NoVia && !continuation) {
                w.notation.context = w.tables.items[parent].address;
            }
        }
        if (!w.notation.style.flatWalk) {
            appendRoutedViaUsing(w, i, form, formatter);
        }
    }
}

} // namespace

void appendRoutedViaUsing(LineWriter& w, std::uint16_t parent, int form,
                          AddressFormatter formatter) {
    const WalkIndex& index = walkIndexOf(w.tables);
    if (parent == NoVia) {
        walkChildren(w, parent, form, formatter, index.roots.data(),
                     index.roots.data() + index.roots.size());
    } else if (parent < w.tables.items.size() && walksPassChildren(w, form)) {
        const std::uint32_t* start = index.passStart[w.notation.pass].data();
        const std::uint16_t* children = index.passChildren[w.notation.pass].data();
        walkChildren(w, parent, form, formatter, children + start[parent],
                     children + start[parent + 1]);
    } else if (parent < w.tables.items.size()) {
        const std::uint16_t* children = index.walkChildren.data();
        walkChildren(w, parent, form, formatter, children + index.walkStart[parent],
                     children + index.walkStart[parent + 1]);
    }
}
