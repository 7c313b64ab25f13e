// Splicing a table into any destination with any markers: the head up to the
// begin marker and the tail after the end marker come through byte for byte.
#include <cstdlib>

#include "driver/table_output.hpp"
#include "fuzz_support.hpp"

namespace {

constexpr std::size_t Limit = 29998;

// The destination read as the program reads it: lines of at most Limit
// characters, ending at a line feed; input ends at a Ctrl-Z.
std::vector<std::string> destinationLines(const std::string& content) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : content) {
        if (c == '\x1a') {
            break;
        }
        line += c;
        if (c == '\n' || line.size() == Limit) {
            lines.push_back(line);
            line.clear();
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    return lines;
}

bool matches(const std::string& line, const std::string& marker) {
    return line.compare(0, marker.size(), marker) == 0 && line.size() >= marker.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace fuzzing;
    scratchFolder();
    std::vector<std::string> parts = splitInput(data, size, 3);
    const std::string& begin = parts[0];
    const std::string& end = parts[1];
    const std::string& destination = parts[2];
    if (begin.find('\n') != std::string::npos || end.find('\n') != std::string::npos) {
        return 0; // marker texts never hold a line feed
    }
    writeFile("dest.cfg", destination);
    removeFile("PG$TABLE.$$$");

    // What the result must be: the pieces up to the begin marker line and
    // that line whole (ended by a line feed if it had none), the table, the end
    // marker, and what follows the old end marker line.
    std::vector<std::string> lines = destinationLines(destination);
    auto ended = [&](std::size_t k) { return lines[k].back() == '\n'; };
    std::string head;
    std::size_t next = 0;
    bool endFound = false;
    bool crlf = false;
    for (; next < lines.size() && !endFound; ++next) {
        head += lines[next];
        if (!matches(lines[next], begin)) {
            continue;
        }
        endFound = matches(lines[next], end);
        std::string line = lines[next];
        while (!ended(next) && next + 1 < lines.size()) {
            head += lines[++next];
            line += lines[next];
        }
        if (!ended(next)) {
            head += "\n";
        }
        crlf = line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0;
        for (++next; !endFound && next < lines.size(); ++next) {
            if (matches(lines[next], end)) {
                endFound = true;
                while (!ended(next) && next + 1 < lines.size()) {
                    ++next;
                }
            }
        }
        break;
    }
    std::string tail;
    for (; next < lines.size(); ++next) {
        tail += lines[next];
    }
    const std::string eol = crlf ? "\r\n" : "\n";

    RealDisk disk;
    Splice splice(disk, nullConsole());
    bool opened = splice.open("dest.cfg", begin, end);
    if (opened != endFound) {
        std::abort();
    }
    if (!opened) {
        if (fileExists("PG$TABLE.$$$") || readFile("dest.cfg") != destination) {
            std::abort();
        }
        return 0;
    }
    splice.stream() << "table line" << eol;
    if (!splice.commit(end)) {
        std::abort();
    }
    std::string expected = head + "table line" + eol + end + eol + tail;
    if (readFile("dest.cfg") != expected || fileExists("PG$TABLE.$$$")) {
        std::abort();
    }
    return 0;
}
