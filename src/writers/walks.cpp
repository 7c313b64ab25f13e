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

// Child lists in table order: one pass over the table instead of one per visit.
const WalkIndex& walkIndexOf(LineWriter& w) {
    WalkIndex& index = w.tables.walkIndex;
    if (index.built && index.walkStart.size() == w.tables.items.size() + 1) {
        return index;
    }
    const std::size_t count = w.tables.items.size();
    index.walkStart.assign(count + 1, 0);
    index.roots.clear();
    for (const RouteItem& item : w.tables.items) {
        if (item.via < count) {
            ++index.walkStart[item.via + 1];
        } else if (item.via == NoVia) {
            index.roots.push_back(static_cast<std::uint16_t>(&item - w.tables.items.data()));
        }
    }
    for (std::size_t p = 0; p < count; ++p) {
        index.walkStart[p + 1] += index.walkStart[p];
    }
    index.walkChildren.assign(index.walkStart[count], 0);
    std::vector<std::uint32_t> next(index.walkStart.begin(), index.walkStart.end() - 1);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint16_t via = w.tables.items[i].via;
        if (via < count) {
            index.walkChildren[next[via]++] = static_cast<std::uint16_t>(i);
        }
    }
    index.built = true;
    return index;
}

void walkChildren(LineWriter& w, std::uint16_t parent, int form, AddressFormatter formatter,
                  const std::uint16_t* first, const std::uint16_t* last) {
    for (const std::uint16_t* child = first; child != last; ++child) {
        const std::uint16_t i = *child;
        const RouteItem item = w.tables.items[i];
        if (isLinkItem(w.tables, i) || isOwnAddress(w.tables, item.address)) {
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
    const WalkIndex& index = walkIndexOf(w);
    if (parent == NoVia) {
        walkChildren(w, parent, form, formatter, index.roots.data(),
                     index.roots.data() + index.roots.size());
    } else if (parent < w.tables.items.size()) {
        const std::uint16_t* children = index.walkChildren.data();
        walkChildren(w, parent, form, formatter, children + index.walkStart[parent],
                     children + index.walkStart[parent + 1]);
    }
}
