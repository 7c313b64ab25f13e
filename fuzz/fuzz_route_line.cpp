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
    state.console = &fuzzing::nullStream();
    state.akas = {FtnAddress{2, 460, 10}, FtnAddress{2, 5020, 1}};
    for (FtnAddress link : {FtnAddress{2, 460, 1}, FtnAddress{2, 461, 7}}) {
        state.links.push_back(LinkEntry{FlavourCrash, link});
        state.items.push_back(RouteItem{NoVia, 0, link});
    }
}

std::string walks(RoutingState& state, bool useOracle) {
    std::ostringstream out;
    state.output = &out;
    state.wrapWidth = 20;
    for (std::uint16_t pass = 0; pass < 4; ++pass) {
        state.wildcardPass = pass;
        for (const LinkEntry& link : state.links) {
            state.abbrevContext = link.address;
            startLine(state, "L");
            std::uint16_t item =
                useOracle ? oracle::findItem(state, link.address) : findItem(state, link.address);
            if (useOracle) {
                oracle::appendRoutedViaUsing(state, item, RelativeForm, formatAddress);
            } else {
                appendRoutedVia(state, item, RelativeForm);
            }
            finishLine(state);
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
            readRouteLine(fast, input.substr(start, end - start));
            start = end;
        }
    } catch (const TableFull&) {
        return 0;
    }
    slow.items = fast.items;
    slow.minimizeMode = fast.minimizeMode = size % 2;

    adjustRouting(fast);
    oracle::adjustRouting(slow);
    minimizeRoutes(fast);
    oracle::minimizeRoutes(slow);
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
