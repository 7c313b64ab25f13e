// Trust lines over a table that already holds links and routes.
#include "fuzz_support.hpp"
#include "model/adjust.hpp"
#include "sources/sources.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    RoutingState state;
    state.akas = {FtnAddress{2, 460, 10}};
    for (FtnAddress link : {FtnAddress{2, 460, 1}, FtnAddress{2, 461, 7}, FtnAddress{3, 1, 1}}) {
        state.links.push_back(LinkEntry{FlavourHold, link});
        state.items.push_back(RouteItem{NoVia, 0, link});
    }
    readRouteLine(state, fuzzing::nullConsole(), "2:460/1 2:462/* 2:460/5\n");
    try {
        std::size_t start = 0;
        while (start < input.size()) {
            std::size_t end = input.find('\n', start);
            end = end == std::string_view::npos ? input.size() : end + 1;
            readTrustLine(state, fuzzing::nullConsole(), input.substr(start, end - start));
            start = end;
        }
    } catch (const TableFull&) {
        return 0;
    }
    adjustRouting(state, fuzzing::nullConsole());
    return 0;
}
