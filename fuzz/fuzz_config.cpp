// A whole run: configuration, route file, trust file, nodelist and
// destination all come from the input. A failed run must leave the
// destination as it was.
#include <cstdlib>

#include "driver/run.hpp"
#include "fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace fuzzing;
    scratchFolder();
    std::vector<std::string> files = splitInput(data, size, 5);
    writeFile("pathgen.cfg", files[0]);
    writeFile("routes.txt", files[1]);
    writeFile("trust.txt", files[2]);
    writeFile("nodelist.001", files[3]);
    writeFile("route.cfg", files[4]);
    removeFile("PG$TABLE.$$$");

    int exitCode;
    {
        RealDisk disk;
        RunEnvironment environment{nullConsole(), disk, 0};
        const char* args[] = {"pathgen.cfg"};
        exitCode = static_cast<int>(runSpokeway(environment, args));
    }
    if (exitCode != 0 && readFile("route.cfg") != files[4]) {
        std::abort(); // a failed run changed the destination
    }
    if (exitCode == 0 && fileExists("PG$TABLE.$$$")) {
        std::abort(); // a finished run left its temporary file
    }
    return 0;
}
