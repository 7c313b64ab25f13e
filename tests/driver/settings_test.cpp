// The keywords that set own addresses, links and settings, one handler at a
// time, as the configuration reader calls them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "model_support.hpp"
#include "test_support.hpp"
#include "writers/route_types.hpp"

using namespace testing_support;

namespace {

const KeywordEntry& row(const char* name) {
    for (const KeywordEntry& entry : KeywordTable) {
        if (std::strcmp(entry.name, name) == 0) {
            return entry;
        }
    }
    throw std::runtime_error(std::string("no keyword ") + name);
}

// Calls the keyword's handler with the rest of a line standing on line 4 of
// "pathgen.cfg".
struct SettingsFixture : ::testing::Test {
    ConfigRun run;
    CapturedState& captured = run.captured;
    RoutingState& state = captured.state;
    Settings& settings = state.settings;

    void SetUp() override { run.context.line = 4; }
    bool handle(const char* keyword, std::string_view rest) {
        const KeywordEntry& entry = row(keyword);
        run.context.notation.main = state.mainAddress();
        return entry.handler(run.context, rest, entry.target);
    }
    // The name of the route type set, or "" for none.
    std::string routeType() const {
        return settings.routeType == 0 ? "" : RouteTypes[settings.routeType - 1].name;
    }
    std::string console() { return captured.shown(); }
};

} // namespace

using RouteTypeKeyword = SettingsFixture;
using MinimizeKeyword = SettingsFixture;
using LinkKeyword = SettingsFixture;
using QuotedTextKeyword = SettingsFixture;
using DefaultFlavorKeyword = SettingsFixture;
using AddressKeyword = SettingsFixture;

TEST_F(RouteTypeKeyword, NameIsMatchedOverItsOwnLengthWithoutCase) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"squish\n", "squish"},
        {"SQUISH\n", "squish"},
        {"squish2\n", "squish"},
        {"squish ; old\n", "squish"},
        {"itrack\n", "itrack"},
        {"tmail\n", "tmail"},
        {"TMAILN\n", "tmailn"},
        {"tmailn2\n", "tmailn"},
        {"bpack\n", "bpack"},
        {"imbink\n", "imbink"},
        {"xmail\n", "xmail"},
        {"ifmail\n", "ifmail"},
        {"bip\n", "bip"},
        {"unimail\n", "unimail"},
        {"QEcho\n", "qecho"},
        {"fidogate\n", "fidogate"},
        {"fidogate-1\n", "fidogate"},
        {"ftrack", "ftrack"},
        {"bipper\n", "bip"},
        {"Squish\r\n", "squish"},
    };
    for (const auto& [argument, name] : cases) {
        SCOPED_TRACE(argument);
        settings.routeType = 0;
        EXPECT_TRUE(handle("RouteType", argument));
        EXPECT_EQ(routeType(), name);
    }
    EXPECT_EQ(console(), "");
}

TEST_F(RouteTypeKeyword, ALaterLineOverridesTheType) {
    EXPECT_TRUE(handle("RouteType", "TMAILN\n"));
    EXPECT_TRUE(handle("RouteType", "tmail\n"));
    EXPECT_EQ(routeType(), "tmail");
    EXPECT_TRUE(handle("RouteType", "ftrack\n"));
    EXPECT_EQ(routeType(), "ftrack");
}

TEST_F(RouteTypeKeyword, UnknownNameFailsAndKeepsTheType) {
    EXPECT_TRUE(handle("RouteType", "itrack\n"));
    EXPECT_FALSE(handle("RouteType", "fido\n"));
    EXPECT_EQ(routeType(), "itrack");
    run.context.line = 12;
    EXPECT_FALSE(handle("RouteType", "squis\n"));
    EXPECT_FALSE(handle("RouteType", ""));
    EXPECT_EQ(routeType(), "itrack");
    EXPECT_EQ(console(), "\npathgen.cfg 4: \nUnsupported route type."
                         "\npathgen.cfg 12: \nUnsupported route type."
                         "\npathgen.cfg 12: \nUnsupported route type.");
}

TEST_F(MinimizeKeyword, WordsMatchedOverTheirOwnLength) {
    constexpr MinimizeMode Yes = MinimizeMode::Yes;
    constexpr MinimizeMode No = MinimizeMode::No;
    const std::vector<std::pair<std::string, MinimizeMode>> cases = {
        {"yes\n", Yes}, {"Yes\n", Yes}, {"on\n", Yes},   {"ONLY\n", Yes},    {"no\n", No},
        {"none", No},   {"off\n", No},  {"OFF ; x", No}, {"yesterday", Yes},
    };
    for (const auto& [argument, mode] : cases) {
        SCOPED_TRACE(argument);
        settings.minimize = MinimizeMode::NotGiven;
        EXPECT_TRUE(handle("Minimize", argument));
        EXPECT_EQ(settings.minimize, mode);
    }
    EXPECT_EQ(console(), "");
}

TEST_F(MinimizeKeyword, AnythingElseFailsWithTheMinimizedMessage) {
    for (const char* argument : {"o\n", "y\n", "true\n", "\n"}) {
        SCOPED_TRACE(argument);
        EXPECT_FALSE(handle("Minimize", argument));
        EXPECT_EQ(settings.minimize, MinimizeMode::NotGiven);
    }
    EXPECT_EQ(console(), "\npathgen.cfg 4: \nIllegal value of \"Minimized\"."
                         "\npathgen.cfg 4: \nIllegal value of \"Minimized\"."
                         "\npathgen.cfg 4: \nIllegal value of \"Minimized\"."
                         "\npathgen.cfg 4: \nIllegal value of \"Minimized\".");
}

TEST(ReadFlavourLetters, EveryLetterAddsItsBitAndNormalStandsForNoDelivery) {
    const std::vector<std::pair<std::string, int>> cases = {
        {"", 0x10},
        {"\n", 0x10},
        {"c", 0x02},
        {"C", 0x02},
        {"d", 0x01},
        {"h", 0x04},
        {"n", 0x10},
        {"f", 0x30},
        {"a", 0x50},
        {"c a", 0x42},
        {"ch", 0x06},
        {"HA", 0x44},
        {"d f", 0x21},
        {"hn", 0x14},
        // A word is read letter by letter: c, a and h of "crash".
        {"crash", 0x46},
        {"; h", 0x10},
        {"c;h", 0x02},
        {"a\nh", 0x50},
        {"xyz 123 !", 0x10},
    };
    for (const auto& [letters, bits] : cases) {
        SCOPED_TRACE(letters);
        std::uint16_t flavour = 0;
        readFlavourLetters(letters, flavour);
        EXPECT_EQ(flavour, bits);
    }
}

TEST(ReadFlavourLetters, AddsToTheBitsAlreadyThere) {
    std::uint16_t flavour = FlavourHold;
    readFlavourLetters("f", flavour);
    EXPECT_EQ(flavour, FlavourHold | FlavourFile);
}

TEST_F(LinkKeyword, LinkGetsItsLettersAndADirectItem) {
    run.context.notation.context = {1, 100, 10};
    EXPECT_TRUE(handle("Link", "1:100/11\n"));
    EXPECT_TRUE(handle("Link", "1:100/12 c a\n"));
    EXPECT_TRUE(handle("Link", "1:100/13 ch\n"));
    EXPECT_TRUE(handle("Link", "1:100/14 ; h\n"));
    EXPECT_TRUE(handle("Link", "15 d\r\n"));
    ASSERT_EQ(state.links.size(), 5u);
    const std::vector<std::pair<FtnAddress, int>> links = {{{1, 100, 11}, 0x10},
                                                           {{1, 100, 12}, 0x42},
                                                           {{1, 100, 13}, 0x06},
                                                           {{1, 100, 14}, 0x10},
                                                           {{1, 100, 15}, 0x01}};
    ASSERT_EQ(state.items.size(), 5u);
    for (std::size_t i = 0; i < links.size(); ++i) {
        EXPECT_EQ(state.links[i].address, links[i].first);
        EXPECT_EQ(state.links[i].flavour, links[i].second);
        EXPECT_EQ(state.items[i].address, links[i].first);
        EXPECT_EQ(state.items[i].via, NoVia);
        EXPECT_EQ(state.items[i].viaTarget, 0);
    }
    EXPECT_EQ(console(), "");
}

TEST_F(LinkKeyword, KnownAddressAddsALinkButNoItem) {
    state.items.push_back({NoVia, 1, {1, 100, 11}});
    EXPECT_TRUE(handle("Link", "1:100/11 h\n"));
    EXPECT_TRUE(handle("Link", "1:100/11 c\n"));
    ASSERT_EQ(state.links.size(), 2u);
    EXPECT_EQ(state.links[0].flavour, FlavourHold);
    EXPECT_EQ(state.links[1].flavour, FlavourCrash);
    ASSERT_EQ(state.items.size(), 1u);
    EXPECT_EQ(state.items[0].viaTarget, 1); // the item is left as it was
}

TEST_F(QuotedTextKeyword, TextBetweenQuotesIsTakenAsItStands) {
    EXPECT_TRUE(handle("RouteBegin", "\"; begin\"\n"));
    EXPECT_EQ(settings.routeBeginText, "; begin");
    EXPECT_TRUE(handle("RouteEnd", "\"\t;end ; of  \\\"routing\"\n"));
    EXPECT_EQ(settings.routeEndText, "\t;end ; of  \\");
    EXPECT_TRUE(handle("RouteEnd", "\"\" tail\n"));
    EXPECT_EQ(settings.routeEndText, "");
    EXPECT_TRUE(handle("RouteBegin", "\"a\"b\"\r\n"));
    EXPECT_EQ(settings.routeBeginText, "a");
    EXPECT_EQ(console(), "");
}

TEST_F(QuotedTextKeyword, UnquotedValueFailsAsAnIllegalQuotedString) {
    EXPECT_FALSE(handle("RouteBegin", "; begin\n"));
    EXPECT_EQ(settings.routeBeginText, "");
    settings.routeEndText = "; end";
    EXPECT_FALSE(handle("RouteEnd", "x \"; other\"\n"));
    EXPECT_FALSE(handle("RouteEnd", ""));
    EXPECT_EQ(settings.routeEndText, "; end");
    EXPECT_EQ(console(), "\npathgen.cfg 4: Illegal quoted string."
                         "\npathgen.cfg 4: Illegal quoted string."
                         "\npathgen.cfg 4: Illegal quoted string.");
}

TEST_F(QuotedTextKeyword, MissingClosingQuoteFails) {
    EXPECT_FALSE(handle("RouteBegin", "\"; begin\n"));
    run.context.line = 9;
    EXPECT_FALSE(handle("RouteEnd", "\"; end"));
    EXPECT_FALSE(handle("RouteEnd", "\"; end\n\""));
    EXPECT_EQ(console(), "\npathgen.cfg 4: Illegal quoted string."
                         "\npathgen.cfg 9: Illegal quoted string."
                         "\npathgen.cfg 9: Illegal quoted string.");
}

TEST_F(DefaultFlavorKeyword, LettersOfTheLineReplaceThePreset) {
    EXPECT_EQ(settings.defaultFlavour, FlavourHold);
    EXPECT_TRUE(handle("DefaultFlavor", "c\n"));
    EXPECT_EQ(settings.defaultFlavour, FlavourCrash);
    EXPECT_TRUE(handle("DefaultFlavor", "\n"));
    EXPECT_EQ(settings.defaultFlavour, FlavourNormal);
    EXPECT_TRUE(handle("DefaultFlavor", "h a\n"));
    EXPECT_EQ(settings.defaultFlavour, FlavourHold | FlavourNoArc);
    EXPECT_TRUE(handle("DefaultFlavor", "d"));
    EXPECT_EQ(settings.defaultFlavour, FlavourDirect);
}

TEST_F(AddressKeyword, OneAddressPerLineWithoutPoint) {
    EXPECT_TRUE(handle("Address", "1:100/10.5\n"));
    EXPECT_TRUE(handle("Address", "2:0/3 4:5/6\n"));
    const std::vector<FtnAddress> expected = {{1, 100, 10}, {2, 0, 3}};
    EXPECT_EQ(state.akas, expected);
    EXPECT_EQ(state.mainAddress(), (FtnAddress{1, 100, 10}));
    EXPECT_EQ(console(), "");
}

TEST(CopyFileName, FirstWordUpToWhiteSpace) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"route.cfg\n", "route.cfg"},
        {"c:\\squish\\route.cfg ; x", "c:\\squish\\route.cfg"},
        {"a\tb", "a"},
        {"a\vb", "a"},
        {"a\fb", "a"},
        {"name\r\n", "name"},
        {"\n", ""},
        {"", ""},
        {"with;semicolon x", "with;semicolon"},
    };
    for (const auto& [text, name] : cases) {
        SCOPED_TRACE(text);
        std::string target = "old";
        copyFileName(text, target);
        EXPECT_EQ(target, name);
    }
}

TEST_F(QuotedTextKeyword, NamesAndMarkersAreHeldWhole) {
    const std::string marker = "; " + std::string(300, 'm');
    EXPECT_TRUE(handle("RouteBegin", "\"" + marker + "\"\n"));
    EXPECT_EQ(settings.routeBeginText, marker);
    const std::string name = std::string(200, 'd') + "/" + std::string(200, 'f') + ".log";
    EXPECT_TRUE(handle("LogFile", name + " x\n"));
    EXPECT_EQ(settings.logFilePath, name);
}
