// corvane-cli day (day_command.h): the options read and checked by the
// room's rules, the rows of --input read into the day's calls and schedule,
// the day planned by the room, each row written back with its interval's
// figures. Every row is read before any is answered: the day is one chain,
// each interval starting from the state the one before left.
#include "cli/day_command.h"

#include "cli/numbers.h"
#include "teletraffic/number_text.h"
#include "textio/csv.h"
#include "transient/day.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>

namespace cli {
namespace {

using Json = nlohmann::ordered_json;
using transient::Option;
namespace tt = teletraffic;

constexpr std::size_t kNoColumn = static_cast<std::size_t>(-1);
constexpr const char* kProgram = "corvane-cli";

// The room's argument under the name of a row of kOptions.
constexpr Use::Sense Day(Option option, std::string_view note = {}) {
    return {.note = note, .argument = &transient::About(option)};
}

const std::vector<Use>& Uses() {
    static const std::vector<Use> uses = {
        Required("interval", 15, Day(Option::Interval, "; each row of --input is one interval")),
        Required("aht", 240, Day(Option::Aht)),
        {"patience", Takes::Optional, 180, Day(Option::Patience)},
        Optional("lines", Day(Option::Lines)),
        {"target-time", Takes::Optional, 20, Day(Option::TargetTime, "; with --service-level")},
        {"service-level", Takes::OneOf, 0.8,
         Day(Option::ServiceLevel, "; with --target-time, or --average-wait in its place")},
        {"average-wait", Takes::OneOf, Inputs::kNotGiven, Day(Option::AverageWait)},
        Optional("shrinkage",
                 Day(Option::Shrinkage, ": agents to schedule for those on the phones")),
        Optional("max-occupancy", Day(Option::MaxOccupancy, "; staffing only")),
        Optional("method", Day(Option::Method, "; staffing only")),
        Optional("start", Day(Option::Start)),
    };
    return uses;
}

// The columns a day is read from, besides its label.
constexpr std::string_view kCalls = "calls";
constexpr std::string_view kSchedules[] = {"agents", "on-phones"};

// The words a total row's label is: the foot of an ACD export.
bool IsTotalLabel(std::string_view label) {
    const std::string word = tt::NormalWord(label);
    return word == "total" || word == "sum" || word == "合計" || word == "計";
}

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    return first == std::string_view::npos
               ? std::string()
               : std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

// What the command line asked.
struct Request {
    transient::DayInput day; // without calls or agents: the options
    Json options;            // those given, as JSON shows them
    std::string source;      // "--input day.csv"
    bool json = false;
    int digits = 0;
};

struct Row {
    textio::Record record;
    std::int64_t line = 0; // of the file, from 1
    bool blank = false;    // a blank line, passed through
    std::string label;
    double calls = 0;
    std::optional<double> agents;
    std::string problem; // why it cannot be read; empty when it can
};

struct Input {
    textio::Record header;
    bool byteOrderMark = false;
    std::size_t calls = kNoColumn, schedule = kNoColumn, label = kNoColumn;
    std::vector<Row> rows;
    std::vector<std::size_t> intervals; // the rows that are intervals, in order
};

// The header's columns: calls, a schedule, a label; refused where a column
// gives per row what the day takes once.
void MatchHeader(Input& input, const std::string& source) {
    const textio::Record& header = input.header;
    std::vector<std::string> keys;
    for (std::size_t c = 0; c < header.Size(); ++c) {
        keys.push_back(tt::NormalWord(header.Field(c)));
    }
    const auto only = [&](std::string_view name) {
        const auto count = std::count(keys.begin(), keys.end(), name);
        if (count > 1) {
            throw std::runtime_error(source + " has " + std::to_string(count) + " columns named " +
                                     std::string(name) + ": keep one");
        }
        return count == 1 ? static_cast<std::size_t>(std::find(keys.begin(), keys.end(), name) -
                                                     keys.begin())
                          : kNoColumn;
    };
    input.calls = only(kCalls);
    if (input.calls == kNoColumn) {
        const bool required = std::ranges::find(keys, "required") != keys.end();
        throw std::runtime_error(
            source + " has no column named calls: its first line must name the columns, as in " +
            "start,calls or start,calls,agents" +
            (required ? " (the coverage of shifts made from agents required has no calls: make "
                        "the shifts from calls)"
                      : ""));
    }
    for (const std::string_view name : kSchedules) {
        const std::size_t at = only(name);
        if (at != kNoColumn && input.schedule != kNoColumn) {
            throw std::runtime_error(source + " has both agents and on-phones: give one schedule");
        }
        input.schedule = at != kNoColumn ? at : input.schedule;
    }
    // An option of the day as a column would be one value a row, which the
    // chain has not: refused rather than left unread.
    for (const tt::ArgumentInfo& about : transient::kOptions) {
        const Option option = *transient::OptionOf(about);
        const bool read = option == Option::Calls || option == Option::Agents ||
                          option == Option::Start || option == Option::ServiceLevel;
        if (!read && std::ranges::find(keys, about.option) != keys.end()) {
            throw std::runtime_error(source + " has a column named " + std::string(about.option) +
                                     ": the day takes one --" + std::string(about.option) +
                                     " for all its intervals, on the command line (a column "
                                     "that labels the rows needs another name)");
        }
    }
    if (header.Size() > 0 && input.calls != 0 && input.schedule != 0) {
        input.label = 0;
    }
}

// Every row read, each interval's values or its problem; a total row at the
// foot taken out and checked, on `err`.
Input ReadInput(std::istream& in, const std::string& source, std::ostream& err) {
    Input input;
    textio::CsvReader reader(in);
    std::int64_t line = 1;
    try {
        if (!reader.Next(input.header)) {
            throw std::runtime_error(source + " is empty: its first line must name the columns");
        }
        line += 1 + std::count(input.header.raw.begin(), input.header.raw.end(), '\n');
        input.byteOrderMark = reader.HadByteOrderMark();
        MatchHeader(input, source);
        for (Row row; reader.Next(row.record);) {
            if (input.rows.size() == transient::kMaxIntervals) {
                throw std::runtime_error(source + " has more than " +
                                         std::to_string(transient::kMaxIntervals) +
                                         " rows: plan at most that many intervals at a time");
            }
            row.line = line;
            line += 1 + std::count(row.record.raw.begin(), row.record.raw.end(), '\n');
            input.rows.push_back(std::move(row));
            row = Row{};
        }
    } catch (const std::runtime_error& e) {
        const std::string what = e.what();
        throw std::runtime_error(what.starts_with(source) ? what : source + ": " + what);
    }
    const std::size_t columns = input.header.Size();
    const std::string scheduleName =
        input.schedule == kNoColumn ? "" : tt::NormalWord(input.header.Field(input.schedule));
    for (std::size_t r = 0; r < input.rows.size(); ++r) {
        Row& row = input.rows[r];
        const textio::Record& record = row.record;
        row.blank = record.raw.empty() && !record.unclosedQuote;
        if (row.blank) {
            continue;
        }
        input.intervals.push_back(r);
        if (record.unclosedQuote) {
            row.problem = "a quoted field is not closed";
            continue;
        }
        if (record.Size() != columns) {
            row.problem = "this row has " + std::to_string(record.Size()) + " fields, the header " +
                          std::to_string(columns);
            continue;
        }
        if (input.label != kNoColumn) {
            row.label = Trimmed(record.Field(input.label));
        }
        try {
            row.calls = ParseNumber(record.Field(input.calls), kCalls);
            if (input.schedule != kNoColumn) {
                const std::string_view field = record.Field(input.schedule);
                if (Trimmed(field).empty()) {
                    throw std::runtime_error(
                        source + " line " + std::to_string(row.line) + ": " + scheduleName +
                        " is empty: a schedule needs a count for every interval (leave the "
                        "column out to staff the day)");
                }
                row.agents = ParseNumber(field, scheduleName);
            }
        } catch (const std::invalid_argument& e) {
            row.problem = e.what();
        }
    }
    // A total row: at the foot, left out and checked; anywhere else, a row
    // the day cannot take.
    for (std::size_t k = 0; k < input.intervals.size(); ++k) {
        Row& row = input.rows[input.intervals[k]];
        if (!IsTotalLabel(row.label)) {
            continue;
        }
        if (k + 1 < input.intervals.size()) {
            row.problem = "a total row (" + row.label + ") before the day's end: leave it out";
            continue;
        }
        input.intervals.pop_back();
        std::string note = source + " line " + std::to_string(row.line) + ": the total row (" +
                           row.label + ") is left out of the day";
        const bool readable = std::ranges::all_of(
            input.intervals, [&](std::size_t i) { return input.rows[i].problem.empty(); });
        if (!readable || !row.problem.empty()) {
            note += "; not checked against the rows' sum, as some of them cannot be read";
        } else {
            const auto check = [&](std::string_view name, double total, auto value) {
                double sum = 0;
                for (const std::size_t i : input.intervals) {
                    sum += value(input.rows[i]);
                }
                const bool same = std::abs(total - sum) <= 1e-9 * std::max(1.0, std::abs(sum));
                note += same ? "; its " + std::string(name) + " are the rows' sum"
                             : "; its " + std::string(name) + ", " + number_text::Show(total) +
                                   ", are not the rows' sum, " + number_text::Show(sum);
            };
            check(kCalls, row.calls, [](const Row& r) { return r.calls; });
            if (row.agents) {
                check(scheduleName, *row.agents, [](const Row& r) { return r.agents.value_or(0); });
            }
        }
        err << kProgram << ": " << note << '\n';
    }
    if (input.intervals.empty()) {
        throw std::runtime_error(source + " has no interval: give one row of calls for each");
    }
    return input;
}

// What each column written is called: the figures, then error.
std::vector<std::string> WrittenColumns() {
    std::vector<std::string> names;
    for (const transient::FigureInfo& figure : transient::Figures()) {
        names.emplace_back(figure.kebab);
    }
    names.emplace_back("error");
    return names;
}

// A refusal of one interval's value, in the words of its column.
std::string RowWords(const transient::DayError& e, std::string_view column) {
    return std::string(column) + " must be " + e.rule() + ", got " + number_text::Show(e.value());
}

// A refusal of the day as a whole, in the words of the command line.
std::string DayWords(const transient::DayError& e, const std::string& source) {
    if (!std::isnan(e.value())) {
        return "--" + std::string(e.about().option) + " must be " + e.rule() + ", got " +
               number_text::Show(e.value());
    }
    if (e.option() == Option::Start) {
        return "--start periodic: " + std::string(e.what());
    }
    return source + ": " + e.what();
}

std::string IntervalName(const Input& input, std::size_t k) {
    const Row& row = input.rows[input.intervals[k]];
    std::string name = "interval " + std::to_string(k + 1);
    if (!row.label.empty()) {
        name += " (" + row.label + ")";
    }
    return name + ", line " + std::to_string(row.line);
}

void WriteCsv(const Input& input, const std::vector<std::string>& problems,
              const transient::DayResult* result, int digits, std::ostream& out, std::ostream& err,
              const std::string& source) {
    const textio::Record& header = input.header;
    const std::string_view lineEnd = header.lineEnd.empty() ? "\n" : header.lineEnd;
    const std::vector<std::string> written = WrittenColumns();
    std::string text;
    if (input.byteOrderMark) {
        text.append("\xEF\xBB\xBF");
    }
    // The input's columns as they came, but one named as a column written,
    // which is kept under another name.
    bool renamed = false;
    std::string said, as;
    std::string head;
    for (std::size_t c = 0; c < header.Size(); ++c) {
        const std::string key = tt::NormalWord(header.Field(c));
        const bool clash = std::ranges::find(written, key) != written.end();
        textio::AppendField(head.append(c > 0 ? "," : ""),
                            clash ? "input-" + key : std::string(header.Field(c)));
        renamed = renamed || clash;
        // The schedule's own column needs no word: its counts are the day's agents.
        if (clash && c != input.schedule) {
            said += (said.empty() ? "" : ", ") + key;
            as += (as.empty() ? "input-" : ", input-") + key;
        }
    }
    text.append(renamed ? head : header.raw);
    for (const std::string& name : written) {
        text.append(",").append(name);
    }
    text.append(lineEnd);
    if (!said.empty()) {
        err << kProgram << ": " << source << ": its " << said << " written as " << as
            << ", beside the day's own (read as no option of the day)\n";
    }
    std::size_t k = 0;
    for (std::size_t r = 0; r < input.rows.size(); ++r) {
        const Row& row = input.rows[r];
        const std::string_view end = row.record.lineEnd.empty() ? lineEnd : row.record.lineEnd;
        if (row.blank) {
            text.append(end);
            continue;
        }
        if (k >= input.intervals.size() || input.intervals[k] != r) {
            continue; // the total row
        }
        const textio::Record& record = row.record;
        if (record.Size() > header.Size()) {
            // Cut to the header's columns, so that the figures line up; the
            // error says how many there were.
            std::string cut;
            for (std::size_t c = 0; c < header.Size(); ++c) {
                textio::AppendField(cut.append(c > 0 ? "," : ""), record.Field(c));
            }
            text.append(cut);
        } else {
            text.append(record.raw);
            if (record.unclosedQuote) {
                text.push_back('"');
            }
            for (std::size_t c = std::max<std::size_t>(record.Size(), 1); c < header.Size(); ++c) {
                text.push_back(',');
            }
        }
        std::string error = problems[k];
        for (const transient::FigureInfo& figure : transient::Figures()) {
            text.push_back(',');
            if (result != nullptr) {
                const transient::IntervalFigures& f = result->intervals[k];
                const double value = transient::FigureValue(f, figure.figure);
                if (figure.count) {
                    text.append(std::to_string(static_cast<std::int64_t>(value)));
                } else {
                    number_text::Append(text, value, digits);
                }
                error = f.error;
            }
        }
        text.push_back(',');
        textio::AppendField(text, error);
        text.append(end);
        ++k;
    }
    out << text;
}

// A real figure as JSON has it: an infinite wait has no number there.
Json JsonReal(double value, int digits) {
    return std::isfinite(value) ? JsonNumber(value, digits) : Json(nullptr);
}

void WriteJson(const Request& request, const Input& input, const std::vector<std::string>& problems,
               const transient::DayResult* result, std::ostream& out) {
    const int digits = request.digits;
    Json json = request.options;
    if (input.schedule != kNoColumn) {
        json["schedule"] = tt::NormalWord(input.header.Field(input.schedule));
    }
    Json& intervals = json["intervals"] = Json::array();
    for (std::size_t k = 0; k < input.intervals.size(); ++k) {
        const Row& row = input.rows[input.intervals[k]];
        Json one;
        one["interval"] = k + 1;
        one["line"] = row.line;
        if (input.label != kNoColumn) {
            one["label"] = row.label;
        }
        one["calls"] = problems[k].empty() ? JsonNumber(row.calls, 0) : Json(nullptr);
        for (const transient::FigureInfo& figure : transient::Figures()) {
            Json& value = one[figure.kebab] = nullptr;
            if (result != nullptr) {
                const double v = transient::FigureValue(result->intervals[k], figure.figure);
                value = figure.count ? Json(static_cast<std::int64_t>(v)) : JsonReal(v, digits);
            }
        }
        one["error"] = result != nullptr ? result->intervals[k].error : problems[k];
        intervals.push_back(std::move(one));
    }
    if (result != nullptr) {
        const transient::DayTotals& t = result->totals;
        json["phone-hours"] = JsonNumber(t.phoneHours, digits);
        json["scheduled-hours"] = JsonNumber(t.scheduledHours, digits);
        json["day-service-level"] = JsonNumber(t.serviceLevel, digits);
        Json& missed = json["missed"] = Json::array();
        for (const int i : t.missed) {
            Json one{{"interval", i + 1}};
            if (input.label != kNoColumn) {
                one["label"] = input.rows[input.intervals[static_cast<std::size_t>(i)]].label;
            }
            missed.push_back(std::move(one));
        }
        if (request.day.start == transient::Start::Periodic) {
            json["periodic-days"] = result->periodicDays;
        }
    }
    // A label need not be UTF-8: its bad bytes shown as U+FFFD, never a throw.
    out << json.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

// Reads, plans and writes the day `request` asks for from `in`.
int Plan(const Request& request, std::istream& in, std::ostream& out, std::ostream& err) {
    const Input input = ReadInput(in, request.source, err);
    transient::DayInput day = request.day;
    const std::size_t count = input.intervals.size();
    std::vector<std::string> problems(count);
    if (input.schedule != kNoColumn) {
        day.agents.emplace();
    }
    for (std::size_t k = 0; k < count; ++k) {
        const Row& row = input.rows[input.intervals[k]];
        problems[k] = row.problem;
        // A row that cannot be read holds its place, so that the others' own
        // refusals are found too.
        day.calls.push_back(row.problem.empty() ? row.calls : 0);
        if (day.agents) {
            day.agents->push_back(row.problem.empty() ? row.agents.value_or(0) : 0);
        }
    }
    if (day.agents) {
        for (const char* option : {"method", "max-occupancy"}) {
            if (request.options.contains(option)) {
                throw std::runtime_error(
                    "--" + std::string(option) + " is for staffing: " + request.source +
                    " has a schedule (" + tt::NormalWord(input.header.Field(input.schedule)) +
                    "), which is judged as it stands");
            }
        }
    }
    const std::string scheduleName =
        input.schedule == kNoColumn ? "" : tt::NormalWord(input.header.Field(input.schedule));
    for (const transient::DayError& e : transient::Refusals(day)) {
        if (e.interval() < 0) {
            throw std::runtime_error(DayWords(e, request.source));
        }
        std::string& problem = problems[static_cast<std::size_t>(e.interval())];
        if (input.rows[input.intervals[static_cast<std::size_t>(e.interval())]].problem.empty()) {
            problem += (problem.empty() ? "" : "; ") +
                       RowWords(e, e.option() == Option::Agents ? scheduleName : kCalls);
        }
    }
    const auto refused = std::ranges::count_if(problems, [](const auto& p) { return !p.empty(); });
    if (refused > 0) {
        request.json ? WriteJson(request, input, problems, nullptr, out)
                     : WriteCsv(input, problems, nullptr, request.digits, out, err, request.source);
        const auto first = std::ranges::find_if(problems, [](const auto& p) { return !p.empty(); });
        const auto k = static_cast<std::size_t>(first - problems.begin());
        err << kProgram << ": " << request.source << ": " << refused << " of " << count
            << " intervals refused (each says why in its error), the first "
            << IntervalName(input, k) << ": " << *first
            << "; the day is not planned without them, as each interval carries the queue of the "
               "one before\n";
        return 1;
    }
    transient::DayResult result;
    try {
        result = transient::PlanDay(day);
    } catch (const transient::DayError& e) {
        throw std::runtime_error(DayWords(e, request.source));
    }
    request.json ? WriteJson(request, input, problems, &result, out)
                 : WriteCsv(input, problems, &result, request.digits, out, err, request.source);
    int status = 0;
    for (std::size_t k = 0; k < count; ++k) {
        if (!result.intervals[k].error.empty()) {
            err << kProgram << ": " << IntervalName(input, k)
                << " cannot be staffed as asked: " << result.intervals[k].error << '\n';
            status = 1;
        }
    }
    return status;
}

// The options given (texts parallel to Uses(), none where not given),
// checked by the room's rules and read into a request.
Request ReadOptions(const std::vector<std::optional<std::string>>& texts) {
    const std::vector<Use>& uses = Uses();
    Request request;
    request.options["command"] = "day";
    transient::DayInput& day = request.day;
    const auto given = [&](std::string_view name) {
        for (std::size_t i = 0; i < uses.size(); ++i) {
            if (uses[i].name.Text() == name) {
                return texts[i].has_value();
            }
        }
        return false;
    };
    for (std::size_t i = 0; i < uses.size(); ++i) {
        if (!texts[i]) {
            continue;
        }
        const Use& use = uses[i];
        const std::string key(use.name.Text());
        const Option option = *transient::OptionOf(ArgumentOf(use));
        if (option == Option::Method || option == Option::Start) {
            // Checked by its words as it was read (words.h).
            if (option == Option::Method) {
                day.method = *transient::ReadMethod(*texts[i]);
                request.options[key] = transient::Word(day.method);
            } else {
                day.start = *transient::ReadStart(*texts[i]);
                request.options[key] = transient::Word(day.start);
            }
            continue;
        }
        const double value = ParseNumber(*texts[i], "--" + key);
        const tt::Rule& rule = RuleOf(use);
        if (!rule.domain.Contains(value)) {
            throw std::invalid_argument("--" + key + " must be " + std::string(rule.text) +
                                        ", got " + number_text::Show(value));
        }
        request.options[key] = JsonNumber(value, 0);
        switch (option) {
        case Option::Interval:
            day.model.intervalMinutes = value;
            break;
        case Option::Aht:
            day.model.ahtSeconds = value;
            break;
        case Option::Patience:
            day.model.patienceSeconds = value;
            break;
        case Option::Lines:
            day.model.lines = value;
            break;
        case Option::TargetTime:
            day.targets.targetTimeSeconds = value;
            break;
        case Option::ServiceLevel:
            day.targets.serviceLevel = value;
            break;
        case Option::AverageWait:
            day.targets.averageWaitSeconds = value;
            break;
        case Option::Shrinkage:
            day.targets.shrinkage = value;
            break;
        case Option::MaxOccupancy:
            day.targets.maxOccupancy = value;
            break;
        default:
            break;
        }
    }
    const int targets = (given("service-level") ? 1 : 0) + (given("average-wait") ? 1 : 0);
    if (targets != 1) {
        throw std::invalid_argument("give exactly one of --service-level, --average-wait (" +
                                    std::to_string(targets) + " given)");
    }
    if (given("service-level") && !given("target-time")) {
        throw std::invalid_argument("--service-level needs --target-time: the time within which "
                                    "to answer");
    }
    if (given("target-time") && !given("service-level")) {
        throw std::invalid_argument("--target-time goes with --service-level, not with "
                                    "--average-wait");
    }
    return request;
}

// The example of --help: a short morning, and what the command prints for it.
std::string Example() {
    const std::string rows = "start,calls\n08:00,40\n08:15,160\n08:30,150\n08:45,60\n";
    std::string quoted = rows;
    for (std::size_t at = 0; (at = quoted.find('\n', at)) != std::string::npos; at += 2) {
        quoted.replace(at, 1, "\\n");
    }
    std::string line = "printf '" + quoted + "' |\n    " + kProgram + " day --input - --digits 4";
    std::vector<std::optional<std::string>> texts;
    for (const Use& use : Uses()) {
        texts.emplace_back();
        if (!std::isnan(use.example)) {
            texts.back() = number_text::Show(use.example);
            line.append(" --").append(use.name.Text()).append(" ").append(*texts.back());
        }
    }
    std::istringstream in(rows);
    std::ostringstream out, err;
    try {
        Request request = ReadOptions(texts);
        request.source = "--input -";
        request.digits = 4;
        Plan(request, in, out, err);
    } catch (const std::exception& e) {
        out << e.what() << '\n';
    }
    std::string shown;
    std::istringstream lines(out.str());
    for (std::string text; std::getline(lines, text);) {
        shown += "  " + text + "\n";
    }
    return "Example:\n  " + line + "\n" + shown +
           "\nExit status: 0 planned, 1 intervals refused or not staffed as asked (each says why "
           "in its error), 2 refused (see the message).\n";
}

} // namespace

std::span<const Use> DayOptions() {
    return Uses();
}

struct DayCommand::Given {
    CLI::App* app = nullptr;
    std::vector<CLI::Option*> options; // parallel to Uses()
    std::vector<std::string> texts;
    std::string input;
    bool json = false;
    int digits = 0;
};

DayCommand::DayCommand(CLI::App& app, std::vector<WordOption>& wordOptions)
    : given_(std::make_unique<Given>()) {
    Given& g = *given_;
    g.app = app.add_subcommand(
        "day", "A day whose queue carries over from interval to interval: each interval staffed "
               "with the fewest agents that meet the target from the state the one before left "
               "(or the usual or the lagged plan, or a schedule, judged so)");
    const std::vector<Use>& uses = Uses();
    g.texts.resize(uses.size());
    for (std::size_t i = 0; i < uses.size(); ++i) {
        const Use& use = uses[i];
        const std::string name = "--" + std::string(use.name.Text());
        const tt::ArgumentInfo& about = ArgumentOf(use);
        const tt::ChoiceInfo* choice = ChoiceNamed(about.choice);
        CLI::Option* option = choice != nullptr
                                  ? AddWords(*g.app, name, g.texts[i], Help(use), *choice,
                                             std::string(use.name.Of().value), wordOptions)
                                  : g.app->add_option(name, g.texts[i], Help(use))
                                        ->type_name(std::string(use.name.Of().value));
        if (use.takes == Takes::Required) {
            option->required();
        }
        g.options.push_back(option);
    }
    g.app
        ->add_option("--input", g.input,
                     "the day's intervals, one row each: a CSV file (- for standard input) with "
                     "a calls column, perhaps a label first and a schedule to evaluate (agents, "
                     "or the on-phones of corvane-cli shifts --coverage)")
        ->type_name("FILE")
        ->required();
    g.app->add_flag("--json", g.json, "print the options, the intervals and the day's totals");
    g.app->add_option("--digits", g.digits, "round real numbers to N significant digits")
        ->check(CLI::Range(1, 17))
        ->type_name("N");
    g.app->footer([] { return Example(); });
}

DayCommand::~DayCommand() = default;

bool DayCommand::Parsed() const {
    return given_->app->parsed();
}

int DayCommand::Answer(std::istream& in, std::ostream& out, std::ostream& err) const {
    const Given& g = *given_;
    std::vector<std::optional<std::string>> texts;
    for (std::size_t i = 0; i < g.options.size(); ++i) {
        texts.push_back(g.options[i]->count() > 0 ? std::optional(g.texts[i]) : std::nullopt);
    }
    Request request = ReadOptions(texts);
    request.source = "--input " + g.input;
    request.json = g.json;
    request.digits = g.digits;
    if (g.input == "-") {
        return Plan(request, in, out, err);
    }
    std::ifstream file(g.input, std::ios::binary);
    if (!file) {
        throw std::runtime_error(request.source +
                                 " cannot be opened: " + std::generic_category().message(errno));
    }
    return Plan(request, file, out, err);
}

} // namespace cli
