// The mail programs' reading of the new table set against the routing: the
// smallest configurations where they part, hand-made tables read by each
// model, the real zone 2, and random tables.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "driver/explain.hpp"
#include "model/adjust.hpp"
#include "model/minimize.hpp"
#include "model/random_tables.hpp"
#include "readers/compare.hpp"
#include "test_support.hpp"
#include "writers/route_types.hpp"
#include "writers/writers.hpp"

using namespace testing_support;
using namespace random_tables;
namespace fs = std::filesystem;

namespace {

// The lines of a --check with `links` and `more` after the settings (main
// address 2:460/10, Minimize no, destination "c begin" / "c end") that are
// warnings.
std::vector<std::string> checkWarnings(const std::string& type, char c, const std::string& links,
                                       const std::string& more, std::string* explained = nullptr,
                                       const std::string& explain = {}) {
    ScratchDir dir;
    dir.write(
        "pathgen.cfg",
        ConfigText{.routeType = type, .markers = markerLines(c), .links = links, .more = more});
    dir.write("route.cfg", std::string(1, c) + " begin\n" + std::string(1, c) + " end\n");
    const RunResult result = runInProcess(dir.path(), {"--check"});
    std::vector<std::string> warnings;
    std::istringstream lines(result.console);
    for (std::string line; std::getline(lines, line);) {
        if (line.find(": warning: ") != std::string::npos) {
            warnings.push_back(line);
        }
    }
    if (explained != nullptr) {
        *explained = runBinary(dir.path(), {"--explain", explain}).standardOutput;
    }
    return warnings;
}

const std::string Loop = "a route loop at 2:461/5, which has no route because of it";

} // namespace

// Main address 2:460/10, one line of header before the table (the begin
// marker): a table line N is line N + 1 of route.cfg. The table of these
// setups: 1-3 header, 4 "Direct links", 5 ";", then the send lines, ";",
// "Route", ";", the pass comments and the route lines of each pass.
TEST(ReaderModels, SmallestConfigurationsWhereTheProgramSendsElsewhere) {
    const struct {
        const char* what;
        const char* type = "squish";
        char comment = ';';
        std::string links;
        std::string more;
        std::vector<std::string> warnings;
    } cases[] = {
        {.what = "a loop leaves net 2:461 unrouted, the World line catches it",
         .links = "Link 2:460/1 c\n",
         .more = "DefaultRoute 2:460/1 World\nDefaultRoute 2:461/5 2:461/*\n",
         .warnings = {"route.cfg:15: warning: mail for 2:461/5, 2:461/32123: the routing leaves "
                      "it unrouted: " +
                      Loop + "; Squish sends it via 2:460/1, crash, archived"}},
        {.what = "the same in FIDOGATE's table",
         .type = "fidogate",
         .comment = '#',
         .links = "Link 2:460/1 c\n",
         .more = "DefaultRoute 2:460/1 World\nDefaultRoute 2:461/5 2:461/*\n",
         .warnings = {"route.cfg:15: warning: mail for 2:461/5, 2:461/32123: the routing leaves "
                      "it unrouted: " +
                      Loop + "; FIDOGATE sends it via 2:460/1, crash"}},
        {.what = "a broken loop, the net line catches both",
         .links = "Link 2:460/1 c\n",
         .more = "DefaultRoute 2:460/1 2:461/*\nDefaultRoute 2:461/5 2:461/6\n"
                 "DefaultRoute 2:461/6 2:461/5\n",
         .warnings = {"route.cfg:13: warning: mail for 2:461/5, 2:461/6: the routing leaves it "
                      "unrouted: " +
                      Loop + "; Squish sends it via 2:460/1, crash, archived"}},
        {.what = "a dead via node",
         .links = "Link 2:460/1 c\n",
         .more = "DefaultRoute 2:460/1 2:461/*\nDefaultRoute 2:460/5 2:461/3\n",
         .warnings = {"route.cfg:13: warning: mail for 2:461/3: the routing leaves it unrouted: "
                      "a dead end at 2:460/5, which has no route; Squish sends it via 2:460/1, "
                      "crash, archived"}},
        {.what = "a dead via wildcard",
         .links = "Link 2:460/1 c\n",
         .more = "DefaultRoute 2:460/1 2:462/*\nDefaultRoute 2:461/* 2:462/3\n",
         .warnings = {"route.cfg:13: warning: mail for 2:462/3: the routing leaves it unrouted: "
                      "a dead end at 2:461/All, which has no route; Squish sends it via 2:460/1, "
                      "crash, archived"}},
        {.what = "a wildcard entry routed via us becomes a wildcard link",
         .links = "Link 2:460/1 c\n",
         .more = "DefaultRoute 2:460/10 2:461/*\nDefaultRoute 2:461/5 2:462/3\n",
         // The own address as via node is a slip of its own too.
         .warnings =
             {"pathgen.cfg:8: warning: the via node 2:460/10 is an own address: what the line "
              "routes becomes links of the default flavour (a link is a Link line; "
              "\"> own-address node ...\" routes via a node reached directly)",
              "route.cfg:13: warning: mail for 2:461/5, 2:461/32123: the routing leaves "
              "it unrouted: its route leads via us (an own address); Squish sends it "
              "straight to the address itself, hold, archived"}},
        {.what = "Send Normal NoArc leaves the link's packet to the World line",
         .links = "Link 2:460/1 na\nLink 2:460/2 c\n",
         .more = "DefaultRoute 2:460/1 2:461/5\nDefaultRoute 2:460/2 World\n",
         .warnings = {"route.cfg:17: warning: mail for 2:460/1: the routing sends it via "
                      "2:460/1, normal, unarchived; Squish sends it via 2:460/2, crash, "
                      "archived"}},
        {.what = "a link with a wildcard: Send Crash All/5",
         .links = "Link 2:460/1 c\nLink 2:*/5 c\n",
         .more = "DefaultRoute 2:460/1 World\n",
         .warnings = {"route.cfg:13: warning: mail for 2:32123/5: the routing sends it via "
                      "2:460/1, crash, archived; Squish sends it straight to the address itself, "
                      "crash, archived"}},
        {.what = "one link on two lines: Send Crash comes before Send Hold",
         .links = "Link 2:460/1 h\nLink 2:460/1 c\n",
         .more = "DefaultRoute 2:460/1 World\n",
         .warnings = {"route.cfg:7: warning: mail for 2:460/1: the routing sends it via "
                      "2:460/1, hold, archived; Squish sends it straight to the address itself, "
                      "crash, archived"}},
        {.what = "two entries that become the world: the table's first World line wins",
         .links = "Link 2:460/1 c\nLink 2:460/2 h\n",
         .more = "DefaultRoute 2:460/2 *:*/5\nDefaultRoute 2:460/1 World\n",
         .warnings = {"route.cfg:16: warning: mail for 2:460/32123, 2:32123/32123, "
                      "32123:32123/32123: the routing sends it via 2:460/2, hold, archived; "
                      "Squish sends it via 2:460/1, crash, archived"}},
        {.what = "FIDOGATE cannot say file",
         .type = "fidogate",
         .comment = '#',
         .links = "Link 2:460/1 cf\n",
         .more = "DefaultRoute 2:460/1 World\n",
         .warnings = {"pathgen.cfg:7: warning: link 2:460/1 has the letter f (file), which the "
                      "fidogate table cannot say: lost for 1 address routed via it"}},
        // hpt's table: 1-3 header, 4 "# *** Nodes", then the link masks and
        // node lines, "# *** Nets", net lines, "# *** Zones", zone lines,
        // "# *** Default", world lines.
        {.what = "hpt: the loop's net, caught by the world line",
         .type = "hpt",
         .comment = '#',
         .links = "Link 2:460/1 c\n",
         .more = "DefaultRoute 2:460/1 World\nDefaultRoute 2:461/5 2:461/*\n",
         .warnings = {"route.cfg:10: warning: mail for 2:461/5, 2:461/32123: the routing leaves "
                      "it unrouted: " +
                      Loop + "; hpt sends it via 2:460/1, crash"}},
        {.what = "hpt: a dead via node, caught by the net line",
         .type = "hpt",
         .comment = '#',
         .links = "Link 2:460/1 c\n",
         .more = "DefaultRoute 2:460/1 2:461/*\nDefaultRoute 2:460/5 2:461/3\n",
         .warnings = {"route.cfg:8: warning: mail for 2:461/3: the routing leaves it unrouted: "
                      "a dead end at 2:460/5, which has no route; hpt sends it via 2:460/1, "
                      "crash"}},
        {.what = "hpt: a wildcard link gets no line, its nodes stay unsent as routed",
         .type = "hpt",
         .comment = '#',
         .links = "Link 2:460/1 c\n",
         .more = "DefaultRoute 2:460/10 2:461/*\nDefaultRoute 2:461/5 2:462/3\n",
         .warnings =
             {"pathgen.cfg:8: warning: the via node 2:460/10 is an own address: what the line "
              "routes becomes links of the default flavour (a link is a Link line; "
              "\"> own-address node ...\" routes via a node reached directly)"}},
        {.what = "hpt: one link on two lines, the first line's flavour decides as routed",
         .type = "hpt",
         .comment = '#',
         .links = "Link 2:460/1 h\nLink 2:460/1 c\n",
         .more = "DefaultRoute 2:460/1 World\n",
         .warnings = {}},
        {.what = "hpt: two entries that become the world, the first world line wins",
         .type = "hpt",
         .comment = '#',
         .links = "Link 2:460/1 c\nLink 2:460/2 h\n",
         .more = "DefaultRoute 2:460/2 *:*/5\nDefaultRoute 2:460/1 World\n",
         .warnings = {"route.cfg:11: warning: mail for 2:460/32123, 2:32123/32123, "
                      "32123:32123/32123: the routing sends it via 2:460/2, hold; hpt sends it "
                      "via 2:460/1, crash"}},
        {.what = "hpt cannot say noarc",
         .type = "hpt",
         .comment = '#',
         .links = "Link 2:460/1 na\nLink 2:460/2 c\n",
         .more = "DefaultRoute 2:460/1 2:461/5\nDefaultRoute 2:460/2 World\n",
         .warnings = {"pathgen.cfg:7: warning: link 2:460/1 has the letter a (noarc), which the "
                      "hpt table cannot say: lost for 2 addresses routed via it"}},
        {.what = "a sound table",
         .links = "Link 2:460/1 c\n",
         .more = "DefaultRoute 2:460/1 World\n",
         .warnings = {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(checkWarnings(c.type, c.comment, c.links, c.more), c.warnings);
    }
}

TEST(ReaderModels, CheckShowsMessage14AndExplainTheProgramsReading) {
    std::string explained;
    checkWarnings("squish", ';', "Link 2:460/1 c\n",
                  "DefaultRoute 2:460/1 World\nDefaultRoute 2:461/5 2:461/*\n", &explained,
                  "2:461/5");
    EXPECT_NE(explained.find("\nthe mail program reads line 14 of the table and sends it via "
                             "2:460/1, crash, archived (the routing leaves it unrouted: " +
                             Loop + ")\nnot routed\n"),
              std::string::npos)
        << explained;

    ScratchDir dir;
    dir.write("pathgen.cfg",
              ConfigText{.links = "Link 2:460/1 c\n", .more = "DefaultRoute 2:460/10 2:461/*\n"});
    dir.write("route.cfg", "; begin\n; end\n");
    EXPECT_NE(runInProcess(dir.path(), {"--check"})
                  .console.find("pathgen.cfg:8: note: 2:461/All is routed via us, but missing in "
                                "\"Link\" definitions. 'DefaultFlavor' assumed.\n"),
              std::string::npos);
}

// Each model on a file written by hand: what decides, line by line.
TEST(ReaderModels, EachProgramReadsAHandMadeFile) {
    const FtnAddress main{2, 460, 10};
    const std::string squish = "Route Crash 2:460/1 462/All ; 463/All\n"        // 1: ';' comments
                               "Send Hold 461/7 8 % 9\n"                        // 2: '%' too
                               "Send Normal NoArc 2:460/2\n"                    // 3: moves nothing
                               "Route Direct NoArc 2:460/3 2:460/2 5:All/All\n" // 4
                               "Route Hold 2:460/4 " +
                               std::string(240, ' ') + "2:470/1\n";                     // 5
    const std::string fidogate = "; a comment for Squish, an unknown command here\n"    // 1
                                 "route crash file noarc 2:460/1 2:462/* 5 3:All/All\n" // 2
                                 "send hold 2:461/7 # not a comment\n"                  // 3
                                 "   # route hold 2:460/9 World\n"                      // 4
                                 "route normal 2:460/2 World\n";                        // 5
    const std::string hpt = "# routing\n"                                               // 1
                            "routeFile crash 2:460/1 *\n"                        // 2: files only
                            "routeMail hold 2:460/1 2:462/5 2:462/* # c\n"       // 3
                            "route c crash 2:460/2 2:461/* normal 2:463/* \\\n"  // 4
                            "  2:464/*\n"                                        // 5 (continued)
                            "ROUTEMAIL direct 2:460/3 2:46#/7 466/8 World 3:*\n" // 6
                            "routeMail 2:460/4 2:470/* 2:471/*\n";               // 7
    const struct {
        std::unique_ptr<TableModel> (*read)(std::string_view, FtnAddress);
        const std::string& file;
        FtnAddress address;
        Delivery expected;
    } cases[] = {
        {readSquishFile, squish, {2, 462, 5}, {true, {2, 460, 1}, MailFlavour::Crash, true, 1}},
        {readSquishFile, squish, {2, 463, 5}, {true, {2, 463, 5}, MailFlavour::Normal, false, 0}},
        {readSquishFile, squish, {2, 461, 8}, {true, {2, 461, 8}, MailFlavour::Hold, true, 2}},
        {readSquishFile, squish, {2, 461, 9}, {true, {2, 461, 9}, MailFlavour::Normal, false, 0}},
        {readSquishFile, squish, {2, 460, 2}, {true, {2, 460, 3}, MailFlavour::Direct, false, 4}},
        {readSquishFile, squish, {5, 1, 1}, {true, {2, 460, 3}, MailFlavour::Direct, false, 4}},
        // Cut at 255 characters: 2:470/1 is read as a line of its own, no command.
        {readSquishFile, squish, {2, 470, 1}, {true, {2, 470, 1}, MailFlavour::Normal, false, 0}},
        {readFidogateFile,
         fidogate,
         {2, 462, 5},
         {true, {2, 460, 1}, MailFlavour::Crash, false, 2}},
        {readFidogateFile, fidogate, {3, 1, 1}, {true, {2, 460, 1}, MailFlavour::Crash, false, 2}},
        {readFidogateFile, fidogate, {2, 461, 7}, {true, {2, 461, 7}, MailFlavour::Hold, false, 3}},
        {readFidogateFile,
         fidogate,
         {2, 460, 9},
         {true, {2, 460, 2}, MailFlavour::Normal, false, 5}},
        {readHptFile, hpt, {2, 462, 5}, {true, {2, 460, 1}, MailFlavour::Hold, false, 3}},
        {readHptFile, hpt, {2, 461, 1}, {true, {2, 460, 2}, MailFlavour::Crash, false, 4}},
        {readHptFile, hpt, {2, 463, 1}, {true, {2, 460, 2}, MailFlavour::Normal, false, 4}},
        {readHptFile, hpt, {2, 464, 1}, {true, {2, 460, 2}, MailFlavour::Normal, false, 4}},
        {readHptFile, hpt, {2, 465, 7}, {true, {2, 460, 3}, MailFlavour::Direct, false, 6}},
        {readHptFile, hpt, {3, 1, 1}, {true, {2, 460, 3}, MailFlavour::Direct, false, 6}},
        // Abbreviations and World match nothing; without a flavour word the
        // last target gets the link's own flavour.
        {readHptFile, hpt, {2, 466, 8}, {}},
        {readHptFile, hpt, {2, 460, 9}, {}},
        {readHptFile, hpt, {2, 470, 1}, {true, {2, 460, 4}, MailFlavour::Normal, false, 7}},
        {readHptFile, hpt, {2, 471, 1}, {true, {2, 460, 4}, MailFlavour::LinkOwn, false, 7}},
        // A ';' line, or a line continued past the end, refuses it all.
        {readHptFile,
         hpt + "; begin\n",
         {2, 462, 5},
         {false, {}, MailFlavour::Normal, false, 8, true}},
        {readHptFile,
         hpt + "# end \\\n",
         {2, 462, 5},
         {false, {}, MailFlavour::Normal, false, 8, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file + " for " + addressText(c.address));
        const Delivery d = c.read(c.file, main)->deliver(c.address);
        EXPECT_EQ(std::tie(d.sent, d.to, d.flavour, d.archived, d.line, d.refused),
                  std::tie(c.expected.sent, c.expected.to, c.expected.flavour, c.expected.archived,
                           c.expected.line, c.expected.refused));
    }
}

// The whole zone 2 of the 1996 world nodelist, one Spokeway line per net:
// no program sends any address elsewhere than the routing.
TEST(ReaderModels, RealZoneTwoGivesNoRoutingWarning) {
    const fs::path world =
        fs::path(SPOKEWAY_SHARED_DATA_DIR) / "nodelists" / "fidonet-nodepatch" / "nodelist.362";
    if (!fs::exists(world)) {
        GTEST_SKIP() << "real nodelists not found at " << world;
    }
    std::string nets;
    // hpt needs a Link block for each link: the two, and every node of our
    // own net (those routed via us become links).
    std::string linkBlocks = "Link a\nAka 2:5020/146\nLink b\nAka 2:5020/70\n";
    std::istringstream lines(readFile(world));
    bool zoneTwo = false;
    bool ownNet = false;
    for (std::string line; std::getline(lines, line);) {
        const std::size_t comma = line.find(',') + 1;
        const std::string number = line.substr(comma, line.find(',', comma) - comma);
        if (line.starts_with("Zone,") || line.starts_with("Region,") || line.starts_with("Host,")) {
            zoneTwo = line.starts_with("Zone,") ? number == "2" : zoneTwo;
            ownNet = zoneTwo && line.starts_with("Host,") && number == "5020";
            if (zoneTwo && line.starts_with("Host,")) {
                nets += "Spokeway nodelist.362 z 2 " + number + "\n";
            }
        } else if (ownNet && !line.starts_with(";")) {
            linkBlocks += "Link n" + number + "\nAka 2:5020/" + number + "\n";
        }
    }
    for (const auto& [type, c] :
         {std::pair{"squish", ';'}, std::pair{"fidogate", '#'}, std::pair{"hpt", '#'}}) {
        SCOPED_TRACE(type);
        ScratchDir dir;
        fs::copy_file(world, dir.path() / "nodelist.362");
        dir.write("pathgen.cfg", ConfigText{.main = "2:5020/52",
                                            .routeType = type,
                                            .minimize = "yes",
                                            .markers = markerLines(c),
                                            .links = "Link 2:5020/146 d\nLink 2:5020/70 c\n",
                                            .more = nets + "DefaultRoute 2:5020/146 World\n"});
        dir.write("route.cfg", (type == std::string("hpt") ? linkBlocks : "") + std::string(1, c) +
                                   " begin\n" + std::string(1, c) + " end\n");
        const ProcessResult result = runBinary(dir.path(), {"--check"});
        EXPECT_EQ(result.exitCode, 0) << result.standardError.substr(0, 2000);
        EXPECT_EQ(result.standardError.find(": warning: "), std::string::npos);
    }
}

// Random tables in the three syntaxes: the routing's answer for every address
// compared is the link --explain names, and the warnings name every address
// where the program's reading differs, each once.
TEST(ReaderModels, RandomTablesWarnForEveryAddressWhereTheProgramDiffers) {
    RandomWorld world(20261208);
    for (int round = 0; round < 1500; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const Tables t = world.tables();
        const char* type = std::array{"squish", "fidogate", "hpt"}[round % 3];
        RoutingState state;
        state.akas = t.akas;
        state.links = t.links;
        state.items = t.items;
        state.settings.defaultFlavour = t.defaultFlavour;
        state.settings.minimize = t.minimizeMode;
        state.settings.routeType =
            static_cast<std::uint16_t>(findRouteType(type) - RouteTypes.data() + 1);
        state.provenance.startRecording();
        std::ostringstream console;
        Console messages(console);
        adjustRouting(state, messages);
        minimizeRoutes(state, messages);
        std::ostringstream table;
        LineWriter writer(state, table, false, 0);
        findRouteType(type)->write(writer);
        writeUnrouted(writer);
        const ReaderModel& model = *readerFor(type);
        const std::string c(1, findRouteType(type)->commentChar);
        const auto reading =
            model.read(c + " begin\n" + table.str() + c + " end\n", state.mainAddress());

        for (const Probe& probe : probesOf(state, *reading)) {
            const RoutingAnswer answer = routingOf(state, probe.address);
            const std::optional<FtnAddress> via = routedVia(state, probe.address);
            const bool routed = via && !hasWildcard(*via);
            ASSERT_EQ(answer.kind == RoutingAnswer::Kind::Routed, routed)
                << addressText(probe.address);
            if (routed) {
                ASSERT_EQ(answer.via, *via) << addressText(probe.address);
            }
        }
        std::multiset<std::string> differing;
        for (const Probe& probe : probesOf(state, *reading)) {
            if (!agrees(model, routingOf(state, probe.address), reading->deliver(probe.address))) {
                differing.insert(addressText(probe.address).substr(1));
            }
        }
        std::multiset<std::string> warned;
        for (const DifferenceGroup& group :
             groupDifferences(differences(state, model, *reading), model, ~std::size_t{0})) {
            const std::string& names = group.addresses;
            std::size_t at = 0;
            for (std::size_t comma; (comma = names.find(", ", at)) != std::string::npos;
                 at = comma + 2) {
                warned.insert(names.substr(at, comma - at));
            }
            warned.insert(names.substr(at));
        }
        ASSERT_EQ(warned, differing);
    }
}
