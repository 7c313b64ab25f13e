// Reading and writing FTN addresses, with the shared abbreviation context.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "address/address.hpp"
#include "model_support.hpp"
#include "test_support.hpp"

using namespace testing_support;

namespace {

constexpr std::uint16_t W = Wildcard;
const FtnAddress Context{1, 100, 10};
const FtnAddress Main{2, 460, 10};
const FtnAddress AllWild{W, W, W};

struct ParseCase {
    std::string input;
    FtnAddress result;
    FtnAddress contextAfter;
    std::string restAfter; // the text after the cursor
    bool whole = true;     // the text read is wholly an address
};

void checkParse(const ParseCase& c) {
    SCOPED_TRACE("input \"" + c.input + "\"");
    AddressNotation state;
    state.main = {Main};
    state.context = Context;
    std::size_t cursor = 0;
    FtnAddress result = parseAddress(state, c.input, cursor);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(state.context, c.contextAfter);
    EXPECT_EQ(c.input.substr(cursor), c.restAfter);
    EXPECT_EQ(addressFault(c.input, 0, cursor, result).empty(), c.whole);
}

} // namespace

TEST(ParseAddress, WorkedExamples) {
    const std::vector<ParseCase> cases = {
        {"1:200/1", {1, 200, 1}, {1, 200, 1}, ""},
        {"200/1", {1, 200, 1}, {1, 200, 1}, ""},
        {"7", {1, 100, 7}, {1, 100, 7}, ""},
        {"*", {1, 100, W}, {1, 100, W}, ""},
        {"All", {1, 100, W}, {1, 100, W}, ""},
        {"200/*", {1, 200, W}, {1, 200, W}, ""},
        {"1:*/*", {1, W, W}, {1, W, W}, ""},
        {"*:*/*", AllWild, AllWild, ""},
        {"world", AllWild, Main, ""},
        {"1:100/11.5", {1, 100, 11}, {1, 100, 11}, "", false},
        // A domain and point 0 change nothing.
        {"1:100/11.0@fidonet", {1, 100, 11}, {1, 100, 11}, ""},
        {"", {1, 100, 0}, {1, 100, 0}, "", false},
        // After "1:" the blank is skipped and 200, followed by a blank, is the node.
        {"1: 200 /1", {1, 100, 200}, {1, 100, 200}, " /1", false},
        {"ALL:*/65534", {W, W, 65534}, {W, W, 65534}, ""},
        {"2:5020/l46", {2, 5020, 0}, {2, 5020, 0}, "", false},
        {"2:5020/70146", {2, 5020, 4610}, {2, 5020, 4610}, "", false},
        {"garbage", {1, 100, 0}, {1, 100, 0}, "", false},
        {"2:3:4/5", {3, 4, 5}, {3, 4, 5}, "", false},
        {"2/3/4", {1, 3, 4}, {1, 3, 4}, "", false},
        {"3/", {1, 3, 0}, {1, 3, 0}, "", false},
    };
    for (const ParseCase& c : cases) {
        checkParse(c);
    }
}

TEST(ParseAddress, NumbersWrapAt65536And65535IsTheWildcard) {
    const std::vector<ParseCase> cases = {
        {"65535", {1, 100, W}, {1, 100, W}, ""},
        {"65536", {1, 100, 0}, {1, 100, 0}, "", false},
        {"70000", {1, 100, 4464}, {1, 100, 4464}, "", false},
        {"65535:65534/1", {W, 65534, 1}, {W, 65534, 1}, ""},
        {"0000065535", {1, 100, W}, {1, 100, W}, ""},
        {"65536/1", {1, 0, 1}, {1, 0, 1}, "", false},
        {"2:460", {2, 100, 460}, {2, 100, 460}, ""},
        {"1:/5", {1, 0, 5}, {1, 0, 5}, "", false},
    };
    for (const ParseCase& c : cases) {
        checkParse(c);
    }
}

TEST(ParseAddress, WorldTakesExactlyFiveCharacters) {
    checkParse({"Worldwide", AllWild, Main, "wide"});
    checkParse({"  WORLD 5", AllWild, Main, " 5"});
}

TEST(ParseAddress, WordEndsAtBlankOrLineFeed) {
    const std::vector<ParseCase> cases = {
        // Nothing after a keyword: the context's zone and net with node 0.
        {"\n", {1, 100, 0}, {1, 100, 0}, "\n", false},
        {"7.5\n8", {1, 100, 7}, {1, 100, 7}, "\n8", false},
        {"1:200/1\r\n", {1, 200, 1}, {1, 200, 1}, "\r\n"},
        {"1:100/11@fidonet 12", {1, 100, 11}, {1, 100, 11}, " 12"},
        {" \t200/1\t300/2", {1, 200, 1}, {1, 200, 1}, "\t300/2"},
        // No blank is allowed before ":" or "/": the 1 is a node.
        {"1 :200/1", {1, 100, 1}, {1, 100, 1}, " :200/1"},
        // Text that is no address still yields one.
        {"abc def", {1, 100, 0}, {1, 100, 0}, " def", false},
        {"ALL", {1, 100, W}, {1, 100, W}, ""},
        {"all/5", {1, W, 5}, {1, W, 5}, ""},
        // A NUL byte is an ordinary character inside the word.
        {std::string("7\0:1 8", 6), {1, 100, 7}, {1, 100, 7}, " 8", false},
    };
    for (const ParseCase& c : cases) {
        checkParse(c);
    }
}

TEST(ParseAddress, LaterSeparatorOverridesEarlierOfSameKind) {
    checkParse({"1:2:3/4", {2, 3, 4}, {2, 3, 4}, "", false});
    checkParse({"5/6/7", {1, 6, 7}, {1, 6, 7}, "", false});
}

TEST(ParseAddress, ListAbbreviatesFromThePreviousAddress) {
    AddressNotation state;
    state.main = {Main};
    state.context = Context;
    const std::string text = "3:100/1 2 200/7 8 4:5";
    std::size_t cursor = 0;
    std::vector<FtnAddress> read;
    for (int i = 0; i < 5; ++i) {
        read.push_back(parseAddress(state, text, cursor));
    }
    const std::vector<FtnAddress> expected = {
        {3, 100, 1}, {3, 100, 2}, {3, 200, 7}, {3, 200, 8}, {4, 200, 5}};
    EXPECT_EQ(read, expected);
    EXPECT_EQ(cursor, text.size());
}

namespace {

// One row of the output examples: context 1:100/10, pass matching.
struct FormatRow {
    FtnAddress address;
    std::string starWildcards;
    std::string wordWildcards;
    std::string slashBeforeNode;
    std::string fullStar;
    std::string fullWords;
    std::string pointSuffix;   // relative, starWildcards true
    std::string fullAddresses; // relative, starWildcards true
};

const std::vector<FormatRow> FormatRows = {
    {{1, 100, 11}, " 11", " 11", " /11", " 1:100/11", " 1:100/11", " 11.*", " 1:100/11"},
    {{1, 200, 1}, " 200/1", " 200/1", " 200/1", " 1:200/1", " 1:200/1", " 200/1.*", " 1:200/1"},
    {{3, 50, 2}, " 3:50/2", " 3:50/2", " 3:50/2", " 3:50/2", " 3:50/2", " 3:50/2.*", " 3:50/2"},
    {{3, 100, 7}, " 3:7", " 3:7", " 3:/7", " 3:100/7", " 3:100/7", " 3:7.*", " 3:100/7"},
    {{1, 100, W}, " 100/*", " 100/All", " 100/*", " 1:100/*", " 1:100/All", " 100/*.*", " 1:100/*"},
    {{1, W, W}, " */*", " All/All", " */*", " 1:*/*", " 1:All/All", " */*.*", " 1:*/*"},
    {AllWild, " *:*/*", " World", " *:*/*", " *:*/*", " World", " *:*/*.*", " *:*/*"},
};

struct FormatOptions {
    bool star = true;
    bool slash = false;
    bool point = false;
    bool fullAddresses = false;
    int form = RelativeForm;
};

// Formats the address into an empty text with context 1:100/10 and the pass
// matching the address; checks the returned length and the new context.
std::string format(FtnAddress address, FormatOptions options) {
    AddressNotation state;
    state.main = {Context};
    state.context = Context;
    state.pass = static_cast<std::uint16_t>(wildcardCount(address));
    state.style.starWildcards = options.star;
    state.style.slashBeforeNode = options.slash;
    state.style.pointSuffix = options.point;
    state.style.fullAddresses = options.fullAddresses;
    std::string text;
    std::size_t length = formatAddress(state, address, text, options.form);
    EXPECT_EQ(length, text.size());
    EXPECT_EQ(state.context, address);
    return text;
}

} // namespace

TEST(FormatAddress, OutputExamples) {
    for (const FormatRow& row : FormatRows) {
        SCOPED_TRACE(::testing::PrintToString(row.address));
        EXPECT_EQ(format(row.address, {}), row.starWildcards);
        EXPECT_EQ(format(row.address, {.star = false}), row.wordWildcards);
        EXPECT_EQ(format(row.address, {.slash = true}), row.slashBeforeNode);
        EXPECT_EQ(format(row.address, {.form = FullForm}), row.fullStar);
        EXPECT_EQ(format(row.address, {.star = false, .form = FullForm}), row.fullWords);
        // The full form ignores slashBeforeNode as it writes the net anyway.
        EXPECT_EQ(format(row.address, {.slash = true, .form = FullForm}), row.fullStar);
    }
}

TEST(FormatAddress, PointSuffixOnlyInRelativeForm) {
    for (const FormatRow& row : FormatRows) {
        SCOPED_TRACE(::testing::PrintToString(row.address));
        EXPECT_EQ(format(row.address, {.point = true}), row.pointSuffix);
        EXPECT_EQ(format(row.address, {.point = true, .form = FullForm}), row.fullStar);
    }
    EXPECT_EQ(format(AllWild, {.star = false, .point = true}), " World.*");
}

TEST(FormatAddress, FullAddressesWritesZoneAndNetButKeepsPointSuffix) {
    for (const FormatRow& row : FormatRows) {
        SCOPED_TRACE(::testing::PrintToString(row.address));
        EXPECT_EQ(format(row.address, {.fullAddresses = true}), row.fullAddresses);
        EXPECT_EQ(format(row.address, {.point = true, .fullAddresses = true}),
                  row.fullAddresses + ".*");
    }
}

TEST(FormatAddress, RelativeFormWritesOnlyTheCurrentWildcardPass) {
    AddressNotation state;
    state.main = {Context};
    state.style.starWildcards = 1;
    state.style.fullAddresses = 1; // filtered all the same

    state.context = Context;
    state.pass = 1;
    std::string text = "Route";
    EXPECT_EQ(formatAddress(state, {1, 100, 11}, text, RelativeForm), 5u);
    EXPECT_EQ(text, "Route");
    EXPECT_EQ(state.context, Context); // nothing written, context kept
    EXPECT_EQ(formatAddress(state, {1, 100, W}, text, RelativeForm), 13u);
    EXPECT_EQ(text, "Route 1:100/*");

    state.pass = 0;
    text = "Route";
    EXPECT_EQ(formatAddress(state, {1, 100, W}, text, RelativeForm), 5u);
    EXPECT_EQ(formatAddress(state, {1, 100, 11}, text, RelativeForm), 14u);
    EXPECT_EQ(text, "Route 1:100/11");

    // The full form is never filtered.
    state.pass = 3;
    EXPECT_EQ(formatAddress(state, {1, 100, 12}, text, FullForm), 23u);
    EXPECT_EQ(text, "Route 1:100/11 1:100/12");
}

TEST(FormatAddress, ReturnsTheLengthOfTheWholeText) {
    AddressNotation state;
    state.context = Context;
    std::string text = "abc";
    EXPECT_EQ(formatAddress(state, {1, 100, 11}, text, FullForm), 12u);
    EXPECT_EQ(text, "abc 1:100/11");
}

TEST(FormatAddress, ListAbbreviatesFromTheAddressWrittenBefore) {
    AddressNotation state;
    state.main = {Context};
    state.context = Context;
    std::string text;
    for (FtnAddress address : std::vector<FtnAddress>{
             {1, 100, 11}, {1, 100, 12}, {1, 200, 1}, {1, 200, 2}, {2, 200, 3}, {2, 200, 4}}) {
        formatAddress(state, address, text, RelativeForm);
    }
    EXPECT_EQ(text, " 11 12 200/1 2 2:3 4");
    EXPECT_EQ(state.context, (FtnAddress{2, 200, 4}));
}

TEST(FormatAddress, RelativeToMainAbbreviatesEveryAddressFromTheMainAddress) {
    AddressNotation state;
    state.main = {Context};
    state.context = Context;
    state.style.relativeToMain = 1;
    std::string text;
    formatAddress(state, {1, 200, 1}, text, RelativeForm);
    EXPECT_EQ(state.context, Context);
    formatAddress(state, {1, 200, 2}, text, RelativeForm);
    formatAddress(state, {1, 100, 3}, text, RelativeForm);
    EXPECT_EQ(text, " 200/1 200/2 3");
}

TEST(AddressText, FullFormWithLeadingBlankAsMessagesShowIt) {
    EXPECT_EQ(addressText({1, 100, 11}), " 1:100/11");
    EXPECT_EQ(addressText({1, 100, W}), " 1:100/All");
    EXPECT_EQ(addressText({1, W, W}), " 1:All/All");
    EXPECT_EQ(addressText(AllWild), " World");
}
