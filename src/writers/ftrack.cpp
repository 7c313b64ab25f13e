#include "writers/writers.hpp"

#include "model/tables.hpp"

void writeFtrack(RoutingState& state) {
    setAddressStyle(state, 1, 1, 1, 1, 0, 1);
    state.reportCommentChar = '\\';
    // Every mask is longer than this, so the walk writes each one at once.
    state.wrapWidth = 10;
    writeHeader(state, '\\', "Ftrack");
    // Lines the walk restarts begin empty.
    state.prefixBuffer.clear();
    for (state.wildcardPass = 0; state.wildcardPass < 4; ++state.wildcardPass) {
        writePassComment(state, state.reportCommentChar);
        for (const LinkEntry& link : state.links) {
            state.maskCount = 0;
            state.lineBuffer.clear();
            if (state.wildcardPass == 0) {
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
    if (form == RelativeForm && wildcardCount(address) != state.wildcardPass) {
        return line.size();
    }
    ++state.maskCount;
    line = "Mask: * * * ";
    if (state.wildcardPass == 3) {
        line += '*';
    } else {
        formatAddress(state, address, line, form);
    }
    line += " * *";
    return line.size();
}
