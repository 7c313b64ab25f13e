// Xmail: no wrapped lists; one line per direct link and one line per routed
// node naming the item it goes via.
#include "writers/writers.hpp"

#include <string_view>

#include "model/tables.hpp"

namespace {

// Writes the line buffer without the blank the first address began with.
void writeAddressLine(LineWriter& w) {
    noteLine(w, std::string_view(w.line).substr(1));
    writeText(w, std::string_view(w.line).substr(1));
    writeText(w, "\n");
}

void writeLinksList(LineWriter& w) {
    for (const LinkEntry& link : w.tables.links) {
        w.line.clear();
        if (formatAddress(w.notation, link.address, w.line, RelativeForm) != 0) {
            noteAddress(w, link.address, true);
            writeAddressLine(w);
        }
    }
}

void writeRouteLines(LineWriter& w) {
    for (std::size_t index = 0; index < w.tables.items.size(); ++index) {
        const RouteItem item = w.tables.items[index];
        if (item.via == NoVia || item.via == Covered) {
            continue;
        }
        if (isLinkItem(w.tables, static_cast<std::uint16_t>(index))) {
            continue;
        }
        w.line.clear();
        if (formatAddress(w.notation, item.address, w.line, RelativeForm) == 0) {
            continue;
        }
        noteAddress(w, item.address, true);
        w.line += " VIA ";
        formatAddress(w.notation, w.tables.items[item.via].address, w.line, FullForm);
        w.line += " /NC";
        writeAddressLine(w);
    }
}

} // namespace

void writeXmail(LineWriter& w) {
    w.notation.style = AddressStyle{.fullAddresses = true};
    w.reportCommentChar = ';';
    writeHeader(w, ';', "Xmail");
    writeText(w, "; *** Directs\n");
    w.notation.pass = 0;
    writeLinksList(w);
    for (w.notation.pass = 0; w.notation.pass < 4; ++w.notation.pass) {
        writePassComment(w, ';');
        if (w.notation.pass != 0) {
            writeLinksList(w);
        }
        writeRouteLines(w);
    }
}
