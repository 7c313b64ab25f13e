// Route lines, then the adjustment, the minimisation and the walks, each
// compared with the straightforward scans they must agree with.
#include <cstdlib>
#include <sstream>

#include "fuzz_support.hpp"
#include "model/adjust.hpp"
#include "model/minimize.hpp"
#include "model/oracle.hpp"
#include "model/tables.hpp"
#include "sources/sources.hpp"
#include "writers/writers.hpp"

namespace {

void setUp(RoutingState& state) {
    state.akas = {FtnAddress{2, 460, 10}, FtnAddress{2, 5020, 1}};
    for (FtnAddress link : {FtnAddress{2, 460, 1}, FtnAddress{2, 461, 7}}) {
        state.links.push_back(LinkEntry{FlavourCrash, link});
        state.items.push_back(RouteItem{NoVia, 0, link});
    }
}

std::string walks(const RoutingState& state, bool useOracle) {
    std::ostringstream out;
    LineWriter w(state, out, false, 0);
    w.wrapWidth = 20;
    for (std::uint16_t pass = 0; pass < 4; ++pass) {
        w.notation.pass = pass;
        for (const LinkEntry& link : state.links) {
            w.notation.context = link.address;
            startLine(w, "L");
            std::uint16_t item =
                useOracle ? oracle::findItem(state, link.address) : findItem(state, link.address);
            if (useOracle) {
                oracle::appendRoutedViaUsing(w, item, RelativeForm, notationAddress);
            } else {
                appendRoutedVia(w, item, RelativeForm);
            }
            finishLine(w);
        }
    }
    return out.str();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    RoutingState fast;
    RoutingState slow;
    setUp(fast);
    setUp(slow);
    try {
        std::size_t start = 0;
        while (start < input.size()) {
            std::size_t end = input.find('\n', start);
            end = end == std::string_view::npos ? input.size() : end + 1;
            readRouteLine(fast, fuzzing::nullConsole(), input.substr(start, end - start));
            start = end;
        }
    } catch (const TableFull&) {
        return 0;
    }
    slow.items = fast.items;
    slow.settings.minimize = fast.settings.minimize =
        size % 2 == 1 ? MinimizeMode::Yes : MinimizeMode::No;

    adjustRouting(fast, fuzzing::nullConsole());
    oracle::adjustRouting(slow, fuzzing::nullConsole());
    minimizeRoutes(fast, fuzzing::nullConsole());
    oracle::minimizeRoutes(slow, fuzzing::nullConsole());
    for (std::size_t i = 0; i < fast.items.size(); ++i) {
        const RouteItem& a = fast.items[i];
        const RouteItem& b = slow.items[i];
        if (a.via != b.via || a.viaTarget != b.viaTarget || !(a.address == b.address)) {
            std::abort();
        }
    }
    if (fast.links.size() != slow.links.size() || walks(fast, false) != walks(slow, true)) {
        std::abort();
    }
    return 0;
}
