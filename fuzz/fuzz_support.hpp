// What the fuzz targets share: a scratch folder for the files of one input,
// a console that swallows everything, and splitting an input into files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "messages/messages.hpp"

namespace fuzzing {

class NullBuffer : public std::streambuf {
  protected:
    int_type overflow(int_type ch) override { return traits_type::not_eof(ch); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// A stream that drops what is written to it, and a console that writes there.
std::ostream& nullStream();
Console& nullConsole();

// The folder the target works in; made once and made the current folder.
const std::string& scratchFolder();

void writeFile(const std::string& name, std::string_view content);
std::string readFile(const std::string& name);
bool fileExists(const std::string& name);
void removeFile(const std::string& name);

// Splits the input at the record separator (0x1E) into at most `count` parts;
// missing parts are empty.
std::vector<std::string> splitInput(const std::uint8_t* data, std::size_t size, std::size_t count);

} // namespace fuzzing
