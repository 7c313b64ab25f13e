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
    index.built = true;
    return index;
}

void walkChildren(RoutingState& state, std::uint16_t parent, int form, AddressFormatter formatter,
                  const std::uint16_t* first, const std::uint16_t* last) {
    for (const std::uint16_t* child = first; child != last; ++child) {
        const std::uint16_t i = *child;
        const RouteItem item = state.items[i];
        if (isLinkItem(state, i) || isOwnAddress(state, item.address)) {
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
    } else if (parent < state.items.size()) {
        const std::uint16_t* children = index.walkChildren.data();
        walkChildren(state, parent, form, formatter, children + index.walkStart[parent],
                     children + index.walkStart[parent + 1]);
    }
}
