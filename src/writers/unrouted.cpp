#include "writers/writers.hpp"

void writeUnrouted(RoutingState& state) {
    state.addressStyle.flatWalk = 1;
    state.addressStyle.fullAddresses = 1;
    // A writer may leave its continuation address behind; the report's broken
    // lines end with an unrouted address, never with a link's.
    state.continuationAddress = FtnAddress{};
    std::string c(1, state.reportCommentChar);
    writeText(state, c + "\n" + c + " !!! Unrouted !!!\n" + c + " ----------------\n");
    state.wildcardPass = 0;
    startLine(state, c + " >>> ");
    appendRoutedVia(state, NoVia, RelativeForm);
    finishLine(state);
}
