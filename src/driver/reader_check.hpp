// --check and --strict for the route types whose mail program has a model:
// the new destination file, as it would be written, read as that program
// reads it, and every address it would send elsewhere than the routing
// means reported at the line that decides it.
#pragma once

#include <ctime>
#include <string>

#include "driver/table_output.hpp"
#include "model/routing_state.hpp"

// Whether the configured route type's program has a model (its warnings
// then take the place of the rules of thumb about links and wildcards).
bool hasReaderModel(const Settings& settings);

// Reports the differences as warnings (grouped by cause, at the deciding
// line of the new file), the link letters the table cannot say as warnings,
// at their Link line. Nothing for a route type without a model.
void compareWithReader(const RoutingState& state, TableOutput& output, std::time_t runTime,
                       const std::string& configPath, Diagnostics& diagnostics);

// For --explain: what the program does with mail for the address when it
// differs from the routing, read from the table alone ("the mail program
// reads line N of the table and sends it via ..."); empty when it agrees
// or the route type has no model.
std::string readerDisagreement(const RoutingState& state, FtnAddress address);
