// The nodelist scanner over any file, in each mode, by pattern and by name.
#include "fuzz_support.hpp"
#include "sources/nodelist.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace fuzzing;
    scratchFolder();
    if (size < 1) {
        return 0;
    }
    static const char* const definitions[] = {
        "nodelist.* Z 2 460\n", "nodelist.* n 2 460\n", "nodelist.001 R 1 100\n",
        "nodelist.* z 1 1\n",   "nodelist.* X 2 460\n", "nodelist.*\n",
    };
    const char* definition = definitions[data[0] % 6];
    writeFile("nodelist.001", std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    RoutingState state;
    state.akas = {FtnAddress{2, 460, 10}};
    RealDisk disk;
    NodelistReader reader(disk);
    const NodelistDefinition parsed = readNodelistDefinition(definition);
    std::string path;
    OpenNodelist nodelist = reader.open(parsed.pathWord, path);
    try {
        if (nodelist && parsed.valid) {
            reader.scanNet(state, nullConsole(), nodelist, path, parsed.scan);
        }
    } catch (const TableFull&) {
    }
    return 0;
}
