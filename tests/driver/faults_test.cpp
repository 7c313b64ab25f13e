// Faults of the file system injected in-process through a FakeDisk: each
// case checks the exit code, the whole console, that the destination is
// byte for byte as it was, and what is left of the temporary file.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "fake_disk.hpp"
#include "test_support.hpp"

using namespace testing_support;

namespace {

const std::string Before = "a\n; begin\nold\n; end\nb\n";
const std::string Head = "a\n; begin\n";
// More than one write buffer (64 KB) of the temporary file.
const std::string Big = std::string(100000, 'x') + "\n";

std::string routesOfManyNodes() {
    std::string routes = "2:460/1 2:461/1";
    for (int node = 2; node <= 20000; ++node) {
        routes += " " + std::to_string(node);
    }
    return routes + "\n";
}

struct FaultCase {
    const char* what;
    FakeDisk::Faults faults;
    std::string before = Before;
    std::string more{}; // configuration lines after the markers
    int exitCode;
    std::string console;
    std::optional<std::string> temporary{}; // what the temporary file holds, if it is left
};

TEST(Faults, TheDestinationSurvivesEveryFault) {
    const std::string written = Banner + Writing;
    const std::string many = "RouteFile many.txt\n";
    const std::string scanned = Banner + "\nScanning route file many.txt...";
    const FaultCase cases[] = {
        {"a write of a long head: the copy stops at once",
         {.failWrite = 1},
         Big + Before,
         "",
         3,
         Banner + "\nCannot write temp file."},
        {"the write of a short head, at the end of WriteTo",
         {.failWrite = 1},
         Before,
         "",
         3,
         Banner + "\nCannot write temp file."},
        {"a write in the table",
         {.failWrite = 2},
         Before,
         "Link 2:460/1 c\n" + many,
         3,
         scanned + Writing + "\nCannot write temp file."},
        {"a write in the tail",
         {.failWrite = 3},
         Before + Big + Big,
         "",
         3,
         written + "\nCannot write temp file."},
        {"the sync", {.failSync = 1}, Before, "", 3, written + "\nCannot write temp file."},
        {"the close", {.failClose = 1}, Before, "", 3, written + "\nCannot write temp file."},
        {"the rename",
         {.failReplace = true},
         Before,
         "",
         3,
         written + "\nCannot replace dest file."},
        {"the temporary file gone before the rename",
         {.removeBeforeReplace = true},
         Before,
         "",
         3,
         written + "\nCannot replace dest file: PG$TABLE.$$$ was changed by another process."},
        // Another process at work in the folder just before the rename: the
        // run moves nothing, and nothing outside the folder changes.
        {"the temporary file swapped for a link to another file",
         {.linkBeforeReplace = "victim.txt"},
         Before,
         "",
         3,
         written + "\nCannot replace dest file: PG$TABLE.$$$ was changed by another process."},
        {"the destination replaced by another file",
         {.replaceDestinationBeforeReplace = true},
         Before,
         "",
         3,
         written + "\nCannot replace dest file: route.cfg was changed by another process."},
        {"the destination's owner and bits cannot be told (a failing stat)",
         {.failAttributes = true},
         Before,
         "",
         3,
         written + "\nCannot replace dest file."},
        {"the folder lock: nothing is written",
         {.failLock = true},
         Before,
         "",
         1,
         Banner + "\nCannot lock dest folder."},
        {"creating the temporary file",
         {.failCreate = "PG$TABLE.$$$"},
         Before,
         "",
         1,
         Banner + "\nCannot open temp file."},
        {"opening the destination",
         {.failOpen = "route.cfg"},
         Before,
         "",
         1,
         Banner + "\nCannot open dest file."},
        {"opening a route file",
         {.failOpen = "many.txt"},
         Before,
         many,
         1,
         Banner + "\npathgen.cfg 7: Cannot open file.",
         Head},
        {"listing the nodelist folder part way",
         {.failListAfter = 1},
         Before,
         "Spokeway nodelist.* n 2 460\n",
         1,
         Banner + "\npathgen.cfg 7: Cannot open file.",
         Head},
        {"listing the nodelist folder",
         {.failListAfter = 0},
         Before,
         "Spokeway nodelist.* n 2 460\n",
         1,
         Banner + "\npathgen.cfg 7: Cannot open file.",
         Head},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        dir.write("pathgen.cfg", ConfigText{.more = c.more});
        dir.write("route.cfg", c.before);
        dir.write("many.txt", routesOfManyNodes());
        dir.write("nodelist.364", "Zone,2\nHost,460\n,364\n");
        dir.write("nodelist.365", "Zone,2\nHost,460\n,365\n");
        dir.write("victim.txt", "victim\n");
        std::filesystem::permissions(dir.path() / "victim.txt", std::filesystem::perms(0600));
        FakeDisk disk(c.faults);

        RunResult result = runInProcess(dir.path(), {}, disk);

        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(result.console, c.console);
        EXPECT_TRUE(dir.read("route.cfg") == c.before);
        EXPECT_EQ(dir.read("victim.txt"), "victim\n");
        EXPECT_EQ(std::filesystem::status(dir.path() / "victim.txt").permissions(),
                  std::filesystem::perms(0600));
        EXPECT_EQ(dir.exists("PG$TABLE.$$$"), c.temporary.has_value());
        if (c.temporary) {
            EXPECT_EQ(dir.read("PG$TABLE.$$$"), *c.temporary);
        }
        if (c.faults.failWrite > 0) {
            // Nothing more is written after the failing write.
            EXPECT_EQ(disk.writes, c.faults.failWrite);
        }
    }
}

} // namespace
