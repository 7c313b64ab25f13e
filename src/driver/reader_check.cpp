#include "driver/reader_check.hpp"

#include <algorithm>
#include <sstream>

#include "messages/findings.hpp"
#include "readers/compare.hpp"
#include "writers/route_types.hpp"
#include "writers/writers.hpp"

namespace {

const ReaderModel* modelOf(const Settings& settings) {
    return settings.routeType == 0 ? nullptr : readerFor(RouteTypes[settings.routeType - 1].name);
}

// The table and its unrouted report as the run writes them.
std::string tableText(const RoutingState& state, bool crlf, std::time_t runTime) {
    std::ostringstream table;
    LineWriter writer(state, table, crlf, runTime);
    RouteTypes[state.settings.routeType - 1].write(writer);
    writeUnrouted(writer);
    return table.str();
}

std::string letterNames(std::uint16_t letters) {
    std::string names;
    if (letters & FlavourFile) {
        names = "f (file)";
    }
    if (letters & FlavourNoArc) {
        names += std::string(names.empty() ? "" : " and ") + "a (noarc)";
    }
    return names;
}

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Whether the line is a begin or end marker of the new file that the
// configuration check reports as one the program refuses.
bool refusedMarker(const Settings& settings, const std::size_t (&markers)[2], std::size_t line) {
    const RouteType& type = RouteTypes[settings.routeType - 1];
    const std::string* texts[] = {&settings.routeBeginText, &settings.routeEndText};
    for (int k = 0; k < 2; ++k) {
        if (line == markers[k] && type.refusesUnreadLines && !texts[k]->empty() &&
            texts[k]->front() != type.commentChar) {
            return true;
        }
    }
    return false;
}

} // namespace

bool hasReaderModel(const Settings& settings) {
    return modelOf(settings) != nullptr;
}

void compareWithReader(const RoutingState& state, TableOutput& output, std::time_t runTime,
                       const std::string& configPath, Diagnostics& diagnostics) {
    const ReaderModel* model = modelOf(state.settings);
    TableOutput::Surroundings kept;
    if (model == nullptr || !output.surroundings(kept)) {
        return;
    }
    const std::string file = kept.head + tableText(state, output.crlf(), runTime) +
                             state.settings.routeEndText + (output.crlf() ? "\r\n" : "\n") +
                             kept.tail;
    const std::unique_ptr<TableModel> reading = model->read(file, state.mainAddress());
    const std::size_t markers[] = {lineCount(kept.head), lineCount(file) - lineCount(kept.tail)};
    for (const DifferenceGroup& group :
         groupDifferences(differences(state, *model, *reading), *model)) {
        if (group.refused && refusedMarker(state.settings, markers, group.line)) {
            continue; // the marker's error already says it
        }
        reportFinding(diagnostics, Finding::ReaderDiffers, kept.name, group.line,
                      {group.addresses, group.routing, group.reading});
    }
    const Provenance& provenance = state.provenance;
    for (const UnsaidLetters& unsaid : unsaidLetters(state, *model, *reading)) {
        const std::string place = provenance.originText(provenance.linkOrigin(unsaid.link));
        const std::size_t colon = place.rfind(':');
        const std::string letters = std::string("the letter") +
                                    (unsaid.letters == (FlavourFile | FlavourNoArc) ? "s " : " ") +
                                    letterNames(unsaid.letters);
        const std::string count =
            std::to_string(unsaid.addresses) + (unsaid.addresses == 1 ? " address" : " addresses");
        const std::string link = addressText(state.links[unsaid.link].address).substr(1);
        const bool placed = colon != std::string::npos;
        reportFinding(diagnostics, Finding::LetterUnsaid,
                      placed ? place.substr(0, colon) : configPath,
                      placed ? std::stoul(place.substr(colon + 1)) : 0,
                      {link, letters, model->routeType, count});
    }
}

std::string readerDisagreement(const RoutingState& state, FtnAddress address) {
    const ReaderModel* model = modelOf(state.settings);
    if (model == nullptr || hasWildcard(address)) {
        return {};
    }
    const std::unique_ptr<TableModel> reading =
        model->read(tableText(state, false, 0), state.mainAddress());
    const RoutingAnswer routing = routingOf(state, address);
    const Delivery delivery = reading->deliver(address);
    if (agrees(*model, routing, delivery)) {
        return {};
    }
    std::string text = deliveryText(*model, delivery, address);
    if (delivery.line != 0) {
        // "Squish sends it ..." becomes "the mail program reads line N of
        // the table and sends it ...".
        text = "the mail program reads line " + std::to_string(delivery.line) +
               " of the table and " + text.substr(std::string(model->program).size() + 1);
    }
    return text + " (the routing " + routingText(*model, routing) + ")";
}
