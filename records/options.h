// What a reading of call records is asked, in the registry's form
// (teletraffic/arguments.h): one row per option (its words, its option and
// Python keyword, its unit, the rule that refuses it and what it does), the
// room's rules, and its word choices (the formats, the holding, what is
// printed). The front ends (corvane-cli records, corvane.read_records, the
// Tables tab 通話記録) derive their flags, keywords, help and messages from
// these rows; beside them the room says what the registry's rows do not: how
// each value is written, its default and when it is used (OptionTable).
// SetOption (option_text.h) sets an option from its text, so that each front
// end only passes text through and words the OptionError it gets back in its
// own names for the options.
#pragma once

#include "teletraffic/arguments.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace records {

enum class Format { Auto, Asterisk, FreeSwitch, Cucm, Csv };
enum class Holding { Seizure, Answered };
enum class Per { Period, Day, Summary };

// What the files are and how their rows become calls.
struct ReadOptions {
    Format format = Format::Auto;
    std::string timezone; // IANA name; "" for the system's zone
    int interval = 15;    // minutes, dividing 60
    std::string trunk;    // a glob over Asterisk's channel and dstchannel; "" for every call
    Holding holding = Holding::Seizure;
    // Any CSV with a header: its columns by name.
    std::string startColumn, endColumn, durationColumn, answerColumn, callIdColumn;
    std::string timeFormat; // strftime directives; "" for ISO 8601 or epoch seconds
    bool strict = false;    // stop at the first refused row
    // How long before the latest end read a row may still end and be merged
    // with the rows of its call, and how long a call's rows may lie apart.
    int windowMinutes = 120;
    int jobs = 1; // files parsed at once
};

// What is made of the periods' sums.
struct SummaryOptions {
    std::optional<std::int64_t> from, to; // local days since 1970
    int normalDays = 30;
    int highDays = 5;
    double blocking = 0.01;
    double highBlocking = 0.07;
    std::optional<double> lines;         // the measured group's size
    std::optional<int> fixedHourMinutes; // after local midnight
};

struct Options {
    ReadOptions read;
    SummaryOptions summary;
    Per per = Per::Period;
    bool json = false;
};

// Every option, in the order a help lists them.
enum class Option {
    Format,
    Timezone,
    Interval,
    Trunk,
    Holding,
    StartColumn,
    EndColumn,
    DurationColumn,
    AnswerColumn,
    CallIdColumn,
    TimeFormat,
    Strict,
    Window,
    Jobs,
    From,
    To,
    NormalDays,
    HighDays,
    Blocking,
    HighBlocking,
    Lines,
    FixedHour,
    Per,
    Json,
};
inline constexpr std::size_t kOptionCount = static_cast<std::size_t>(Option::Json) + 1;

// The room's rules. A rule over text has an empty domain: what it accepts is
// said by its words and checked by SetOption.
namespace rules {
using teletraffic::Rule;
inline constexpr Rule kInterval{{1, 60, false, false, true},
                                "a whole number of minutes dividing 60"};
inline constexpr Rule kZone{{0, 0}, "an IANA time zone such as Europe/Berlin"};
inline constexpr Rule kGlob{{0, 0}, "a glob (* ? [...])"};
inline constexpr Rule kColumn{{0, 0}, "a column named in the header"};
inline constexpr Rule kTimeFormat{{0, 0}, "strptime directives such as %d/%m/%Y %H:%M:%S"};
inline constexpr Rule kFlag{{0, 0}, "true or false"};
inline constexpr Rule kWindow{{1, 525'600, false, false, true},
                              "a whole number of minutes from 1 to 525600"};
inline constexpr Rule kJobs{{1, 256, false, false, true}, "a whole number from 1 to 256"};
inline constexpr Rule kDate{{0, 0}, "a date YYYY-MM-DD"};
inline constexpr Rule kDays{{1, 100'000, false, false, true}, "a whole number from 1 to 100000"};
// Erlang B's blocking targets, as the engine takes them.
inline constexpr const Rule& kBlocking = teletraffic::rules::kBlocking;
inline constexpr Rule kGroupLines{{0, teletraffic::kMaxLines, true, false},
                                  "a number of lines above 0, up to 2e9"};
inline constexpr Rule kFixedHour{{0, 0}, "HH:MM on a period boundary, 23:00 at the latest"};
} // namespace rules

// The room's rules by name, beside the engine's (teletraffic::kRuleNames).
inline constexpr std::pair<std::string_view, const teletraffic::Rule*> kRuleNames[] = {
    {"records_interval", &rules::kInterval},
    {"time_zone", &rules::kZone},
    {"glob", &rules::kGlob},
    {"column", &rules::kColumn},
    {"time_format", &rules::kTimeFormat},
    {"flag", &rules::kFlag},
    {"window", &rules::kWindow},
    {"jobs", &rules::kJobs},
    {"date", &rules::kDate},
    {"days", &rules::kDays},
    {"group_lines", &rules::kGroupLines},
    {"fixed_hour", &rules::kFixedHour},
};

namespace choices {
using teletraffic::ChoiceRow;
inline constexpr ChoiceRow<Format> kFormatRows[] = {
    {Format::Auto, {"auto", "the format the first line shows, said with the answer"}},
    {Format::Asterisk, {"asterisk", "Asterisk's Master.csv"}},
    {Format::FreeSwitch, {"freeswitch", "FreeSWITCH's mod_cdr_csv default template"}},
    {Format::Cucm, {"cucm", "Cisco CUCM's CDR files"}},
    {Format::Csv, {"csv", "any CSV file with a header, by the columns the options name"}},
};
inline constexpr auto kFormat = teletraffic::ChoiceTable(kFormatRows);
inline constexpr ChoiceRow<Holding> kHoldingRows[] = {
    {Holding::Seizure, {"seizure", "from the start to the end: a trunk is held while it rings"}},
    {Holding::Answered, {"answered", "from the answer to the end: talk time"}},
};
inline constexpr auto kHolding = teletraffic::ChoiceTable(kHoldingRows);
inline constexpr ChoiceRow<Per> kPerRows[] = {
    {Per::Period, {"period", "one CSV row per read-out period"}},
    {Per::Day, {"day", "one CSV row per day"}},
    {Per::Summary, {"summary", "the figures over the days"}},
};
inline constexpr auto kPer = teletraffic::ChoiceTable(kPerRows);
} // namespace choices

inline constexpr teletraffic::ChoiceInfo kChoices[] = {
    {"format", choices::kFormat},
    {"holding", choices::kHolding},
    {"per", choices::kPer},
};

inline constexpr teletraffic::ArgumentRow<Option> kOptionRows[] = {
    {Option::Format,
     {"format", "format", "format", teletraffic::Unit::Word, &teletraffic::rules::kWord,
      "what wrote the files", "format"}},
    {Option::Timezone,
     {"time zone", "timezone", "timezone", teletraffic::Unit::Word, &rules::kZone,
      "the zone of local times without an offset, and of the periods and days; the system's "
      "by default"}},
    {Option::Interval,
     {"interval", "interval", "interval", teletraffic::Unit::Minutes, &rules::kInterval,
      "minutes in a read-out period"}},
    {Option::Trunk,
     {"trunk", "trunk", "trunk", teletraffic::Unit::Word, &rules::kGlob,
      "count seizures of the Asterisk channels matching this glob (channel or dstchannel), "
      "e.g. PJSIP/carrier-*"}},
    {Option::Holding,
     {"holding", "holding", "holding", teletraffic::Unit::Word, &teletraffic::rules::kWord,
      "what a call holds", "holding"}},
    {Option::StartColumn,
     {"start column", "start-column", "start_column", teletraffic::Unit::Word, &rules::kColumn,
      "csv: the column of the seizure's start"}},
    {Option::EndColumn,
     {"end column", "end-column", "end_column", teletraffic::Unit::Word, &rules::kColumn,
      "csv: the column of the call's end"}},
    {Option::DurationColumn,
     {"duration column", "duration-column", "duration_column", teletraffic::Unit::Word,
      &rules::kColumn, "csv: the column of the holding in seconds, where there is no end"}},
    {Option::AnswerColumn,
     {"answer column", "answer-column", "answer_column", teletraffic::Unit::Word, &rules::kColumn,
      "csv: the column of the answer time"}},
    {Option::CallIdColumn,
     {"call id column", "call-id-column", "call_id_column", teletraffic::Unit::Word,
      &rules::kColumn, "csv: rows sharing this column are one call"}},
    {Option::TimeFormat,
     {"time format", "time-format", "time_format", teletraffic::Unit::Word, &rules::kTimeFormat,
      "csv: how the times are written (whole seconds); ISO 8601 or epoch seconds without it"}},
    {Option::Strict,
     {"strict", "strict", "strict", teletraffic::Unit::Word, &rules::kFlag,
      "stop at the first refused row"}},
    {Option::Window,
     {"window", "window", "window", teletraffic::Unit::Minutes, &rules::kWindow,
      "minutes a row may end before the latest end read and still join its call"}},
    {Option::Jobs,
     {"jobs", "jobs", "jobs", teletraffic::Unit::Count, &rules::kJobs,
      "files read at once, with the same answers as one at a time"}},
    {Option::From,
     {"first day", "from", "from_", teletraffic::Unit::Word, &rules::kDate,
      "the first measured day; by default that of the earliest start"}},
    {Option::To,
     {"last day", "to", "to", teletraffic::Unit::Word, &rules::kDate,
      "the last measured day; by default that of the latest end"}},
    {Option::NormalDays,
     {"normal days", "normal-days", "normal_days", teletraffic::Unit::Count, &rules::kDays,
      "the highest days whose peak hours are averaged for the normal load"}},
    {Option::HighDays,
     {"high days", "high-days", "high_days", teletraffic::Unit::Count, &rules::kDays,
      "the highest days whose peak hours are averaged for the high load"}},
    {Option::Blocking,
     {"blocking", "blocking", "blocking", teletraffic::Unit::Share, &rules::kBlocking,
      "Erlang B blocking the lines meet at the normal load"}},
    {Option::HighBlocking,
     {"high-load blocking", "high-blocking", "high_blocking", teletraffic::Unit::Share,
      &rules::kBlocking, "Erlang B blocking the lines meet at the high load"}},
    {Option::Lines,
     {"lines", "lines", "lines", teletraffic::Unit::Count, &rules::kGroupLines,
      "lines of the measured group: each day's carried traffic is taken to the traffic offered "
      "to them"}},
    {Option::FixedHour,
     {"fixed hour", "fixed-hour", "fixed_hour", teletraffic::Unit::Word, &rules::kFixedHour,
      "the clock hour whose traffic over the days is fdmh-traffic"}},
    {Option::Per,
     {"per", "per", "per", teletraffic::Unit::Word, &teletraffic::rules::kWord, "what is printed",
      "per"}},
    {Option::Json,
     {"json", "json", "json", teletraffic::Unit::Word, &rules::kFlag,
      "the summary as one JSON object"}},
};
inline constexpr auto kOptions = teletraffic::ArgumentTable(kOptionRows);

constexpr const teletraffic::ArgumentInfo& About(Option option) {
    return kOptions[static_cast<std::size_t>(option)];
}

// The room's view for a front end to compose beside the engine's.
const teletraffic::Registry& RecordsRegistry();

enum class OptionKind { Choice, Count, Number, Text, Date, ClockTime, Flag };
enum class OptionStage { Read, Summary, Output };

// What the registry's row of an option does not say: how its value is
// written, its default (as text; "" for none) and when it is used.
struct OptionInfo {
    Option id;
    OptionKind kind;
    std::string_view fallback;
    OptionStage stage;

    constexpr const teletraffic::ArgumentInfo& about() const { return About(id); }
    constexpr std::string_view name() const { return about().option; }
};

// Every option, in the order of its ids.
std::span<const OptionInfo> OptionTable();
const OptionInfo& Info(Option option);
// An option by its name on the command line, without "--"; null for none.
const OptionInfo* FindOption(std::string_view name);

// Why an option was refused: its value, or what goes with it.
enum class Reason {
    Outside,           // the value given is not what its rule accepts
    NeededByCsv,       // --format csv needs it (the start column)
    EndOrDuration,     // --format csv needs exactly one of the end and duration columns
    TrunkNeedsChannel, // a trunk on records that name no channels
    AnswerNeeded,      // --holding answered on a csv file needs the answer column
    BeforeFrom,        // the last day before the first
    TooManyDays,       // measured days over ten years
};

class OptionError : public std::invalid_argument {
public:
    // `value`, given for `option`, is outside the rule said by `rule`.
    OptionError(Option option, std::string value, std::string rule);
    // Refused for what goes with it: `why` says it after the option's name,
    // with "@" for the name of `other`.
    OptionError(Option option, Reason reason, std::string why, std::optional<Option> other = {});

    Option id() const noexcept { return id_; }
    const teletraffic::ArgumentInfo& about() const noexcept { return About(id_); }
    // The option's name as the command line spells it, without "--".
    std::string option() const { return std::string(about().option); }
    Reason reason() const noexcept { return reason_; }
    // The text given (Outside only).
    const std::string& value() const noexcept { return value_; }
    // What the value must be (Outside), or why the option is refused.
    const std::string& rule() const noexcept { return rule_; }
    std::optional<Option> other() const noexcept { return other_; }
    // The refusal with each option called as `name` calls it (a front end's
    // "--interval" or "interval"): `<name> must be <rule>, got "<value>"`, or
    // `<name> <why>`. what() is this with the options' plain words.
    std::string Worded(const std::function<std::string(Option)>& name) const;

private:
    Option id_;
    Reason reason_;
    std::string value_, rule_;
    std::optional<Option> other_;
};

// Checks the options together (CSV columns, --trunk's format, the days);
// throws OptionError.
void CheckOptions(const Options& options);
// Throws OptionError unless a fixed hour `minutes` after midnight lies on the
// boundary of periods of `interval` minutes, 23:00 at the latest.
void CheckFixedHour(int minutes, int interval);

std::string_view FormatWord(Format format);

} // namespace records
