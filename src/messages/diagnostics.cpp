#include "messages/diagnostics.hpp"

#include <cstring>

void Diagnostics::report(Severity severity, std::string_view text) {
    reportAt(severity, place_.file, place_.line, text);
}

void Diagnostics::reportAt(Severity severity, std::string_view file, unsigned long line,
                           std::string_view text) {
    if (collecting_) {
        reports_.push_back({std::string(file), line, severity, std::string(text)});
    }
}

std::size_t Diagnostics::count(Severity severity) const {
    std::size_t n = 0;
    for (const Diagnostic& d : reports_) {
        n += d.severity == severity;
    }
    return n;
}

void Diagnostics::print(std::ostream& out, Severity least) const {
    static constexpr const char* Names[] = {"note", "warning", "error"};
    for (const Diagnostic& d : reports_) {
        if (d.severity < least) {
            continue;
        }
        out << d.file << ':';
        if (d.line != 0) {
            out << d.line << ':';
        }
        out << ' ' << Names[static_cast<int>(d.severity)] << ": " << d.text << '\n';
    }
    out.flush();
}

std::string systemReason(int error, std::string_view otherwise) {
    return error != 0 ? std::string(std::strerror(error)) : std::string(otherwise);
}
