// Hub routes taken from a real FidoNet world nodelist, one Spokeway line per
// net, checked against the nodelist as read independently here: the members
// of a net are its host, its hubs and its node lines, from the net's Host line
// to the next Host or Region line (or Zone line, in zone mode).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.hpp"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const fs::path WorldLists = fs::path(SPOKEWAY_SHARED_DATA_DIR) / "nodelists" / "fidonet-nodepatch";

struct Net {
    unsigned zone;
    unsigned net;
    std::size_t hubLines;  // counted by hand in the nodelist
    std::size_t nodeLines; // the same
};

struct Address {
    unsigned zone = 0;
    unsigned net = 0;
    unsigned node = 0;
    bool operator==(const Address&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Address& a) {
    return out << a.zone << ":" << a.net << "/" << a.node;
}

// The text up to the Ctrl-Z that ends it, split into lines without their ends.
std::vector<std::string> nodelistLines(const fs::path& file) {
    std::string text = readFile(file);
    text = text.substr(0, text.find('\x1a'));
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> result;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, ',');) {
        result.push_back(field);
    }
    return result;
}

// The net's members in the order they first appear, as zone:net/node with the
// selected zone; counts the hub lines and node lines met on the way.
std::vector<Address> netMembers(const std::vector<std::string>& lines, const Net& net,
                                bool zoneMode, std::size_t& hubLines, std::size_t& nodeLines) {
    std::vector<Address> members;
    auto add = [&](long node) {
        Address a{net.zone, net.net, static_cast<unsigned>(node)};
        if (std::find(members.begin(), members.end(), a) == members.end()) {
            members.push_back(a);
        }
    };
    hubLines = nodeLines = 0;
    long zone = -1;
    bool inNet = false;
    for (const std::string& line : lines) {
        if (line.empty() || line[0] == ';') {
            continue;
        }
        std::vector<std::string> f = fields(line);
        std::string keyword = f[0];
        std::transform(keyword.begin(), keyword.end(), keyword.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        long number = f.size() > 1 ? std::strtol(f[1].c_str(), nullptr, 10) : -1;
        if (keyword == "zone") {
            zone = number;
            inNet = inNet && !zoneMode;
        } else if (keyword == "region") {
            inNet = false;
        } else if (keyword == "host") {
            inNet = number == static_cast<long>(net.net) &&
                    (!zoneMode || zone == static_cast<long>(net.zone));
            if (inNet) {
                add(0);
            }
        } else if (inNet && keyword == "hub") {
            ++hubLines;
            add(number);
        } else if (inNet && (keyword.empty() || keyword == "pvt" || keyword == "hold" ||
                             keyword == "down")) {
            ++nodeLines;
            add(number);
        }
    }
    return members;
}

// Expands the relative addresses of one Squish route line after `prefix`;
// each line starts from the link's address.
std::vector<Address> routeLineAddresses(const std::string& line, const std::string& prefix,
                                        Address context) {
    std::vector<Address> result;
    std::istringstream words(line.substr(prefix.size()));
    for (std::string word; words >> word;) {
        Address a = context;
        std::size_t colon = word.find(':');
        if (colon != std::string::npos) {
            a.zone = static_cast<unsigned>(std::stoul(word.substr(0, colon)));
            word = word.substr(colon + 1);
        }
        std::size_t slash = word.find('/');
        if (slash != std::string::npos) {
            a.net = static_cast<unsigned>(std::stoul(word.substr(0, slash)));
            word = word.substr(slash + 1);
        }
        a.node = static_cast<unsigned>(std::stoul(word));
        result.push_back(a);
        context = a;
    }
    return result;
}

std::string spinner(int& position, std::size_t turns) {
    static const char characters[] = "-\\|/";
    std::string text;
    for (std::size_t i = 0; i < turns; ++i) {
        text += characters[position];
        text += '\b';
        position = (position + 1) % 4;
    }
    return text;
}

// Runs one Spokeway line per net on `nodelistWord` (as seen from the run's
// folder, where "nl" leads to the world lists) and checks the whole console
// and every route the table gives.
void checkNets(const std::string& nodelistWord, const std::string& scannedPath,
               const std::string& modeLetter, const std::vector<Net>& nets) {
    if (!fs::is_directory(WorldLists)) {
        GTEST_SKIP() << "real nodelists not found at " << WorldLists
                     << "; the shared data folder is needed for this test";
    }
    const bool zoneMode = modeLetter == "Z";
    const std::vector<std::string> lines =
        nodelistLines(WorldLists / fs::path(scannedPath).filename());
    for (const std::string& line : lines) {
        ASSERT_LT(line.size(), 29999u); // every line is read whole
    }

    ScratchDir dir;
    fs::create_directory_symlink(WorldLists, dir.path() / "nl");
    std::string config = ConfigText{.main = "2:9999/1", .links = "Link 2:9999/2 c\n"}.text() +
                         "DefaultRoute 2:9999/2 World\n";
    std::string console = Banner;
    std::vector<Address> expected;
    int position = 0;
    for (const Net& net : nets) {
        const std::string netText = std::to_string(net.zone) + ":" + std::to_string(net.net);
        config += "Spokeway " + nodelistWord + " " + modeLetter + " " + std::to_string(net.zone) +
                  " " + std::to_string(net.net) + "\n";
        console += "\nScanning nodelist " + scannedPath + " for " + netText + " spokeway...";
        console += spinner(position, lines.size() / (zoneMode ? 1001 : 21));

        std::size_t hubLines = 0;
        std::size_t nodeLines = 0;
        std::vector<Address> members = netMembers(lines, net, zoneMode, hubLines, nodeLines);
        EXPECT_EQ(hubLines, net.hubLines) << netText;
        EXPECT_EQ(nodeLines, net.nodeLines) << netText;
        EXPECT_EQ(members.size(), 1 + hubLines + nodeLines) << netText << ": repeated numbers";
        expected.insert(expected.end(), members.begin(), members.end());
    }
    // The uplink, every member and the world.
    console += Writing + done(1, static_cast<int>(expected.size()) + 2);
    dir.write("pathgen.cfg", config);
    dir.write("route.cfg", "; begin\n; end\n");

    RunResult result = runInProcess(dir.path(), {});

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.console, console);

    // Hosts and hubs reach the world through the uplink, and so every member
    // ends up routed via the uplink, in the order the scans met them.
    const std::string prefix = "Route Crash             2:9999/2 ";
    std::istringstream out(dir.read("route.cfg"));
    std::string rest;
    std::vector<Address> routed;
    bool inNodes = false;
    for (std::string line; std::getline(out, line);) {
        if (line == "; *** Nodes" || line == "; *** Nets") {
            inNodes = line == "; *** Nodes";
        } else if (inNodes && line.rfind(prefix, 0) == 0) {
            std::vector<Address> listed = routeLineAddresses(line, prefix, Address{2, 9999, 2});
            routed.insert(routed.end(), listed.begin(), listed.end());
            continue;
        }
        rest += line + "\n";
    }
    EXPECT_EQ(routed.size(), expected.size());
    EXPECT_EQ(routed, expected);
    EXPECT_EQ(rest, "; begin\n"
                    "; Squish routing for 2:9999/1. Created by Spokeway generator 1.31beta\n"
                    ";                     Fri Jan  1 09:05:00 1999\n"
                    ";\n"
                    "; *** Direct links\n"
                    ";\n"
                    "Send Crash   2\n"
                    ";\n"
                    "; *** Route\n"
                    ";\n"
                    "; *** Nodes\n"
                    "; *** Nets\n"
                    "; *** Zones\n"
                    "; *** Default\n"
                    "Route Crash             2:9999/2  World\n"
                    ";\n"
                    "; !!! Unrouted !!!\n"
                    "; ----------------\n"
                    "; end\n");
}

} // namespace

// The pattern picks nodelist.362 (December 1996) over nodelist.003 (January
// 1997): the greatest day number, not the newest list.
TEST(SpokewayRealNodelist, ZoneModeOverSeveralNets) {
    checkNets("nl/nodelist.*", "nl/nodelist.362", "Z",
              {{2, 5020, 46, 682},
               {2, 5030, 16, 486},
               {1, 153, 11, 196},
               {2, 543, 0, 1},
               {2, 460, 0, 17}});
}

// In segment mode the Zone line after net 543 does not end it: the zone's own
// nodes up to the next Region line are taken as nodes of 2:543.
TEST(SpokewayRealNodelist, SegmentModeOverSeveralNets) {
    checkNets("nl/nodelist.003", "nl/nodelist.003", "N",
              {{2, 5020, 46, 682},
               {2, 5030, 16, 486},
               {1, 153, 11, 196},
               {2, 543, 0, 9},
               {2, 460, 0, 17}});
}
