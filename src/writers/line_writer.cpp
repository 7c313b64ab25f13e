#include "writers/line_writer.hpp"

LineWriter::LineWriter(const RoutingState& tables, std::ostream& out, bool crlf,
                       std::time_t runTime)
    : tables(tables), out(out), crlf(crlf), runTime(runTime) {
    notation.main = tables.mainAddress();
    line.reserve(30000);
    prefix.reserve(500);
}

void writeText(LineWriter& w, std::string_view text) {
    if (!w.crlf) {
        w.out.write(text.data(), static_cast<std::streamsize>(text.size()));
        return;
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            w.out.write(text.data() + start, static_cast<std::streamsize>(i - start));
            w.out.write("\r\n", 2);
            start = i + 1;
        }
    }
    w.out.write(text.data() + start, static_cast<std::streamsize>(text.size() - start));
}

void noteLine(LineWriter& w, std::string_view line) {
    if (w.markPending) {
        w.markedLines->emplace_back(line);
        w.markPending = false;
    }
}

void writeLineBuffer(LineWriter& w) {
    noteLine(w, w.line);
    writeText(w, w.line);
    writeText(w, "\n");
}

void restartLine(LineWriter& w) {
    w.line = w.prefix;
}
