// Runs of the bundled examples (examples/basic and one folder per route
// type under examples/route-types), against what they must write.
//
// For each example tests/examples/<name>/ holds
//   expected/        the files the run rewrites, as they must read afterwards
//   expected.stderr  the whole standard error
// Every other file of the example must be left as it was.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

// The examples by their path under examples/: "basic", "route-types/bip", ...
std::vector<std::string> exampleNames();

// Copies the example folder `from` into a scratch folder, runs `program`
// there without arguments and checks the exit code, the console and every
// file of the folder against the expectations of example `name`.
void checkExampleRun(const std::string& program, const std::filesystem::path& from,
                     const std::string& name);

} // namespace testing_support
