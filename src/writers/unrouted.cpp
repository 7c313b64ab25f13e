#include "writers/writers.hpp"

void writeUnrouted(RoutingState& state) {
    state.addressStyle.FlatWalk = 1;
    state.addressStyle.FullAddresses = 1;
    // A writer may leave its continuation address behind; the report's broken
    // lines end with an unrouted address, never with a link's.
    state.ContinuationAddress = FtnAddress{};
    std::string c(1, state.ReportCommentChar);
    writeText(state, c + "\n" + c + " !!! Unrouted !!!\n" + c + " ----------------\n");
    state.WildcardPass = 0;
    startLine(state, c + " >>> ");
    appendRoutedVia(state, NoVia, RelativeForm);
    finishLine(state);
}
