// --explain and --graph: where an address's mail goes and why, and the
// routing as a graph; plus the provenance texts a check prints.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "examples/example_runs.hpp"
#include "model/adjust.hpp"
#include "model/provenance_text.hpp"
#include "sources/sources.hpp"
#include "test_support.hpp"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

// Links 2:460/1, 2:461/7 and 2:5020/52; a route file, a trust file, a net
// from a nodelist and a default route for zone 2 only.
const ConfigText Config{
    .minimize = "yes",
    .links = "Link 2:460/1 c\nLink 2:461/7 h\nLink 2:5020/52 d\n",
    .more = "RouteFile routes.txt\nTrustFile trust.txt\nSpokeway nodes.lst z 2 463\n"
            "DefaultRoute 2:460/1 2:*/*\n"};
const char* const Routes = "2:5020/52 2:5020/* 5 2:5030/7 2:460/30\n"
                           "2:460/30 31\n"
                           "2:461/7 2:462/8 2:463/100\n"
                           "3:100/1 3:100/2\n";
const char* const Trust = "2:462/8 2:460/1 2:5020/52 2:999/1\n";
const char* const Nodes = "Zone,2,Z\nHost,463,N\n,1,A\nHub,100,H\n,101,B\n";

std::string lastLine(const std::string& text) {
    std::string trimmed = text.substr(0, text.size() - (text.ends_with('\n') ? 1 : 0));
    return trimmed.substr(trimmed.rfind('\n') + 1);
}

struct Explained : ::testing::Test {
    ScratchDir dir;
    void SetUp() override {
        dir.write("pathgen.cfg", Config);
        dir.write("route.cfg", "; begin\n; end\n");
        dir.write("routes.txt", Routes);
        dir.write("trust.txt", Trust);
        dir.write("nodes.lst", Nodes);
    }
};

} // namespace

TEST_F(Explained, LastLineNamesTheLinkMailIsHandedTo) {
    const struct {
        const char* address;
        const char* last;
    } cases[] = {
        {"2:5030/7", "routed via 2:5020/52"},  // a route file line
        {"2:462/8", "routed via 2:5020/52"},   // the trust file's last link beats the route file
        {"463/101", "routed via 2:461/7"},     // under a nodelist hub a route line routes
        {"2:463/1", "routed via 2:460/1"},     // under the host, which gets the default route
        {"2:460/31", "routed via 2:5020/52"},  // a chain: via 2:460/30, which goes via the link
        {"2:9999/9", "routed via 2:460/1"},    // no entry: the default route 2:*/* covers it
        {"2:5020/5", "routed via 2:5020/52"},  // minimised: 2:5020/* sends it the same way
        {"2:5020/99", "routed via 2:5020/52"}, // no entry: the net's wildcard entry covers it
        {"2:461/7", "routed via 2:461/7"},     // a link itself
        {"2:460/10.3@fidonet", "not routed"},  // an own address
        {"3:100/1", "not routed"},             // in the unrouted report
        {"3:100/2", "not routed"},             // routed via an unrouted node
        {"3:1/1", "not routed"},               // no entry covers it
    };
    const auto before = folderContents(dir.path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        ProcessResult result = runBinary(dir.path(), {"--explain", c.address});
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(lastLine(result.standardOutput), c.last) << result.standardOutput;
        EXPECT_EQ(folderContents(dir.path()), before); // nothing written, locked or left behind
    }
}

TEST_F(Explained, NamesEveryRuleWithItsLineAndTheTableLines) {
    ProcessResult result = runBinary(dir.path(), {"--explain=462/8"});
    EXPECT_EQ(result.standardOutput,
              "routes.txt:3: routes 2:462/8 via 2:461/7\n"
              "trust.txt:1: routes 2:462/8 via 2:460/1 instead of via 2:461/7 (routes.txt:3)\n"
              "trust.txt:1: routes 2:462/8 via 2:5020/52 instead of via 2:460/1 (trust.txt:1)\n"
              "table: Route Direct            2:5020/52  5030/7 460/30 31 462/8\n"
              "routed via 2:5020/52\n");
    result = runBinary(dir.path(), {"--explain", "2:463/1"});
    EXPECT_NE(result.standardOutput.find("nodes.lst:2: routes 2:463/1 via 2:463/0\n"),
              std::string::npos)
        << result.standardOutput;
}

TEST_F(Explained, ABadAddressIsNamedAndNothingIsRead) {
    for (const char* bad : {"2:46x/1", "", "2:460/70000", "2:/1", "hub"}) {
        SCOPED_TRACE(bad);
        ProcessResult result = runBinary(dir.path(), {"--explain", bad});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.standardOutput, "");
        EXPECT_NE(result.standardError.find("needs a valid value"), std::string::npos);
        EXPECT_EQ(result.standardError.find("Scanning"), std::string::npos);
        if (*bad != '\0') {
            EXPECT_NE(result.standardError.find(bad), std::string::npos);
        }
    }
}

// Graphviz renders the graph of every example; without dot the test skips,
// except under CI.
TEST(Graph, DotAcceptsTheGraphOfEveryExample) {
    if (runCommand("command -v dot").exitCode != 0) {
        if (std::getenv("CI") != nullptr) {
            FAIL() << "dot (graphviz) is needed under CI";
        }
        GTEST_SKIP() << "dot (graphviz) is not installed";
    }
    for (const std::string& name : exampleNames()) {
        SCOPED_TRACE(name);
        ScratchDir work;
        fs::copy(fs::path(SPOKEWAY_SOURCE_DIR) / "examples" / name, work.path(),
                 fs::copy_options::recursive);
        ProcessResult result = runBinary(work.path(), {"--graph"});
        ASSERT_EQ(result.exitCode, 0);
        work.write("graph.dot", result.standardOutput);
        CommandResult dot = runCommand("dot -Tsvg " + shellQuote(work.file("graph.dot")) + " -o " +
                                       shellQuote(work.file("graph.svg")));
        EXPECT_EQ(dot.exitCode, 0) << dot.output;
        EXPECT_NE(work.read("graph.svg").find("<svg"), std::string::npos);
    }
}

TEST(ProvenanceText, ReroutingAndLoopNameTheirRules) {
    CapturedState c;
    c.state.akas.push_back({2, 460, 10});
    Provenance& provenance = c.state.provenance;
    provenance.startRecording();
    auto apply = [&](const char* file, std::uint32_t line, const char* text) {
        provenance.setCurrent(Origin{provenance.fileNumber(file), line});
        readRouteLine(c.state, c.messages, text);
    };
    apply("a.txt", 3, "2:460/1 5");
    apply("b.txt", 7, "2:461/7 2:460/5");
    apply("c.txt", 1, "2:470/1 2:470/2");
    apply("c.txt", 2, "2:470/2 2:470/1");
    adjustRouting(c.state, c.messages);

    std::vector<std::string> texts;
    for (std::size_t k = 0; k < provenance.events().size(); ++k) {
        const RouteEventKind kind = provenance.events()[k].kind;
        if (kind == RouteEventKind::Rerouted) {
            texts.push_back(provenance.originText(provenance.events()[k].origin) + ": " +
                            describeRerouting(c.state, k));
        } else if (kind == RouteEventKind::LoopBroken) {
            texts.push_back(describeLoop(c.state, k));
        }
    }
    EXPECT_EQ(texts,
              (std::vector<std::string>{
                  "b.txt:7: re-routing for 2:460/5: via 2:460/1 (a.txt:3) replaced by via "
                  "2:461/7 (b.txt:7)",
                  "route loop for 2:470/1: 2:470/1 via 2:470/2 (c.txt:2), 2:470/2 via 2:470/1 "
                  "(c.txt:1); 2:470/1 lost its route"}));
}
