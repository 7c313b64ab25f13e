#include "model/walks.hpp"

#include "model/tables.hpp"

#include <vector>

void writeText(RoutingState& state, std::string_view text) {
    if (!state.crlfOutput) {
        state.output->write(text.data(), static_cast<std::streamsize>(text.size()));
        return;
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            state.output->write(text.data() + start, static_cast<std::streamsize>(i - start));
            state.output->write("\r\n", 2);
            start = i + 1;
        }
    }
    state.output->write(text.data() + start, static_cast<std::streamsize>(text.size() - start));
}

void writeLineBuffer(RoutingState& state) {
    writeText(state, state.lineBuffer);
    writeText(state, "\n");
}

void restartLine(RoutingState& state) {
    state.lineBuffer = state.prefixBuffer;
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

void writeLinkLine(RoutingState& state, std::uint16_t mask, std::uint16_t value,
                   std::string_view prefix) {
    state.abbrevContext = state.mainAddress();
    state.prefixBuffer.assign(prefix);
    restartLine(state);
    for (const LinkEntry& link : state.links) {
        if ((link.flavour & mask) != value) {
            continue;
        }
        std::size_t length = formatAddress(state, link.address, state.lineBuffer, RelativeForm);
        if (length >= static_cast<std::size_t>(state.wrapWidth)) {
            writeLineBuffer(state);
            restartLine(state);
            state.abbrevContext = state.mainAddress();
        }
    }
    if (state.lineBuffer != state.prefixBuffer) {
        writeLineBuffer(state);
    }
}

void appendRoutedViaLink(RoutingState& state, FtnAddress linkAddress, int form,
                         AddressFormatter formatter) {
    std::uint16_t item = findItem(state, linkAddress);
    if (item != NoVia) {
        appendRoutedViaUsing(state, item, form, formatter);
    }
}

void appendRoutedVia(RoutingState& state, std::uint16_t parent, int form) {
    appendRoutedViaUsing(state, parent, form, formatAddress);
}

namespace {

// Whether a walk visits this child: links and own addresses are passed over
// with all that is routed via them.
bool walkedInto(const RoutingState& state, std::uint16_t child) {
    return !isLinkItem(state, child) && !isOwnAddress(state, state.items[child].address);
}

// The wildcard counts below each item, in one depth-first pass (without
// recursion: a chain may be as long as the table).
void markWildcardsBelow(const RoutingState& state, WalkIndex& index) {
    const std::size_t count = state.items.size();
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
                        below | (1u << wildcardCount(state.items[item].address)));
                }
                continue;
            }
            const std::uint16_t child = index.walkChildren[next++];
            if (child == item || !walkedInto(state, child)) {
                continue;
            }
            if (seen[child] == Open) {
                index.wildcardsBelow[item] = 0x0f; // a circle: anything may be written
            } else if (seen[child] == Done) {
                index.wildcardsBelow[item] |=
                    static_cast<std::uint8_t>(index.wildcardsBelow[child] |
                                              (1u << wildcardCount(state.items[child].address)));
            } else {
                seen[child] = Open;
                stack.emplace_back(child, index.walkStart[child]);
            }
        }
    }
}

// Child lists in table order: one pass over the table instead of one per visit.
const WalkIndex& walkIndexOf(RoutingState& state) {
    WalkIndex& index = state.walkIndex;
    if (index.built && index.walkStart.size() == state.items.size() + 1) {
        return index;
    }
    const std::size_t count = state.items.size();
    index.walkStart.assign(count + 1, 0);
    index.roots.clear();
    for (const RouteItem& item : state.items) {
        if (item.via < count) {
            ++index.walkStart[item.via + 1];
        } else if (item.via == NoVia) {
            index.roots.push_back(static_cast<std::uint16_t>(&item - state.items.data()));
        }
    }
    for (std::size_t p = 0; p < count; ++p) {
        index.walkStart[p + 1] += index.walkStart[p];
    }
    index.walkChildren.assign(index.walkStart[count], 0);
    std::vector<std::uint32_t> next(index.walkStart.begin(), index.walkStart.end() - 1);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint16_t via = state.items[i].via;
        if (via < count) {
            index.walkChildren[next[via]++] = static_cast<std::uint16_t>(i);
        }
    }
    markWildcardsBelow(state, index);
    for (unsigned pass = 0; pass < 4; ++pass) {
        std::vector<std::uint32_t>& start = index.passStart[pass];
        std::vector<std::uint16_t>& children = index.passChildren[pass];
        start.assign(count + 1, 0);
        children.clear();
        for (std::size_t p = 0; p < count; ++p) {
            start[p] = static_cast<std::uint32_t>(children.size());
            for (std::uint32_t k = index.walkStart[p]; k < index.walkStart[p + 1]; ++k) {
                const std::uint16_t child = index.walkChildren[k];
                if (child != p && walkedInto(state, child) &&
                    (wildcardCount(state.items[child].address) == static_cast<int>(pass) ||
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
bool walksPassChildren(const RoutingState& state, int form) {
    const auto wrap = static_cast<std::size_t>(state.wrapWidth);
    return form == RelativeForm && !state.addressStyle.flatWalk && state.wildcardPass < 4 &&
           state.lineBuffer.size() < wrap && state.prefixBuffer.size() < wrap;
}

void walkChildren(RoutingState& state, std::uint16_t parent, int form, AddressFormatter formatter,
                  const std::uint16_t* first, const std::uint16_t* last) {
    for (const std::uint16_t* child = first; child != last; ++child) {
        const std::uint16_t i = *child;
        const RouteItem item = state.items[i];
        if (!walkedInto(state, i)) {
            continue;
        }
        if (parent != NoVia ? i == parent : item.viaTarget == 0) {
            continue;
        }
        std::size_t length = formatter(state, item.address, state.lineBuffer, form);
        if (length >= static_cast<std::size_t>(state.wrapWidth)) {
            bool continuation = state.continuationAddress.zone != 0;
            if (continuation) {
                formatter(state, state.continuationAddress, state.lineBuffer, FullForm);
                state.abbrevContext = state.mainAddress();
            }
            writeLineBuffer(state);
            restartLine(state);
            if (parent != NoVia && !continuation) {
                state.abbrevContext = state.items[parent].address;
            }
        }
        if (!state.addressStyle.flatWalk) {
            appendRoutedViaUsing(state, i, form, formatter);
        }
    }
}

} // namespace

void appendRoutedViaUsing(RoutingState& state, std::uint16_t parent, int form,
                          AddressFormatter formatter) {
    const WalkIndex& index = walkIndexOf(state);
    if (parent == NoVia) {
        walkChildren(state, parent, form, formatter, index.roots.data(),
                     index.roots.data() + index.roots.size());
    } else if (parent < state.items.size() && walksPassChildren(state, form)) {
        const std::uint32_t* start = index.passStart[state.wildcardPass].data();
        const std::uint16_t* children = index.passChildren[state.wildcardPass].data();
        walkChildren(state, parent, form, formatter, children + start[parent],
                     children + start[parent + 1]);
    } else if (parent < state.items.size()) {
        const std::uint16_t* children = index.walkChildren.data();
        walkChildren(state, parent, form, formatter, children + index.walkStart[parent],
                     children + index.walkStart[parent + 1]);
    }
}
