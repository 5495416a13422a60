// The classic printed table: rows of lines with the traffic they carry at
// each blocking target, or rows of traffic with the lines each needs.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace cli {

struct TableRequest {
    // "lines" or "traffic": what the rows run over.
    std::string_view rows;
    std::string range;    // FROM:TO[:STEP], or a single value
    std::string blocking; // B1,B2,...
    std::string format;   // text, csv, markdown or json
    int digits = 0;
};

// A table has at most this many rows.
inline constexpr long kMaxTableRows = 100000;

// Writes the table to `out`. Throws std::invalid_argument, whose message
// names the option, before writing anything.
void WriteTable(const TableRequest& request, std::ostream& out);

} // namespace cli
