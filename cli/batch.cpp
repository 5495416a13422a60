#include "cli/batch.h"

#include "cli/numbers.h"
#include "teletraffic/error.h"
#include "teletraffic/number_text.h"
#include "textio/csv.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace cli {
namespace {

using textio::AppendField;
using textio::CsvReader;
using textio::Record;

constexpr std::size_t kOutputChunk = std::size_t{1} << 16;
constexpr std::size_t kNoColumn = static_cast<std::size_t>(-1);
// Rows read before they are answered: the memory a batch holds.
constexpr std::size_t kBlockRows = 4096;
// Fewer rows than this are not worth a thread of their own.
constexpr std::size_t kMinShare = 64;

struct Result {
    Answer answer;
    std::string problem; // empty when answered
    std::string total;   // a total row's label
};

// The words a total row is labelled with, as a field reads them.
bool IsTotal(std::string_view field) {
    static constexpr std::string_view kTotals[] = {"合計",  "総計",        "小計", "計",
                                                   "total", "grand-total", "sum"};
    const std::string word = teletraffic::NormalWord(field);
    return std::ranges::find(kTotals, word) != std::end(kTotals);
}

// A column whose rows add up to a total row's: the calls or the traffic.
struct Summed {
    std::string_view name;
    std::size_t column;
    double sum = 0;
    std::int64_t rows = 0;
    std::int64_t unread = 0; // rows without a number in it
};

// A number as a field writes it, and the decimals it is written with.
std::optional<std::pair<double, int>> Written(std::string_view field) {
    const number_text::Reading reading = number_text::Read(field);
    if (!reading.ok()) {
        return std::nullopt;
    }
    const auto point = field.find('.');
    int decimals = 0;
    for (std::size_t i = point == std::string_view::npos ? field.size() : point + 1;
         i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
        ++decimals;
    }
    return std::pair{reading.value, decimals};
}

// What a total row says of the rows above it, and starts them again.
std::string TotalNote(const Record& row, std::vector<Summed>& summed) {
    std::string note = "a total row, left out";
    bool checked = false;
    for (Summed& column : summed) {
        const auto total =
            column.column < row.Size() ? Written(row.Field(column.column)) : std::nullopt;
        if (total) {
            std::string count;
            number_text::Append(count, total->first);
            std::string sum;
            number_text::Append(sum, column.sum);
            const std::string rows = column.rows == 0 ? "no rows above"
                                     : column.rows == 1
                                         ? "1 row above"
                                         : std::to_string(column.rows) + " rows above";
            // To the digits the total is written in: a spreadsheet shows a
            // sum of decimals rounded.
            const double half = 0.5 * std::pow(10.0, -total->second);
            const bool matches =
                std::fabs(total->first - column.sum) <= half + 1e-9 * std::fabs(column.sum);
            note.append(checked ? "; " : ": ")
                .append(column.name)
                .append(" ")
                .append(count)
                .append(matches ? " is the sum of the " + rows
                        : column.rows == 0
                            ? ", with " + rows + " since the last total"
                            : ", but the " + rows + (column.rows == 1 ? " sums to " : " sum to ") +
                                  sum)
                // A spreadsheet's sum leaves out a cell that is no number, as this one does.
                .append(column.unread > 0 ? " (leaving out " + std::to_string(column.unread) +
                                                " without a number)"
                                          : "");
            checked = true;
        }
        column.sum = 0;
        column.rows = 0;
        column.unread = 0;
    }
    return note;
}

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

// Where each option of `command` is found in the header, or kNoColumn for
// one given on the command line or not at all.
std::vector<std::size_t> MatchHeader(const Command& command, const Record& header,
                                     std::span<const std::optional<double>> fixed,
                                     const std::string& source) {
    std::vector<std::string> keys;
    for (std::size_t c = 0; c < header.Size(); ++c) {
        keys.push_back(ColumnKey(header.Field(c)));
    }
    const auto columnsNamed = [&keys](std::string_view name) {
        return std::count(keys.begin(), keys.end(), name);
    };
    const auto present = [&](std::string_view name) {
        for (std::size_t i = 0; i < command.options.size(); ++i) {
            if (!name.empty() && command.options[i].name.Text() == name) {
                return fixed[i] || columnsNamed(name) > 0;
            }
        }
        return false;
    };
    std::vector<std::size_t> columns;
    for (std::size_t i = 0; i < command.options.size(); ++i) {
        const Use& use = command.options[i];
        const std::string name(use.name.Text());
        // An optional column may be left out, as may one whose stand-in is there.
        const bool needed = use.takes == Takes::Required &&
                            std::ranges::none_of(StandIns(command, use.name), present);
        const auto count = columnsNamed(name);
        if (count > 1) {
            throw std::runtime_error(source + " has " + std::to_string(count) + " columns named " +
                                     name + ": keep one");
        }
        if (count == 1 && fixed[i]) {
            throw std::runtime_error("--" + name +
                                     " is given both on the command line and as a column of " +
                                     source + ": give it once");
        }
        if (count == 0 && !fixed[i] && needed) {
            std::string names;
            for (const Use& other : command.options) {
                if (other.takes != Takes::Optional) {
                    names.append(names.empty() ? "" : ",").append(other.name.Text());
                }
            }
            throw std::runtime_error(source + " has no column named " + name +
                                     ": its first line must name the columns, as in " + names +
                                     ", or give --" + name + " for every row");
        }
        columns.push_back(count == 1 ? static_cast<std::size_t>(
                                           std::find(keys.begin(), keys.end(), name) - keys.begin())
                                     : kNoColumn);
    }
    // Of the ways of stating one quantity, each row may give its own, but one
    // given on the command line holds for every row, and the file then gives
    // no other; and at least one must be there.
    const auto at = [&](std::size_t i) { return columns[i] != kNoColumn || fixed[i]; };
    bool fixedOne = false;
    bool any = false;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (command.options[i].takes == Takes::OneOf) {
            fixedOne = fixedOne || fixed[i];
            any = any || at(i);
        }
    }
    if (fixedOne || !any) {
        CheckOneOf(command, at, [&](std::size_t i) {
            return "--" + std::string(command.options[i].name.Text());
        });
    }
    return columns;
}

// A word option's word read from a field, as the registry reads it: the
// value of its choice's enum.
double ReadWord(Name name, std::string_view field) {
    if (const auto at = teletraffic::ParseWord(*name.Choice(), field)) {
        return static_cast<double>(*at);
    }
    const auto first = field.find_first_not_of(" \t");
    const std::string_view word =
        first == std::string_view::npos
            ? std::string_view()
            : field.substr(first, field.find_last_not_of(" \t") - first + 1);
    throw std::invalid_argument(std::string(name.Text()) + " \"" + std::string(word) +
                                "\" is not " + teletraffic::WordList(*name.Choice()));
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

bool AnswerCsv(const Command& command, std::span<const std::optional<double>> fixed,
               const BatchRequest& request, std::istream& in, std::ostream& out) {
    const std::string& source = request.name;
    CsvReader reader(in);
    Record header;
    bool any = false;
    try {
        any = reader.Next(header);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(source + ": " + e.what());
    }
    if (!any) {
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

    const std::vector<Use>& uses = command.options;
    std::vector<std::string> names; // as the user gave each option: option or column
    for (std::size_t i = 0; i < uses.size(); ++i) {
        names.push_back((columns[i] == kNoColumn ? "--" : "") + std::string(uses[i].name.Text()));
    }
    // The fields outside the options' columns, where a total row says it is one.
    std::vector<bool> optionColumn(header.Size());
    for (const std::size_t column : columns) {
        if (column != kNoColumn) {
            optionColumn[column] = true;
        }
    }
    std::vector<Summed> summed;
    for (std::size_t i = 0; i < uses.size(); ++i) {
        const std::string_view name = uses[i].name.Text();
        if (columns[i] != kNoColumn && (name == "calls" || name == "traffic")) {
            summed.push_back({name, columns[i]});
        }
    }
    const auto answer = [&](const Record& row, Result& result) {
        result.problem.clear();
        result.total.clear();
        for (std::size_t c = 0; c < row.Size() && c < header.Size(); ++c) {
            if (!optionColumn[c] && IsTotal(row.Field(c))) {
                result.total = row.Field(c);
                return;
            }
        }
        if (row.unclosedQuote) {
            result.problem = "a quoted field is not closed";
            return;
        }
        if (row.Size() != header.Size()) {
            result.problem = "this row has " + std::to_string(row.Size()) + " fields, the header " +
                             std::to_string(header.Size());
            return;
        }
        const auto blank = [&](std::size_t i) {
            return row.Field(columns[i]).find_first_not_of(" \t") == std::string_view::npos;
        };
        // Whether the row gives the option, on the command line or in its column.
        const auto givenHere = [&](std::string_view option) {
            const auto i = static_cast<std::size_t>(
                std::ranges::find(uses, option, [](const Use& use) { return use.name.Text(); }) -
                uses.begin());
            return i < uses.size() && (fixed[i] || (columns[i] != kNoColumn && !blank(i)));
        };
        Inputs in;
        try {
            for (std::size_t i = 0; i < uses.size(); ++i) {
                const Name name = uses[i].name;
                if (columns[i] == kNoColumn) {
                    in.Set(name, fixed[i].value_or(Inputs::kNotGiven));
                    continue;
                }
                // A required option is left out of a row that gives what stands in for it.
                if (blank(i) && (uses[i].takes != Takes::Required ||
                                 std::ranges::any_of(StandIns(command, name), givenHere))) {
                    continue; // not given in this row
                }
                const std::string_view field = row.Field(columns[i]);
                in.Set(name,
                       name.IsWord() ? ReadWord(name, field) : ParseNumber(field, name.Text()));
            }
            CheckOneOf(
                command, [&](std::size_t i) { return in.Given(uses[i].name); },
                [&](std::size_t i) {
                    return columns[i] != kNoColumn || fixed[i] ? names[i] : std::string();
                });
        } catch (const std::exception& e) {
            result.problem = e.what();
            return;
        }
        const Inputs given = in; // as given, before Solve works out the rest
        try {
            result.answer = Solve(command, in);
        } catch (const teletraffic::DomainError& e) {
            std::vector<Named> named;
            for (std::size_t i = 0; i < uses.size(); ++i) {
                named.push_back({uses[i].name.Text(), given[uses[i].name], names[i]});
            }
            result.problem = Worded(e, named);
        } catch (const std::exception& e) {
            result.problem = e.what();
        }
    };

    // Rows go through in blocks: read, answered on several threads (the engine
    // takes most of the time), then written in their order.
    const std::size_t workers = request.threads > 0
                                    ? request.threads
                                    : std::clamp(std::thread::hardware_concurrency(), 1U, 16U);
    std::vector<Record> rows(kBlockRows);
    std::vector<Result> results(kBlockRows);
    bool allAnswered = true;
    std::int64_t written = 0;
    std::string readError; // why the input stopped before its end
    for (bool more = true; more;) {
        std::size_t count = 0;
        try {
            while (count < kBlockRows && (more = reader.Next(rows[count]))) {
                ++count;
            }
        } catch (const std::runtime_error& e) {
            // The record being read is dropped; those before it go out.
            readError = e.what();
            more = false;
        }
        const auto answerRange = [&](std::size_t begin, std::size_t end) {
            for (std::size_t r = begin; r < end; ++r) {
                answer(rows[r], results[r]);
            }
        };
        const std::size_t share = std::max(kMinShare, (count + workers - 1) / workers);
        {
            std::vector<std::jthread> threads;
            for (std::size_t begin = share; begin < count; begin += share) {
                threads.emplace_back(answerRange, begin, std::min(begin + share, count));
            }
            answerRange(0, std::min(share, count));
        }

        for (std::size_t r = 0; r < count; ++r) {
            const Record& row = rows[r];
            const Result& result = results[r];
            if (row.raw.empty() && !row.unclosedQuote) {
                text.append(row.lineEnd.empty() ? lineEnd : row.lineEnd); // a blank line
                continue;
            }
            if (result.total.empty()) {
                // Every row adds to the next total, answered or not.
                for (Summed& column : summed) {
                    const auto value = column.column < row.Size()
                                           ? Written(row.Field(column.column))
                                           : std::nullopt;
                    column.sum += value ? value->first : 0;
                    column.rows += 1;
                    column.unread += value ? 0 : 1;
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
            if (!result.total.empty()) {
                const std::string note = TotalNote(row, summed);
                AppendField(text, note);
                text.push_back(',');
                if (request.notes != nullptr) {
                    *request.notes << source << ": the row " << result.total << " is " << note
                                   << '\n';
                }
            } else if (result.problem.empty()) {
                text.push_back(',');
                AppendAnswer(text, result.answer, request.digits);
            } else {
                allAnswered = false;
                AppendField(text, result.problem);
                text.push_back(',');
            }
            text.append(row.lineEnd.empty() ? lineEnd : row.lineEnd);
            ++written;
            output.FlushIfFull();
        }
    }
    output.Flush();
    if (!readError.empty()) {
        throw std::runtime_error(source + ": " + readError + "; stopped there, after the " +
                                 std::to_string(written) +
                                 " rows before it, each written whole with its answer");
    }
    return allAnswered;
}

} // namespace cli
