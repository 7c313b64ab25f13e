// The hpt tables read back as hpt reads them: the first target that matches,
// in file order, as a pattern over "Z:N/F.P", mail and file-attach lines
// searched apart. For every item address and a sample of others, the link hpt
// sends a netmail through is the one the model routes it via; over the real
// zone-2 run and random tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <sstream>

#include "driver/explain.hpp"
#include "model/adjust.hpp"
#include "model/minimize.hpp"
#include "model/random_tables.hpp"
#include "model/tables.hpp"
#include "test_support.hpp"
#include "writers/route_types.hpp"
#include "writers/writers.hpp"

namespace fs = std::filesystem;

namespace {

// ---- the reader ----

struct Target {
    bool file; // of a routeFile line
    std::string link, pattern;
};

// '*' any run of characters, '?' one character, '#' one digit.
bool globMatch(std::string_view p, std::string_view t) {
    if (p.empty()) {
        return t.empty();
    }
    if (p[0] == '*') {
        return globMatch(p.substr(1), t) || (!t.empty() && globMatch(p, t.substr(1)));
    }
    const bool one =
        !t.empty() && (p[0] == '?' || p[0] == t[0] ||
                       (p[0] == '#' && std::isdigit(static_cast<unsigned char>(t[0]))));
    return one && globMatch(p.substr(1), t.substr(1));
}

// The targets in file order; each line held to what fidoconfig reads safely.
std::vector<Target> readRoutes(const std::string& table) {
    std::vector<Target> targets;
    std::istringstream lines(table);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_FALSE(line.ends_with(" \\")) << line;
        if (line.empty() || line[0] == '#') {
            continue;
        }
        EXPECT_EQ(line.find_first_of("[`"), std::string::npos) << line;
        std::istringstream words(line);
        std::string keyword, flavour, link, pattern;
        words >> keyword >> flavour >> link;
        EXPECT_TRUE(keyword == "routeMail" || keyword == "routeFile") << line;
        EXPECT_NE(std::string(" crash direct hold normal ").find(" " + flavour + " "),
                  std::string::npos)
            << line;
        while (words >> pattern) {
            const bool bare = pattern.find_first_of(".*") == std::string::npos;
            targets.push_back({keyword == "routeFile", link, pattern + (bare ? ".0" : "")});
        }
    }
    return targets;
}

std::string lookup(const std::vector<Target>& targets, bool file, const std::string& text,
                   std::string* pattern = nullptr) {
    for (const Target& target : targets) {
        if (target.file == file && globMatch(target.pattern, text)) {
            if (pattern != nullptr) {
                *pattern = target.pattern;
            }
            return target.link;
        }
    }
    return "none";
}

// ---- against the model ----

std::string fullText(FtnAddress a) {
    return std::to_string(a.zone) + ":" + std::to_string(a.net) + "/" + std::to_string(a.node);
}

// Item addresses (a wildcard part as 65001) and the samples; gives how many
// were compared. Left out: own addresses (hpt never sends mail to them), an
// address decided by a wildcard entry that two entries normalised to (hpt
// takes the first line, the model the first entry), and one the model sends
// to a link with wildcard parts, which names no system hpt knows.
int expectReadAsModel(const RoutingState& state, std::vector<FtnAddress> addresses) {
    std::ostringstream table;
    LineWriter writer(state, table, false, 0);
    findRouteType("hpt")->write(writer);
    writeUnrouted(writer);
    const std::vector<Target> targets = readRoutes(table.str());
    std::map<FtnAddress, int> entries;
    for (const RouteItem& item : state.items) {
        ++entries[item.address];
        const FtnAddress a = item.address;
        addresses.push_back({a.zone == Wildcard ? std::uint16_t{65001} : a.zone,
                             a.net == Wildcard ? std::uint16_t{65001} : a.net,
                             a.node == Wildcard ? std::uint16_t{65001} : a.node});
    }
    int compared = 0;
    for (FtnAddress a : addresses) {
        bool twinned = false, covered = isLinkAddress(state, a);
        for (int k = 0; k < 8; ++k) {
            const FtnAddress c{(k & 4) ? Wildcard : a.zone, (k & 2) ? Wildcard : a.net,
                               (k & 1) ? Wildcard : a.node};
            twinned = twinned || (k != 0 && entries[c] > 1);
            covered = covered || entries[c] > 0;
        }
        const std::optional<FtnAddress> model = routedVia(state, a);
        if (twinned || isOwnAddress(state, a) || (model && hasWildcard(*model))) {
            continue;
        }
        const std::string text = fullText(a) + (++compared % 3 == 0 ? ".7" : ".0");
        std::string pattern;
        const std::string mail = lookup(targets, false, text, &pattern);
        if (model) {
            EXPECT_EQ(mail, fullText(*model)) << text;
        } else if (!covered) {
            EXPECT_EQ(mail, "none") << text;
        } else {
            EXPECT_NE(pattern, fullText(a) + ".*") << text; // a broader line may catch it
        }
        // A file attach goes by the routeFile lines alone: to the model's link
        // when that takes files, else to another that does, or nowhere.
        const std::string file = lookup(targets, true, text);
        auto takesFiles = [&state](const std::string& link) {
            return std::any_of(state.links.begin(), state.links.end(), [&](const LinkEntry& l) {
                return (l.flavour & FlavourFile) && fullText(l.address) == link;
            });
        };
        EXPECT_TRUE(file == "none" || takesFiles(file)) << text;
        EXPECT_TRUE(!model || !takesFiles(mail) || file == mail) << text;
    }
    return compared;
}

} // namespace

TEST(HptReader, RealZoneTwoRunIsRoutedAsTheModelRoutesIt) {
    const fs::path nodelist =
        fs::path(SPOKEWAY_SHARED_DATA_DIR) / "nodelists" / "fidonet-nodepatch" / "nodelist.362";
    if (!fs::exists(nodelist)) {
        GTEST_SKIP() << "real nodelists not found at " << nodelist;
    }
    testing_support::ScratchDir dir;
    std::string config = "Address 2:5020/52\nRouteType hpt\nMinimize yes\nWriteTo " +
                         dir.file("config") + "\nRouteBegin \"# begin\"\nRouteEnd \"# end\"\n" +
                         "Link 2:5020/146 d\nLink 2:5020/70 cf\nLink 2:2432/0 h\nRouteFile " +
                         dir.file("routes.txt") + "\nDefaultRoute 2:5020/146 World\n";
    std::istringstream lines(testing_support::readFile(nodelist));
    bool zoneTwo = false;
    for (std::string line; std::getline(lines, line);) {
        zoneTwo = line.starts_with("Zone,") ? line.starts_with("Zone,2,") : zoneTwo;
        if (zoneTwo && line.starts_with("Host,")) { // every net of zone 2
            config += "Spokeway " + nodelist.string() + " z 2 " +
                      line.substr(5, line.find(',', 5) - 5) + "\n";
        }
    }
    dir.write("pathgen.cfg", config);
    dir.write("routes.txt", "2:5020/70 2:5030/* 2:5020/* 2:5020/1000\n"
                            "2:2432/0 2:2432/* 2:2433/* 2:240/* 3:*/*\n");
    dir.write("config", "# begin\n# end\n");

    testing_support::ConfigRun run(dir.file("pathgen.cfg"));
    run.captured.state.provenance.startRecording();
    ASSERT_TRUE(readConfig(run.context)) << run.captured.shown();
    ASSERT_GT(run.captured.state.items.size(), 10000u);
    std::vector<FtnAddress> samples;
    for (std::uint16_t n = 1; n < 400; n += 7) {
        samples.insert(samples.end(), {{2, 5020, std::uint16_t(n + 3000)},
                                       {2, std::uint16_t(n * 13), 1},
                                       {std::uint16_t(n % 7 + 1), n, n}});
    }
    EXPECT_GT(expectReadAsModel(run.captured.state, samples), 10000);
}

TEST(HptReader, RandomTablesAreRoutedAsTheModelRoutesThem) {
    random_tables::RandomWorld world(20261208);
    int compared = 0;
    for (int round = 0; round < 400 && !HasFailure(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const random_tables::Tables t = world.tables();
        random_tables::TableRun run(t);
        run.state.provenance.startRecording();
        adjustRouting(run.state, run.messages);
        if (t.minimizeMode == MinimizeMode::Yes) {
            minimizeRoutes(run.state, run.messages);
        }
        std::vector<FtnAddress> samples;
        for (int k = 0; k < 20; ++k) {
            samples.push_back(world.address(0));
        }
        compared += expectReadAsModel(run.state, samples);
    }
    EXPECT_GT(compared, 3000);
}
