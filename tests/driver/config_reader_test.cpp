// Reading the configuration file in its six passes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model_support.hpp"
#include "test_support.hpp"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

constexpr const char* Destination = "a\n; begin\nold\n; end\nb\n";

// Reads "pathgen.cfg" from a scratch folder that is the working folder and
// holds the destination "route.cfg".
struct ConfigReader : ::testing::Test {
    ScratchDir dir;
    ConfigRun run;
    CapturedState& captured = run.captured;
    RoutingState& state = captured.state;
    fs::path previous;

    void SetUp() override {
        previous = fs::current_path();
        fs::current_path(dir.path());
        dir.write("route.cfg", Destination);
    }
    void TearDown() override { fs::current_path(previous); }

    bool read(const std::string& config) {
        dir.write("pathgen.cfg", config);
        return readConfig(run.context);
    }
    // The same with both markers given on lines after the others.
    bool readWithMarkers(const std::string& config) {
        return read(config + "RouteBegin \"; begin\"\nRouteEnd \"; end\"\n");
    }
    std::string console() { return captured.shown(); }
    std::vector<FtnAddress> linkAddresses() const {
        std::vector<FtnAddress> addresses;
        for (const LinkEntry& link : state.links) {
            addresses.push_back(link.address);
        }
        return addresses;
    }
};

} // namespace

TEST_F(ConfigReader, KeywordsAreHandledInTheirPassWhateverTheLineOrder) {
    dir.write("routes.txt", "2:460/2 2:460/5 2:460/6\n");
    ASSERT_TRUE(read("DefaultRoute 2:460/1 2:460/5\n"
                     "RouteFile routes.txt\n"
                     "Link 2:460/2 c\n"
                     "Link 1 h\n"
                     "WriteTo route.cfg\n"
                     "RouteEnd \"; end\"\n"
                     "RouteBegin \"; begin\"\n"
                     "Minimize no\n"
                     "RouteType squish\n"
                     "Address 2:460/10\n"
                     "LogFile run.log\n"));

    // The route file (pass 3) comes before the DefaultRoute line (pass 5),
    // which therefore wins.
    EXPECT_EQ(console(), "\nScanning config file..."
                         "\nScanning route file routes.txt..."
                         "\nRe-routing for  2:460/5."
                         "\nAdjusting routing...");
    EXPECT_EQ(state.akas, (std::vector<FtnAddress>{{2, 460, 10}}));
    EXPECT_EQ(state.settings.routeType, 1);
    EXPECT_EQ(state.settings.minimize, MinimizeMode::No);
    EXPECT_EQ(state.settings.logFilePath, "run.log");
    // The links were read after the Address line, whose zone and net the
    // second one takes through the first.
    EXPECT_EQ(linkAddresses(), (std::vector<FtnAddress>{{2, 460, 2}, {2, 460, 1}}));
    EXPECT_EQ(state.links[0].flavour, FlavourCrash);
    EXPECT_EQ(state.links[1].flavour, FlavourHold);
    ASSERT_EQ(state.items.size(), 4u);
    EXPECT_EQ(state.items[2].address, (FtnAddress{2, 460, 5}));
    EXPECT_EQ(state.items[2].via, 1);
    EXPECT_EQ(state.items[3].address, (FtnAddress{2, 460, 6}));
    EXPECT_EQ(state.items[3].via, 0);

    // WriteTo already knew both markers: the head ends with the begin
    // marker and the destination is read up to the end marker.
    ASSERT_TRUE(run.splice.isOpen());
    run.splice.abandon();
    EXPECT_EQ(dir.read("PG$TABLE.$$$"), "a\n; begin\n");
}

TEST_F(ConfigReader, KeywordIsAWholeWordInAnyCase) {
    ASSERT_TRUE(readWithMarkers("address 1:100/10\n"
                                "ADDRESS 1:100/11\n"
                                "Address: 1:100/12\n"
                                "Address2:1/1\n"
                                "Addresses 1:100/13\n"
                                "AdDrEsS 1:100/14\n"
                                "routetype SQUISH\n"
                                "MINIMIZE yes\n"
                                "writeTO route.cfg\n"
                                "Links 1:100/20\n"
                                "LINK 1:100/21\n"));
    EXPECT_EQ(state.akas, (std::vector<FtnAddress>{{1, 100, 10}, {1, 100, 11}, {1, 100, 14}}));
    EXPECT_EQ(linkAddresses(), (std::vector<FtnAddress>{{1, 100, 21}}));
    EXPECT_EQ(console(), "\nScanning config file...\nAdjusting routing...");
}

TEST_F(ConfigReader, OverlongFirstWordIsAnUnknownWord) {
    ASSERT_TRUE(readWithMarkers("Address 1:100/10\n" + std::string(60, 'A') + " 1:100/11\n" +
                                "Address" + std::string(45, 'x') + " 1:100/12\n" +
                                std::string(5000, 'L') +
                                "\nRouteType squish\nMinimize yes\nWriteTo route.cfg\n"));
    EXPECT_EQ(state.akas, (std::vector<FtnAddress>{{1, 100, 10}}));
    EXPECT_EQ(console(), "\nScanning config file...\nAdjusting routing...");
}

TEST_F(ConfigReader, CommentsAndBlankLinesAreSkipped) {
    ASSERT_TRUE(read("; comment\n"
                     "   ; indented comment\n"
                     "\t;Address 1:100/99\n"
                     "\n"
                     "  \t \n"
                     "\r\n"
                     ";Address 1:100/98\n"
                     "  Address 1:100/10\n"
                     "\tRouteType squish\r\n"
                     "Minimize yes ; comment after the value\n"
                     "WriteTo route.cfg\n"
                     "RouteBegin \"; begin\"\nRouteEnd \"; end\"\n"
                     "   \n"
                     "Link 1:100/11 c"));
    EXPECT_EQ(state.akas, (std::vector<FtnAddress>{{1, 100, 10}}));
    EXPECT_EQ(state.settings.routeType, 1);
    EXPECT_EQ(state.settings.minimize, MinimizeMode::Yes);
    ASSERT_EQ(linkAddresses(), (std::vector<FtnAddress>{{1, 100, 11}}));
    EXPECT_EQ(state.links[0].flavour, FlavourCrash);
    EXPECT_EQ(console(), "\nScanning config file...\nAdjusting routing...");
}

TEST_F(ConfigReader, TextEndsAtCtrlZ) {
    ASSERT_TRUE(read("Address 1:100/10\nRouteType squish\nMinimize yes\nWriteTo route.cfg\n"
                     "RouteBegin \"; begin\"\nRouteEnd \"; end\"\n"
                     "Link 1:100/11\x1a\nRouteType fido\n"));
    EXPECT_EQ(state.settings.routeType, 1);
    EXPECT_EQ(linkAddresses(), (std::vector<FtnAddress>{{1, 100, 11}}));
}

TEST_F(ConfigReader, AllErrorsOfAPassAreReportedAndLaterPassesAreNotRead) {
    EXPECT_FALSE(read("; errors of one pass\n"
                      "Address 2:460/10\n"
                      "RouteType fido\n"
                      "WriteTo route.cfg\n"
                      "Link 2:460/1\n"
                      "\n"
                      "Minimize o\n"
                      "RouteFile missing.txt\n"));
    EXPECT_EQ(console(), "\nScanning config file..."
                         "\npathgen.cfg 3: \nUnsupported route type."
                         "\npathgen.cfg 7: \nIllegal value of \"Minimized\".");
    EXPECT_TRUE(state.links.empty());
    EXPECT_FALSE(run.splice.isOpen());
    EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
}

TEST_F(ConfigReader, LineNumbersCountEveryPhysicalLineAnewInEachPass) {
    dir.write("routes.txt", "2:460/1 2:460/5\n");
    EXPECT_FALSE(readWithMarkers("Address 2:460/10\n"
                                 "RouteType squish\n"
                                 "; comment\n"
                                 "Minimize yes\n"
                                 "WriteTo route.cfg\n"
                                 "RouteFile routes.txt\n"
                                 "\n"
                                 "RouteFile missing.txt\n"
                                 "RouteFile routes.txt\n"
                                 "DefaultRoute 2:460/2 2:460/5\n"));
    // Every RouteFile line of the pass is still handled; pass 5 is not.
    EXPECT_EQ(console(), "\nScanning config file..."
                         "\nScanning route file routes.txt..."
                         "\npathgen.cfg 8: Cannot open file."
                         "\nScanning route file routes.txt...");
}

TEST_F(ConfigReader, LongConfigurationNameIsShownWhole) {
    run.context.path = std::string(150, 'c') + ".cfg";
    dir.write(run.context.path, "Address 2:460/10\nRouteType fido\n");
    EXPECT_FALSE(readConfig(run.context));
    EXPECT_EQ(console(),
              "\nScanning config file...\n" + run.context.path + " 2: \nUnsupported route type.");
}

TEST_F(ConfigReader, OverlongLinesAreReadWholeAndCountAsOneLine) {
    // The keyword after 29998 characters of a comment is part of the
    // comment; blanks of any length may stand before a keyword.
    EXPECT_FALSE(read(";" + std::string(29997, 'x') + "RouteType fido\n" + std::string(29998, ' ') +
                      "RouteType fido\n" + "Minimize o\n"));
    EXPECT_EQ(console(), "\nScanning config file..."
                         "\npathgen.cfg 2: \nUnsupported route type."
                         "\npathgen.cfg 3: \nIllegal value of \"Minimized\".");
}

TEST_F(ConfigReader, FileOfCommentsFailsTheMainAddressCheck) {
    EXPECT_FALSE(read("; nothing\n; but comments\n"));
    EXPECT_EQ(console(), "\nScanning config file...\nMissing or illegal main address.");
}

TEST_F(ConfigReader, MainAddressNeedsZoneAndNet) {
    EXPECT_FALSE(read("Address 10\nAddress 2:460/10\nRouteType squish\n"));
    EXPECT_EQ(state.akas, (std::vector<FtnAddress>{{0, 0, 10}, {2, 460, 10}}));
    EXPECT_EQ(console(), "\nScanning config file...\nMissing or illegal main address.");
}

TEST_F(ConfigReader, MissingRouteTypeIsReportedBeforeMissingMinimize) {
    EXPECT_FALSE(read("Address 2:460/10\nWriteTo route.cfg\n"));
    EXPECT_EQ(console(), "\nScanning config file...\nMissing \"RouteType\" keyword.");
}

TEST_F(ConfigReader, MissingMinimizeIsAcceptedAsYes) {
    dir.write("routes.txt", "\n");
    // A node number of 0 in the main address is accepted.
    ASSERT_TRUE(readWithMarkers("Address 2:460/0\nRouteType squish\nRouteFile routes.txt\n"
                                "WriteTo route.cfg\n"));
    EXPECT_EQ(console(), "\nScanning config file..."
                         "\nMissing \"Minimize\" keyword. YES Accepted."
                         "\nScanning route file routes.txt..."
                         "\nAdjusting routing...");
    EXPECT_EQ(state.settings.minimize, MinimizeMode::NotGiven);
}

TEST_F(ConfigReader, MissingWriteToStopsAfterTheLinks) {
    EXPECT_FALSE(readWithMarkers("Address 2:460/10\nRouteType squish\nMinimize yes\n"
                                 "Link 2:460/1\nRouteFile missing.txt\n"));
    EXPECT_EQ(console(), "\nScanning config file...\nMissing \"WriteTo\" keyword.");
    EXPECT_EQ(linkAddresses(), (std::vector<FtnAddress>{{2, 460, 1}}));
    EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
    EXPECT_EQ(dir.read("route.cfg"), Destination);
}

TEST_F(ConfigReader, SecondWriteToFailsAndKeepsTheFirstDestination) {
    dir.write("other.cfg", "; begin\n; end\n");
    EXPECT_FALSE(readWithMarkers("Address 2:460/10\nRouteType squish\nMinimize yes\n"
                                 "RouteBegin \"; begin\"\nRouteEnd \"; end\"\n"
                                 "WriteTo route.cfg\n"
                                 "Link 2:460/1\n"
                                 "WriteTo other.cfg\n"
                                 "Link 2:460/2\n"
                                 "RouteFile missing.txt\n"));
    EXPECT_EQ(console(), "\nScanning config file..."
                         "\npathgen.cfg 8: Repeated \"WriteTo\" keyword.");
    EXPECT_EQ(linkAddresses(), (std::vector<FtnAddress>{{2, 460, 1}, {2, 460, 2}}));
    ASSERT_TRUE(run.splice.isOpen());
    run.splice.abandon();
    EXPECT_EQ(dir.read("PG$TABLE.$$$"), "a\n; begin\n");
    EXPECT_EQ(dir.read("route.cfg"), Destination);
    EXPECT_EQ(dir.read("other.cfg"), "; begin\n; end\n");
}

TEST_F(ConfigReader, SecondWriteToIsRefusedAlsoAfterAFailedFirst) {
    EXPECT_FALSE(readWithMarkers("Address 2:460/10\nRouteType squish\nMinimize yes\n"
                                 "WriteTo missing.cfg\n"
                                 "WriteTo route.cfg\n"));
    EXPECT_EQ(console(), "\nScanning config file..."
                         "\nCannot open dest file."
                         "\npathgen.cfg 5: Repeated \"WriteTo\" keyword.");
    EXPECT_FALSE(dir.exists("PG$TABLE.$$$"));
}

TEST_F(ConfigReader, AbbreviationsRunOnThroughTheFileInPassOrder) {
    ASSERT_TRUE(readWithMarkers("Link 11\n"
                                "Link 300/5\n"
                                "Address 1:100/10\n"
                                "Address 2:200/20\n"
                                "RouteType squish\nMinimize no\nWriteTo route.cfg\n"));
    EXPECT_EQ(state.mainAddress(), (FtnAddress{1, 100, 10}));
    EXPECT_EQ(linkAddresses(), (std::vector<FtnAddress>{{2, 200, 11}, {2, 300, 5}}));
}

TEST_F(ConfigReader, MissingConfigurationFile) {
    EXPECT_FALSE(readConfig(run.context));
    run.context.path = ".";
    EXPECT_FALSE(readConfig(run.context));
    EXPECT_EQ(console(), "\nCannot open config file.\nCannot open config file.");
}
