// What a run would lose between the markers: lines the operator put into the
// region by hand, which the new table drops and which the route type's
// writer never writes, and text after the end marker on its line.
#pragma once

#include <cstddef>
#include <streambuf>
#include <string>
#include <unordered_map>
#include <vector>

#include "messages/diagnostics.hpp"
#include "model/routing_state.hpp"

// The region of the destination as the run found it.
struct OldRegion {
    std::string file;               // as the WriteTo line names it
    unsigned long beginLine = 0;    // the begin marker's line
    std::vector<std::string> lines; // between the marker lines, without line ends
    unsigned long endLine = 0;      // 0: the begin marker line closed the region
    std::string afterEndMarker;     // what follows the end marker on its line
};

// Passes the new table's lines on to `next` (none: nowhere) and compares
// them with the old region's as they go.
class RegionCheck : public std::streambuf {
  public:
    RegionCheck(const OldRegion& old, std::streambuf* next);
    // Reports, once the table is written, what the run would lose.
    void report(const RoutingState& state, Diagnostics& diagnostics);

  protected:
    int overflow(int c) override;
    std::streamsize xsputn(const char* data, std::streamsize size) override;
    int sync() override;

  private:
    void endLine();

    const OldRegion& old_;
    std::streambuf* next_;
    std::string line_;
    std::string firstLine_;
    std::size_t newLines_ = 0;
    std::size_t added_ = 0;
    // The old region's lines the new table has not written (yet).
    std::unordered_map<std::string, std::size_t> left_;
};
