#include "cli/batch.h"

#include "cli/csv.h"
#include "cli/numbers.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli {
namespace {

constexpr std::size_t kOutputChunk = std::size_t{1} << 16;
constexpr std::size_t kNoColumn = static_cast<std::size_t>(-1);

// "Target time", "target_time" and " TARGET-TIME " all name --target-time.
std::string ColumnKey(std::string_view name) {
    const auto first = name.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    name = name.substr(first, name.find_last_not_of(" \t") - first + 1);
    std::string key;
    for (const char c : name) {
        key.push_back(c == '_' || c == ' '
                          ? '-'
                          : static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    return key;
}

// Where each input of `command` is found in the header, or kNoColumn for one
// given on the command line.
std::vector<std::size_t> MatchHeader(const Command& command, const Record& header,
                                     std::span<const std::optional<double>> fixed,
                                     const std::string& source) {
    std::vector<std::string> keys;
    for (std::size_t c = 0; c < header.Size(); ++c) {
        keys.push_back(ColumnKey(header.Field(c)));
    }
    std::vector<std::size_t> columns;
    for (std::size_t i = 0; i < command.inputs.size(); ++i) {
        const std::string name(command.inputs[i]);
        const auto count = std::count(keys.begin(), keys.end(), name);
        if (count > 1) {
            throw std::runtime_error(source + " has " + std::to_string(count) + " columns named " +
                                     name + ": keep one");
        }
        if (count == 1 && fixed[i]) {
            throw std::runtime_error("--" + name +
                                     " is given both on the command line and as a column of " +
                                     source + ": give it once");
        }
        if (count == 0 && !fixed[i]) {
            std::string names;
            for (const std::string_view input : command.inputs) {
                names.append(names.empty() ? "" : ",").append(input);
            }
            throw std::runtime_error(source + " has no column named " + name +
                                     ": its first line must name the columns, as in " + names +
                                     ", or give --" + name + " for every row");
        }
        columns.push_back(count == 1 ? static_cast<std::size_t>(
                                           std::find(keys.begin(), keys.end(), name) - keys.begin())
                                     : kNoColumn);
    }
    return columns;
}

class Output {
public:
    explicit Output(std::ostream& out)
        : out_(out) {
        text_.reserve(kOutputChunk + 4096);
    }
    std::string& Text() { return text_; }
    void FlushIfFull() {
        if (text_.size() >= kOutputChunk) {
            Flush();
        }
    }
    void Flush() {
        out_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
        text_.clear();
        if (!out_) {
            throw std::runtime_error("the output cannot be written");
        }
    }

private:
    std::ostream& out_;
    std::string text_;
};

} // namespace

bool AnswerCsv(const Command& command, std::span<const std::optional<double>> fixed, int digits,
               std::istream& in, std::string_view name, std::ostream& out) {
    const std::string source(name);
    CsvReader reader(in);
    const auto next = [&](Record& record) {
        try {
            return reader.Next(record);
        } catch (const std::runtime_error& e) {
            throw std::runtime_error(source + ": " + e.what());
        }
    };
    Record header;
    if (!next(header)) {
        throw std::runtime_error(source + " is empty: its first line must name the columns");
    }
    const std::vector<std::size_t> columns = MatchHeader(command, header, fixed, source);
    // Rows without a line end of their own (the last one) get the header's.
    const std::string_view lineEnd = header.lineEnd.empty() ? "\n" : header.lineEnd;

    Output output(out);
    std::string& text = output.Text();
    if (reader.HadByteOrderMark()) {
        text.append("\xEF\xBB\xBF");
    }
    text.append(header.raw).append(",error,").append(command.answer).append(lineEnd);

    bool allAnswered = true;
    std::vector<double> values(command.inputs.size());
    std::string problem;
    Record row;
    while (next(row)) {
        if (row.raw.empty() && !row.unclosedQuote) {
            text.append(row.lineEnd.empty() ? lineEnd : row.lineEnd);
            continue;
        }
        problem.clear();
        Answer answer;
        if (row.unclosedQuote) {
            problem = "a quoted field is not closed";
        } else if (row.Size() != header.Size()) {
            problem = "this row has " + std::to_string(row.Size()) + " fields, the header " +
                      std::to_string(header.Size());
        } else {
            try {
                for (std::size_t i = 0; i < values.size(); ++i) {
                    values[i] = columns[i] == kNoColumn
                                    ? *fixed[i]
                                    : ParseNumber(row.Field(columns[i]), command.inputs[i]);
                }
                answer = Solve(command, values);
            } catch (const std::exception& e) {
                problem = e.what();
            }
        }

        text.append(row.raw);
        if (row.unclosedQuote) {
            text.push_back('"');
        }
        // Short rows are filled out so that the added columns line up.
        for (std::size_t c = row.Size(); c < header.Size(); ++c) {
            text.push_back(',');
        }
        text.push_back(',');
        if (problem.empty()) {
            text.push_back(',');
            AppendAnswer(text, answer, digits);
        } else {
            allAnswered = false;
            AppendField(text, problem);
            text.push_back(',');
        }
        text.append(row.lineEnd.empty() ? lineEnd : row.lineEnd);
        output.FlushIfFull();
    }
    output.Flush();
    return allAnswered;
}

} // namespace cli
