#include "writers/writers.hpp"

#include "model/tables.hpp"

void writeFtrack(RoutingState& state) {
    setAddressStyle(state, 1, 1, 1, 1, 0, 1);
    state.ReportCommentChar = '\\';
    // Every mask is longer than this, so the walk writes each one at once.
    state.WrapWidth = 10;
    writeHeader(state, '\\', "Ftrack");
    // Lines the walk restarts begin empty.
    state.prefixBuffer.clear();
    for (state.WildcardPass = 0; state.WildcardPass < 4; ++state.WildcardPass) {
        writePassComment(state, state.ReportCommentChar);
        for (const LinkEntry& link : state.LinkTable) {
            state.maskCount = 0;
            state.lineBuffer.clear();
            if (state.WildcardPass == 0) {
                // The link's own mask; its line is written even when the
                // link's address has a wildcard and no mask was made.
                ftrackMask(state, link.address, state.lineBuffer, RelativeForm);
                writeLineBuffer(state);
                ++state.maskCount;
                state.lineBuffer.clear();
            }
            appendRoutedViaLink(state, link.address, RelativeForm, ftrackMask);
            if (state.maskCount != 0) {
                state.lineBuffer =
                    std::string("Action: Route ") + flavourWord(link, RouteFlavourWords);
                formatAddress(state, link.address, state.lineBuffer, FullForm);
                state.lineBuffer += "\n\\";
                writeLineBuffer(state);
            }
        }
    }
}

// Replaces the line by one mask line of a rule block.
std::size_t ftrackMask(RoutingState& state, FtnAddress address, std::string& line, int form) {
    if (form == RelativeForm && wildcardCount(address) != state.WildcardPass) {
        return line.size();
    }
    ++state.maskCount;
    line = "Mask: * * * ";
    if (state.WildcardPass == 3) {
        line += '*';
    } else {
        formatAddress(state, address, line, form);
    }
    line += " * *";
    return line.size();
}
