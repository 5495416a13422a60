// The classic printed table: rows of lines with the traffic they carry at
// each blocking target, or rows of traffic with the lines each needs.
#pragma once

#include "teletraffic/arguments.h"

#include <ostream>
#include <string>
#include <string_view>

namespace cli {

// How the table is printed: a choice of the command line's own, in the
// registry's form, read as every word choice is.
enum class TableFormat { Text, Csv, Markdown, Json };
inline constexpr teletraffic::ChoiceRow<TableFormat> kTableFormatRows[] = {
    {TableFormat::Text, {"text", "aligned"}},
    {TableFormat::Csv, {"csv", "comma-separated"}},
    {TableFormat::Markdown, {"markdown", "a Markdown table"}},
    {TableFormat::Json, {"json", "JSON"}},
};
inline constexpr auto kTableFormatWords = teletraffic::ChoiceTable(kTableFormatRows);
inline constexpr teletraffic::ChoiceInfo kTableFormat{"format", kTableFormatWords};

struct TableRequest {
    // "lines" or "traffic": what the rows run over.
    std::string_view rows;
    std::string range;    // FROM:TO[:STEP], or a single value
    std::string blocking; // B1,B2,...
    std::string format;   // a word of kTableFormat, as typed
    int digits = 0;
};

// A table has at most this many rows.
inline constexpr long kMaxTableRows = 100000;

// Writes the table to `out`. Throws std::invalid_argument, whose message
// names the option, before writing anything.
void WriteTable(const TableRequest& request, std::ostream& out);

} // namespace cli
