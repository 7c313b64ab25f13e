// The indexed nodelist scan against a straightforward line-by-line scan of
// the file, over many random nodelists and several Spokeway lines a run:
// the same routes, the same messages and the same spinner characters.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "model/tables.hpp"
#include "platform/platform.hpp"
#include "sources/sources.hpp"
#include "test_support.hpp"

using testing_support::ScratchDir;

namespace {

bool startsWithNoCase(const std::string& line, const std::string& word) {
    if (line.size() < word.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(line[i])) != word[i]) {
            return false;
        }
    }
    return true;
}

std::uint16_t numberAt(const std::string& line, std::size_t offset) {
    return offset < line.size() ? static_cast<std::uint16_t>(std::atoi(line.substr(offset).c_str()))
                                : 0;
}

// Every line read and classified in turn, as the scan was first written.
void straightScan(RoutingState& state, Console& console, unsigned& spinner, const std::string& path,
                  bool zoneMode, std::uint16_t zone, std::uint16_t net) {
    console.say("\nScanning nodelist " + path + " for " + std::to_string(zone) + ":" +
                std::to_string(net) + " spokeway...");
    RealDisk disk;
    std::unique_ptr<TextReader> file = openText(disk, path);
    const unsigned interval = zoneMode ? 1000 : 20;
    bool inZone = !zoneMode;
    bool inNet = false;
    std::uint16_t via = NoVia;
    unsigned count = 0;
    std::string line;
    while (file->readLine(line)) {
        if (++count > interval) {
            const char text[2] = {"-\\|/"[spinner], '\b'};
            console.say(std::string_view(text, 2));
            spinner = (spinner + 1) & 3;
            count = 0;
        }
        if (line[0] == ';') {
            continue;
        }
        if (zoneMode && startsWithNoCase(line, "zone")) {
            inZone = numberAt(line, 5) == zone;
            inNet = false;
        } else if (!inZone) {
            continue;
        } else if (startsWithNoCase(line, "host")) {
            inNet = numberAt(line, 5) == net;
            if (inNet) {
                via = findOrAddItem(state, FtnAddress{zone, net, 0});
            }
        } else if (!inNet) {
            continue;
        } else if (startsWithNoCase(line, "region")) {
            inNet = false;
        } else if (startsWithNoCase(line, "hub")) {
            via = findOrAddItem(state, FtnAddress{zone, net, numberAt(line, 4)});
        } else if (startsWithNoCase(line, "pvt")) {
            routeVia(state, console, via, FtnAddress{zone, net, numberAt(line, 4)});
        } else if (startsWithNoCase(line, "hold") || startsWithNoCase(line, "down")) {
            routeVia(state, console, via, FtnAddress{zone, net, numberAt(line, 5)});
        } else if (line[0] == ',') {
            routeVia(state, console, via, FtnAddress{zone, net, numberAt(line, 1)});
        }
    }
}

std::string randomNodelist(std::mt19937& random) {
    auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    static const char* const keywords[] = {"Zone", "zone", "Region", "Host", "HOST", "Hub",
                                           "",     "",     "",       "Pvt",  "Hold", "Down",
                                           ";",    "Boss", "Point",  "\n"};
    std::string text;
    const int lines = pick(0, 3000);
    for (int k = 0; k < lines; ++k) {
        std::string keyword = keywords[pick(0, 15)];
        if (keyword == "\n") {
            text += pick(1, 2) == 1 ? "\n" : "\r\n"; // empty lines
            continue;
        }
        int number = keyword == "Zone" || keyword == "zone" ? pick(1, 3)
                     : keyword.rfind("H", 0) == 0 && keyword != "Hub" && keyword != "Hold"
                         ? pick(1, 4)
                         : pick(0, 30);
        text += keyword + "," + std::to_string(number) + ",Name,Place,Sysop,000-0,9600";
        if (pick(1, 2000) == 1) {
            text += std::string(30000, 'x') + "Hub,7"; // a long line, one line however long
        }
        text += pick(1, 10) == 1 ? "\r\n" : "\n";
    }
    return text;
}

} // namespace

TEST(NodelistEquivalence, IndexedScanGivesWhatALineByLineScanGives) {
    std::mt19937 random(1207);
    ScratchDir dir;
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        dir.write("nodelist.001", randomNodelist(random));
        const std::string path = dir.file("nodelist.001");

        testing_support::ConfigRun run;
        RoutingState& fast = run.captured.state;
        testing_support::CapturedState straight;
        RoutingState& slow = straight.state;
        unsigned spinner = 0;
        fast.akas = slow.akas = {FtnAddress{2, 3, 5}};
        bool zoneMode = false;
        std::uint16_t zone = 0;
        std::uint16_t net = 0;
        for (int line = 0; line < 8; ++line) {
            // The same line again, now and then after a change to the table.
            if (line == 0 || random() % 2 == 0) {
                zoneMode = random() % 2 == 0;
                zone = static_cast<std::uint16_t>(1 + random() % 3);
                net = static_cast<std::uint16_t>(1 + random() % 4);
            } else if (random() % 3 == 0 && !slow.items.empty()) {
                const auto item = static_cast<std::uint16_t>(random() % slow.items.size());
                routeVia(fast, run.captured.messages, 0, fast.items[item].address);
                routeVia(slow, straight.messages, 0, slow.items[item].address);
            }
            std::string definition = path + (zoneMode ? " Z " : " n ") + std::to_string(zone) +
                                     " " + std::to_string(net) + "\n";
            ASSERT_TRUE(spokewayKeyword(run.context, definition, KeywordTarget{}));
            straightScan(slow, straight.messages, spinner, path, zoneMode, zone, net);
        }
        ASSERT_EQ(run.captured.shown(), straight.shown());
        ASSERT_EQ(fast.items.size(), slow.items.size());
        for (std::size_t i = 0; i < fast.items.size(); ++i) {
            ASSERT_EQ(fast.items[i].via, slow.items[i].via);
            ASSERT_EQ(fast.items[i].viaTarget, slow.items[i].viaTarget);
            ASSERT_TRUE(fast.items[i].address == slow.items[i].address);
        }
    }
}
