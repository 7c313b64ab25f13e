#include "fuzz_support.hpp"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fuzzing {

std::ostream& nullStream() {
    static NullBuffer buffer;
    static std::ostream stream(&buffer);
    return stream;
}

Console& nullConsole() {
    static Console console(nullStream());
    return console;
}

const std::string& scratchFolder() {
    static const std::string folder = [] {
        char name[] = "/tmp/spokeway-fuzz-XXXXXX";
        if (::mkdtemp(name) == nullptr || ::chdir(name) != 0) {
            std::abort();
        }
        return std::string(name);
    }();
    return folder;
}

void writeFile(const std::string& name, std::string_view content) {
    std::ofstream out(scratchFolder() + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::string readFile(const std::string& name) {
    std::ifstream in(scratchFolder() + "/" + name, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool fileExists(const std::string& name) {
    return ::access((scratchFolder() + "/" + name).c_str(), F_OK) == 0;
}

void removeFile(const std::string& name) {
    std::remove((scratchFolder() + "/" + name).c_str());
}

std::vector<std::string> splitInput(const std::uint8_t* data, std::size_t size, std::size_t count) {
    std::vector<std::string> parts(count);
    std::size_t part = 0;
    for (std::size_t i = 0; i < size; ++i) {
        char c = static_cast<char>(data[i]);
        if (c == '\x1e' && part + 1 < count) {
            ++part;
        } else {
            parts[part] += c;
        }
    }
    return parts;
}

} // namespace fuzzing
