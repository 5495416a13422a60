#include "cli/table.h"

#include "cli/commands.h"
#include "cli/numbers.h"
#include "teletraffic/erlang_b.h"
#include "teletraffic/number_text.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace cli {
namespace {

// The format asked for: checked as the command line read it, text when none was.
TableFormat Format(const TableRequest& request) {
    return static_cast<TableFormat>(
        teletraffic::ParseWord(kTableFormat, request.format).value_or(0));
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(at + 1);
    }
}

std::vector<double> Range(std::string_view name, std::string_view text) {
    const std::vector<std::string_view> parts = Split(text, ':');
    const std::string what = std::string(name) + " \"" + std::string(text) + "\"";
    if (parts.size() > 3) {
        throw std::invalid_argument(what + " is not a range: write FROM:TO or FROM:TO:STEP");
    }
    const double from = ParseNumber(parts[0], name);
    const double to = parts.size() > 1 ? ParseNumber(parts[1], name) : from;
    const double step = parts.size() > 2 ? ParseNumber(parts[2], name) : 1;
    if (to < from) {
        throw std::invalid_argument(what + " runs backwards: FROM must not be above TO");
    }
    if (!(step > 0)) {
        throw std::invalid_argument(what + " has a step that is not above 0");
    }
    // A step that divides the range up to rounding still reaches TO.
    const double steps = std::floor((to - from) / step * (1 + 1e-12));
    if (steps >= kMaxTableRows) {
        throw std::invalid_argument(what + " makes more than " + std::to_string(kMaxTableRows) +
                                    " rows");
    }
    std::vector<double> values;
    for (long i = 0; i <= static_cast<long>(steps); ++i) {
        // 0.1 * 3 is 0.30000000000000004: 15 digits give back the 0.3 meant.
        values.push_back(number_text::Rounded(from + static_cast<double>(i) * step, 15));
    }
    return values;
}

std::vector<double> List(std::string_view name, std::string_view text) {
    std::vector<double> values;
    for (const std::string_view part : Split(text, ',')) {
        values.push_back(ParseNumber(part, name));
    }
    return values;
}

// Cells as text, the header first, for the text, CSV and Markdown formats.
using Grid = std::vector<std::vector<std::string>>;

void WriteAligned(const Grid& grid, std::ostream& out) {
    std::vector<std::size_t> widths(grid.front().size());
    for (const auto& row : grid) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], row[c].size());
        }
    }
    for (const auto& row : grid) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            line.append(c == 0 ? 0 : 2, ' ').append(widths[c] - row[c].size(), ' ').append(row[c]);
        }
        out << line << '\n';
    }
}

void WriteMarkdown(const Grid& grid, std::ostream& out) {
    for (std::size_t r = 0; r < grid.size(); ++r) {
        for (const std::string& cell : grid[r]) {
            out << "| " << cell << ' ';
        }
        out << "|\n";
        if (r == 0) {
            for (std::size_t c = 0; c < grid[r].size(); ++c) {
                out << "| ---: ";
            }
            out << "|\n";
        }
    }
}

void WriteCsv(const Grid& grid, std::ostream& out) {
    for (const auto& row : grid) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            out << (c == 0 ? "" : ",") << row[c];
        }
        out << '\n';
    }
}

} // namespace

void WriteTable(const TableRequest& request, std::ostream& out) {
    const bool overLines = request.rows == "lines";
    const std::string rowsOption = "--" + std::string(request.rows);
    const std::vector<double> rows = Range(rowsOption, request.range);
    const std::vector<double> targets = List("--blocking", request.blocking);

    // Every cell first, so that an input outside the domain stops the table
    // before any of it is written.
    std::vector<std::vector<Answer>> cells(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (const double target : targets) {
            try {
                cells[r].push_back(
                    overLines ? Answer{.real = teletraffic::ErlangBTraffic(rows[r], target)}
                              : Answer{.count = teletraffic::ErlangBLines(rows[r], target),
                                       .isCount = true});
            } catch (const teletraffic::DomainError& e) {
                const Named named[] = {{request.rows, rows[r], rowsOption},
                                       {"blocking", target, "--blocking"}};
                throw std::invalid_argument(Worded(e, named));
            }
        }
    }

    if (Format(request) == TableFormat::Json) {
        nlohmann::ordered_json json;
        for (const double row : rows) {
            json[std::string(request.rows)].push_back(JsonNumber(row, 0));
        }
        for (const double target : targets) {
            json["blocking"].push_back(JsonNumber(target, 0));
        }
        nlohmann::ordered_json& body = json[overLines ? "traffic" : "lines"];
        for (const auto& row : cells) {
            nlohmann::ordered_json& line = body.emplace_back(nlohmann::ordered_json::array());
            for (const Answer& cell : row) {
                line.push_back(cell.isCount ? nlohmann::ordered_json(cell.count)
                                            : JsonNumber(cell.real, request.digits));
            }
        }
        out << json.dump(2) << '\n';
        return;
    }

    Grid grid{{std::string(request.rows)}};
    for (const double target : targets) {
        number_text::Append(grid[0].emplace_back(), target);
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::vector<std::string>& line = grid.emplace_back();
        number_text::Append(line.emplace_back(), rows[r]);
        for (const Answer& cell : cells[r]) {
            AppendAnswer(line.emplace_back(), cell, request.digits);
        }
    }
    if (Format(request) == TableFormat::Csv) {
        WriteCsv(grid, out);
    } else if (Format(request) == TableFormat::Markdown) {
        WriteMarkdown(grid, out);
    } else {
        WriteAligned(grid, out);
    }
}

} // namespace cli
