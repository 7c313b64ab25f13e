#include "writers/route_types.hpp"

#include "address/address.hpp"

void writeSquish(LineWriter& w);
void writeItrack(LineWriter& w);
void writeTmail(LineWriter& w);
void writeTmailn(LineWriter& w);
void writeBpack(LineWriter& w);
void writeImbink(LineWriter& w);
void writeXmail(LineWriter& w);
void writeIfmail(LineWriter& w);
void writeBip(LineWriter& w);
void writeUnimail(LineWriter& w);
void writeQecho(LineWriter& w);
void writeFidogate(LineWriter& w);
void writeFtrack(LineWriter& w);
void writeHpt(LineWriter& w);

namespace {

constexpr RouteType Rows[] = {
    {"squish", writeSquish, ';'},   {"itrack", writeItrack, ';'}, {"tmailn", writeTmailn, ';'},
    {"tmail", writeTmail, ';'},     {"bpack", writeBpack, ';'},   {"imbink", writeImbink, '#'},
    {"xmail", writeXmail, ';'},     {"ifmail", writeIfmail, '#'}, {"bip", writeBip, ';'},
    {"unimail", writeUnimail, ';'}, {"qecho", writeQecho, '#'},   {"fidogate", writeFidogate, '#'},
    {"ftrack", writeFtrack, '\\'},  {"hpt", writeHpt, '#', true},
};

} // namespace

const std::span<const RouteType> RouteTypes(Rows);

const RouteType* findRouteType(std::string_view word) {
    for (const RouteType& row : RouteTypes) {
        if (startsWithNoCase(word, row.name)) {
            return &row;
        }
    }
    return nullptr;
}
