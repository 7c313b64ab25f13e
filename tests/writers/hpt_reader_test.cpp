// The hpt tables read back as hpt reads them (the first target that matches,
// in file order, as a pattern over "Z:N/F.P"; mail and file-attach lines
// searched apart): for every item address and a sample of others, the link
// hpt sends a netmail through is the one the model routes it via. Over the
// real zone-2 run and random tables.
#include <gtest/gtest.h>

#include <cctype>
#include <optional>
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
    bool file; // a routeFile line
    std::string link;
    std::string pattern;
};

// '*' any run of characters, '?' one character, '#' one digit.
bool globMatch(std::string_view p, std::string_view t) {
    std::size_t pi = 0, ti = 0, star = std::string_view::npos, mark = 0;
    while (ti < t.size()) {
        if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            mark = ti;
        } else if (pi < p.size() &&
                   (p[pi] == '?' || p[pi] == t[ti] ||
                    (p[pi] == '#' && std::isdigit(static_cast<unsigned char>(t[ti]))))) {
            ++pi;
            ++ti;
        } else if (star != std::string_view::npos) {
            pi = star + 1;
            ti = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') {
        ++pi;
    }
    return pi == p.size();
}

// The route lines of a table, targets in file order, each line held to what
// fidoconfig reads safely.
std::vector<Target> readRoutes(const std::string& table) {
    std::vector<Target> targets;
    std::istringstream lines(table);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_FALSE(line.ends_with(" \\")) << line;
        if (line.empty() || line.front() == '#') {
            continue;
        }
        EXPECT_EQ(line.find_first_of("[`"), std::string::npos) << line;
        std::istringstream words(line);
        std::string keyword, flavour, link;
        words >> keyword >> flavour >> link;
        EXPECT_TRUE(keyword == "routeMail" || keyword == "routeFile") << line;
        EXPECT_TRUE(flavour == "crash" || flavour == "direct" || flavour == "hold" ||
                    flavour == "normal")
            << line;
        int count = 0;
        for (std::string pattern; words >> pattern; ++count) {
            if (pattern.find_first_of(".*") == std::string::npos) {
                pattern += ".0";
            }
            targets.push_back({keyword == "routeFile", link, pattern});
        }
        EXPECT_GT(count, 0) << line;
    }
    return targets;
}

const Target* lookup(const std::vector<Target>& targets, bool file, const std::string& text) {
    for (const Target& target : targets) {
        if (target.file == file && globMatch(target.pattern, text)) {
            return &target;
        }
    }
    return nullptr;
}

// ---- the comparison ----

std::string linkText(FtnAddress a) {
    return std::to_string(a.zone) + ":" + std::to_string(a.net) + "/" + std::to_string(a.node);
}

FtnAddress cover(FtnAddress a, int k) {
    return {(k & 4) ? Wildcard : a.zone, (k & 2) ? Wildcard : a.net, (k & 1) ? Wildcard : a.node};
}

// Checks every item address (a wildcard part as 65001) and the samples; gives
// how many were compared. An address that a wildcard entry named twice (two
// entries normalised to one) decides is left out: hpt takes the first line,
// the model the first entry. So is a link with wildcard parts, which names
// no system hpt knows.
int expectReadAsModel(const RoutingState& state, const std::string& table,
                      std::vector<FtnAddress> addresses) {
    const std::vector<Target> targets = readRoutes(table);
    std::map<FtnAddress, int> entries;
    for (const RouteItem& item : state.items) {
        ++entries[item.address];
        FtnAddress a = item.address;
        for (std::uint16_t* part : {&a.zone, &a.net, &a.node}) {
            *part = *part == Wildcard ? 65001 : *part;
        }
        addresses.push_back(a);
    }
    int compared = 0;
    for (FtnAddress a : addresses) {
        bool twinned = false, covered = false;
        for (int k = 0; k < 8; ++k) {
            twinned = twinned || (k != 0 && entries[cover(a, k)] > 1);
            covered = covered || entries[cover(a, k)] > 0;
        }
        const std::optional<FtnAddress> model = routedVia(state, a);
        if (twinned || isOwnAddress(state, a) || (model && hasWildcard(*model))) {
            continue;
        }
        ++compared;
        const std::string text = linkText(a) + (compared % 3 == 0 ? ".7" : ".0");
        SCOPED_TRACE(text);
        const Target* mail = lookup(targets, false, text);
        const Target* file = lookup(targets, true, text);
        bool fileLink = false;
        for (const LinkEntry& link : state.links) {
            fileLink =
                fileLink || (model && link.address == *model && (link.flavour & FlavourFile));
        }
        if (model) {
            EXPECT_EQ(mail ? mail->link : "no line", linkText(*model));
        } else if (!covered && !isLinkAddress(state, a)) {
            EXPECT_EQ(mail, nullptr);
        } else if (mail != nullptr) {
            EXPECT_NE(mail->pattern, linkText(a) + ".*"); // a broader line may catch it
        }
        if (fileLink) {
            EXPECT_EQ(file ? file->link : "no line", linkText(*model));
        }
    }
    return compared;
}

std::string hptTable(const RoutingState& state) {
    std::ostringstream out;
    LineWriter writer(state, out, false, 0);
    findRouteType("hpt")->write(writer);
    writeUnrouted(writer);
    return out.str();
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
                         dir.file("config") +
                         "\nRouteBegin \"# begin\"\nRouteEnd \"# end\"\n"
                         "Link 2:5020/146 d\nLink 2:5020/70 cf\nLink 2:2432/0 h\n"
                         "RouteFile " +
                         dir.file("routes.txt") + "\n";
    // Every net of zone 2.
    std::istringstream lines(testing_support::readFile(nodelist));
    bool zoneTwo = false;
    for (std::string line; std::getline(lines, line);) {
        zoneTwo = line.starts_with("Zone,") ? line.starts_with("Zone,2,") : zoneTwo;
        if (zoneTwo && line.starts_with("Host,")) {
            config += "Spokeway " + nodelist.string() + " z 2 " +
                      line.substr(5, line.find(',', 5) - 5) + "\n";
        }
    }
    dir.write("pathgen.cfg", config + "DefaultRoute 2:5020/146 World\n");
    dir.write("routes.txt", "2:5020/70 2:5030/* 2:5020/* 2:5020/1000\n"
                            "2:2432/0 2:2432/* 2:2433/* 2:240/* 3:*/*\n");
    dir.write("config", "Link a\nAka 2:5020/146\n# begin\n# end\n");

    testing_support::ConfigRun run(dir.file("pathgen.cfg"));
    run.captured.state.provenance.startRecording();
    ASSERT_TRUE(readConfig(run.context)) << run.captured.shown();
    const RoutingState& state = run.captured.state;
    ASSERT_GT(state.items.size(), 10000u);
    std::vector<FtnAddress> samples;
    for (std::uint16_t n = 1; n < 400; n += 7) {
        samples.push_back({2, 5020, static_cast<std::uint16_t>(n + 3000)});
        samples.push_back({2, static_cast<std::uint16_t>(n * 13), 1});
        samples.push_back({static_cast<std::uint16_t>(n % 7 + 1), n, n});
    }
    EXPECT_GT(expectReadAsModel(state, hptTable(state), samples), 10000);
}

TEST(HptReader, RandomTablesAreRoutedAsTheModelRoutesThem) {
    random_tables::RandomWorld world(20261208);
    int compared = 0;
    for (int round = 0; round < 400; ++round) {
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
        compared += expectReadAsModel(run.state, hptTable(run.state), samples);
        if (HasFatalFailure()) {
            return;
        }
    }
    EXPECT_GT(compared, 3000);
}
