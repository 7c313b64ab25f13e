#include "writers/writers.hpp"

void writeUnrouted(LineWriter& w) {
    w.notation.style.flatWalk = 1;
    w.notation.style.fullAddresses = 1;
    // A writer may leave its continuation address behind; the report's broken
    // lines end with an unrouted address, never with a link's.
    w.continuationAddress = FtnAddress{};
    std::string c(1, w.reportCommentChar);
    writeText(w, c + "\n" + c + " !!! Unrouted !!!\n" + c + " ----------------\n");
    w.notation.pass = 0;
    startLine(w, c + " >>> ");
    appendRoutedVia(w, NoVia, RelativeForm);
    finishLine(w);
}
