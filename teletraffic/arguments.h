// The registry of what the engine takes: every argument, one row each (its
// words in English, its kebab-case option and batch column, its snake_case
// Python keyword, its unit, and the rule whose domain refuses it), every
// rule (a domain and the words a refusal gives), and every word choice (its
// values, their words). The front ends derive their options, keywords,
// help, docstring ranges and messages from these rows instead of restating
// them, and read a word the one way ParseChoice does.
//
// The tables are constexpr here, not in a .cpp: a domain check inlines to
// the comparisons it always was (no lookup on a hot path), and a front end
// names an option or a keyword that is checked when it compiles.
//
// Growing: a room below the front ends (records/, shifts/, ...) declares its
// own arguments and choices in the same form, in its own header: its own
// enum of ids, a table made by ArgumentTable, rules and ChoiceRow arrays;
// its refusals are DomainErrors over its own rows (error.h), and a front end
// composes its view from the engine's table and the room's (Registry). The
// engine's table is never touched for it.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace teletraffic {

// Every argument the engine takes, as it names the one it refuses.
enum class Argument {
    Traffic,
    Lines,
    Agents,
    Sources,
    Blocking,
    Recall,
    Aht,
    Patience,
    TargetTime,
    ServiceLevel,
    AverageWait,
    Shrinkage,
    MaxOccupancy,
    IntendedTraffic,
    IdleSourceTraffic,
    Mean,
    StreamVariance, // of an overflow stream (overflow.h)
    Carried,
    Redial,
    Calls,
    ForecastVariance, // of a forecast's count of calls (erlang_x.h)
    AnsweredWait,
    MaxAbandon,
    MaxBlocking,
    Basis,    // of a service level (Erlang X)
    Method,   // of an overflow stream's blocking
    Interval, // the forecast's, for calls given per interval (the front ends)
};
inline constexpr std::size_t kArgumentCount = static_cast<std::size_t>(Argument::Interval) + 1;

// Largest traffic the engine accepts, and the largest count of lines or
// agents: twice as many, so that every count it answers is accepted back
// (a billion erlangs at a blocking of 1e-300 need 1,001,165,984 lines).
inline constexpr double kMaxTraffic = 1e9;
inline constexpr double kMaxLines = 2e9;
// Smallest blocking target the engine accepts; targets run up to 1 exclusive.
inline constexpr double kMinBlocking = 1e-300;
// Largest number of sources (Engset).
inline constexpr double kMaxSources = 1e9;

// The values a rule lets through: from min to max, each end included unless
// open, whole numbers only if `whole`; `none` lets infinity through as well
// (an argument left out: no limit of lines, callers who never hang up).
// NaN is in no domain.
struct Domain {
    double min;
    double max;
    bool minOpen = false;
    bool maxOpen = false;
    bool whole = false;
    bool none = false;

    constexpr bool Contains(double x) const {
        if (none && x == INFINITY) {
            return true;
        }
        const bool aboveMin = minOpen ? x > min : x >= min;
        const bool belowMax = maxOpen ? x < max : x <= max;
        // Whole without std::floor, which is not constexpr: every double from
        // 2^52 up is whole, and below it a cast to an integer truncates.
        return aboveMin && belowMax &&
               (!whole || (x < 0 ? -x : x) >= 0x1p52 ||
                static_cast<double>(static_cast<long long>(x)) == x);
    }
};

// A rule: its domain, and what an argument it refuses must be, as a message
// ends ("traffic must be <text>, got -1").
struct Rule {
    Domain domain;
    std::string_view text;
};

// The engine's rules. An argument's own rule is the one its row names; a
// function that takes another domain for it (Erlang X's lines, whole and
// from 1, or none) checks it by that rule's name, and its refusal carries
// the rule, so that each front end words the domain that refused.
namespace rules {
inline constexpr Rule kErlangs{{0, kMaxTraffic}, "a number of erlangs from 0 to 1e9"};
inline constexpr Rule kCount{{0, kMaxLines}, "a number from 0 to 2e9"};
inline constexpr Rule kWholeCount{{0, kMaxLines, false, false, true},
                                  "a whole number from 0 to 2e9"};
inline constexpr Rule kShare{{0, 1, false, true}, "from 0 up to but not including 1"};
inline constexpr Rule kOpenShare{{0, 1, true, true}, "greater than 0 and below 1"};
inline constexpr Rule kOccupancyCap{{0, 1, true, false}, "greater than 0 and at most 1"};
inline constexpr Rule kBlocking{{kMinBlocking, 1, false, true},
                                "from 1e-300 up to but not including 1"};
inline constexpr Rule kDuration{{0, INFINITY, true, true}, "a time greater than 0"};
inline constexpr Rule kTimeFromZero{{0, INFINITY, false, true}, "a time of 0 or more"};
inline constexpr Rule kNumberFromZero{{0, INFINITY, false, true}, "a number of 0 or more"};
inline constexpr Rule kMinutes{{0, INFINITY, true, true}, "a number of minutes greater than 0"};
// Engset's counts: whole, up to its sources.
inline constexpr Rule kSources{{1, kMaxSources, false, false, true},
                               "a whole number from 1 to 1e9"};
inline constexpr Rule kSourceLines{{0, kMaxSources, false, false, true},
                                   "a whole number from 0 to 1e9"};
// Erlang X's centre: lines whole from 1, patience as Erlang A's, either left
// out (infinite) for none; its blocking target any share above 0.
inline constexpr Rule kCentreLines{{1, kMaxLines, false, false, true, true},
                                   "a whole number from 1 to 2e9, or none (left out)"};
inline constexpr Rule kCentrePatience{{0, INFINITY, true, true, false, true},
                                      "a time greater than 0, or none (left out)"};
inline constexpr Rule kWord{{0, 0}, "one of its words"};
} // namespace rules

// The rules by name, for the front ends that quote one (docstrings).
inline constexpr std::pair<std::string_view, const Rule*> kRuleNames[] = {
    {"erlangs", &rules::kErlangs},
    {"count", &rules::kCount},
    {"whole_count", &rules::kWholeCount},
    {"share", &rules::kShare},
    {"open_share", &rules::kOpenShare},
    {"occupancy_cap", &rules::kOccupancyCap},
    {"blocking", &rules::kBlocking},
    {"duration", &rules::kDuration},
    {"time_from_zero", &rules::kTimeFromZero},
    {"number_from_zero", &rules::kNumberFromZero},
    {"minutes", &rules::kMinutes},
    {"sources", &rules::kSources},
    {"source_lines", &rules::kSourceLines},
    {"centre_lines", &rules::kCentreLines},
    {"centre_patience", &rules::kCentrePatience},
    {"word", &rules::kWord},
};

// What a value is counted in, for help and docstrings.
enum class Unit {
    Erlangs,
    Count,
    Share,   // a fraction of 1
    Time,    // in the unit of the handling time, any one unit for all
    Minutes, // the interval of a forecast
    Calls,
    Number, // a variance
    Word,   // one of a choice's words
};

// One argument: what every front end knows of it.
struct ArgumentInfo {
    std::string_view words;   // in English, as messages name it: "average handling time"
    std::string_view option;  // kebab-case: the option --aht, the batch column aht
    std::string_view keyword; // snake_case: Python's aht=
    Unit unit;
    const Rule* rule;             // its own domain
    std::string_view sense;       // what it is, for the help: "average handling time of a call"
    std::string_view choice = {}; // a word argument's choice (ChoiceInfo::name)
};

template <typename Id> struct ArgumentRow {
    Id id;
    ArgumentInfo info;
};

// The rows in the order of their ids, each id once: a table a room's
// argument ids index as the engine's do. A row missing or repeated does not
// compile; a row without a rule the tests find.
template <typename Id, std::size_t N>
consteval std::array<ArgumentInfo, N> ArgumentTable(const ArgumentRow<Id> (&rows)[N]) {
    std::array<ArgumentInfo, N> table{};
    std::array<bool, N> filled{};
    for (const ArgumentRow<Id>& row : rows) {
        const auto at = static_cast<std::size_t>(row.id);
        // (A rule left null is not checked here: under UBSan GCC takes no
        // comparison of a constant's address with null as constant.)
        if (at >= N || filled[at]) {
            throw "each id once"; // ends the compile, never the program
        }
        filled[at] = true;
        table[at] = row.info;
    }
    return table;
}

inline constexpr ArgumentRow<Argument> kArgumentRows[] = {
    {Argument::Traffic,
     {"traffic", "traffic", "traffic", Unit::Erlangs, &rules::kErlangs, "traffic offered"}},
    {Argument::Lines, {"lines", "lines", "lines", Unit::Count, &rules::kCount, "number of lines"}},
    {Argument::Agents,
     {"agents", "agents", "agents", Unit::Count, &rules::kCount, "number of agents"}},
    {Argument::Sources,
     {"sources", "sources", "sources", Unit::Count, &rules::kSources, "number of sources"}},
    {Argument::Blocking,
     {"blocking", "blocking", "blocking", Unit::Share, &rules::kBlocking, "blocking probability"}},
    {Argument::Recall,
     {"recall", "recall", "recall", Unit::Share, &rules::kShare,
      "share of blocked callers who try again"}},
    {Argument::Aht,
     {"average handling time", "aht", "aht", Unit::Time, &rules::kDuration,
      "average handling time of a call"}},
    {Argument::Patience,
     {"patience", "patience", "patience", Unit::Time, &rules::kDuration,
      "average time a caller waits before hanging up"}},
    {Argument::TargetTime,
     {"target time", "target-time", "target_time", Unit::Time, &rules::kTimeFromZero,
      "time within which a call should be answered"}},
    {Argument::ServiceLevel,
     {"service level", "service-level", "service_level", Unit::Share, &rules::kShare,
      "share of calls to answer within the target time"}},
    {Argument::AverageWait,
     {"average wait", "average-wait", "average_wait", Unit::Time, &rules::kDuration,
      "target average wait over all callers"}},
    {Argument::Shrinkage,
     {"shrinkage", "shrinkage", "shrinkage", Unit::Share, &rules::kShare,
      "share of paid time agents are off the phones"}},
    {Argument::MaxOccupancy,
     {"occupancy cap", "max-occupancy", "max_occupancy", Unit::Share, &rules::kOccupancyCap,
      "highest share of their time agents on the phones may be busy"}},
    {Argument::IntendedTraffic,
     {"intended traffic", "intended-traffic", "intended_traffic", Unit::Erlangs, &rules::kErlangs,
      "traffic the sources would offer if never blocked, S b / (1 + b)"}},
    {Argument::IdleSourceTraffic,
     {"idle-source traffic", "idle-source-traffic", "idle_source_traffic", Unit::Erlangs,
      &rules::kErlangs, "traffic offered by one idle source"}},
    {Argument::Mean,
     {"mean", "mean", "mean", Unit::Erlangs, &rules::kErlangs, "mean of an overflow stream"}},
    {Argument::StreamVariance,
     {"variance", "variance", "variance", Unit::Number, &rules::kNumberFromZero,
      "variance of an overflow stream, at least its mean"}},
    {Argument::Carried,
     {"carried traffic", "carried", "carried", Unit::Erlangs, &rules::kErlangs,
      "traffic carried, below the lines"}},
    {Argument::Redial,
     {"redial", "redial", "redial", Unit::Share, &rules::kShare,
      "share of blocked callers and of callers who hang up who call again"}},
    {Argument::Calls,
     {"calls", "calls", "calls", Unit::Calls, &rules::kNumberFromZero,
      "calls offered in the interval, in place of the traffic: traffic = calls x aht / "
      "interval"}},
    {Argument::ForecastVariance,
     {"variance", "variance", "variance", Unit::Number, &rules::kNumberFromZero,
      "variance of the forecast's count of calls, at least the calls (as if they came purely "
      "at random): the more, the less sure the forecast"}},
    {Argument::AnsweredWait,
     {"answered wait", "answered-wait", "answered_wait", Unit::Time, &rules::kDuration,
      "target mean wait of the answered calls (the average speed of answer an ACD reports)"}},
    {Argument::MaxAbandon,
     {"abandonment cap", "max-abandon", "max_abandon", Unit::Share, &rules::kOpenShare,
      "highest share of the calls let in that may hang up unanswered"}},
    {Argument::MaxBlocking,
     {"blocking cap", "max-blocking", "max_blocking", Unit::Share, &rules::kOpenShare,
      "highest share of call attempts that may find every line busy"}},
    {Argument::Basis,
     {"basis", "basis", "basis", Unit::Word, &rules::kWord, "what the service level is a share of",
      "basis"}},
    {Argument::Method,
     {"method", "method", "method", Unit::Word, &rules::kWord,
      "how the blocking of an overflow stream is found", "method"}},
    {Argument::Interval,
     {"interval", "interval", "interval", Unit::Minutes, &rules::kMinutes,
      "length of the interval of the calls"}},
};
inline constexpr std::array<ArgumentInfo, kArgumentCount> kArguments = ArgumentTable(kArgumentRows);

constexpr const ArgumentInfo& About(Argument argument) {
    return kArguments[static_cast<std::size_t>(argument)];
}

// --- Word choices ----------------------------------------------------------------------

// One value of a choice: its word (kebab-case, the form the front ends
// show) and what it means, in English.
struct ChoiceWord {
    std::string_view word;
    std::string_view words;
};
template <typename Enum> struct ChoiceRow {
    Enum value;
    ChoiceWord word;
};

// A choice: its name (the argument that takes it) and its values' words, in
// the order of the enum, the first the default.
struct ChoiceInfo {
    std::string_view name;
    std::span<const ChoiceWord> words;
};

// What the service level is a share of (erlang_x.h): every share is over
// accepted attempts, those not blocked.
enum class Basis {
    Offered,                // answered within the target time, over all accepted (Erlang A's)
    Answered,               // over those answered
    ExcludingShortAbandons, // over all accepted less those who hung up within the target time
    Virtual,                // the share whose wait to an agent is within it, patience aside
};
// How the overflow's blocking on further lines is found (overflow.h).
enum class OverflowMethod { EquivalentRandom, Hayward };
// The three ways an Engset load is stated (engset.h); exactly one is given.
enum class EngsetLoad {
    IdleSourceTraffic, // beta: traffic offered by one idle source
    Traffic,           // call attempts x holding time: A = beta (S - Y)
    IntendedTraffic,   // offered if never blocked: A = S beta / (1 + beta)
};
// Which callers an average-wait target is over.
enum class WaitBasis { AllCallers, Answered };

// The words in the order of the enum, each value once (or it does not compile).
template <typename Enum, std::size_t N>
consteval std::array<ChoiceWord, N> ChoiceTable(const ChoiceRow<Enum> (&rows)[N]) {
    std::array<ChoiceWord, N> table{};
    for (std::size_t i = 0; i < N; ++i) {
        if (static_cast<std::size_t>(rows[i].value) != i) {
            throw "rows in the order of the enum"; // ends the compile
        }
        table[i] = rows[i].word;
    }
    return table;
}

namespace choices {
inline constexpr ChoiceRow<Basis> kBasisRows[] = {
    {Basis::Offered, {"offered", "every call let in"}},
    {Basis::Answered, {"answered", "the calls answered"}},
    {Basis::ExcludingShortAbandons,
     {"excluding-short-abandons",
      "the calls let in less those who hang up within the target time"}},
    {Basis::Virtual, {"virtual", "the calls whose wait for an agent is within it, patience aside"}},
};
inline constexpr auto kBasis = ChoiceTable(kBasisRows);
inline constexpr ChoiceRow<OverflowMethod> kMethodRows[] = {
    {OverflowMethod::EquivalentRandom, {"ert", "equivalent random"}},
    {OverflowMethod::Hayward, {"hayward", "Fredericks and Hayward"}},
};
inline constexpr auto kMethod = ChoiceTable(kMethodRows);
inline constexpr ChoiceRow<EngsetLoad> kLoadRows[] = {
    {EngsetLoad::IdleSourceTraffic, {"idle-source-traffic", "traffic offered by one idle source"}},
    {EngsetLoad::Traffic, {"traffic", "call attempts times holding time"}},
    {EngsetLoad::IntendedTraffic, {"intended-traffic", "traffic offered were none blocked"}},
};
inline constexpr auto kLoad = ChoiceTable(kLoadRows);
inline constexpr ChoiceRow<WaitBasis> kWaitRows[] = {
    {WaitBasis::AllCallers, {"all-callers", "over all callers, those who hang up until they do"}},
    {WaitBasis::Answered, {"answered", "over the answered calls"}},
};
inline constexpr auto kWait = ChoiceTable(kWaitRows);
} // namespace choices

// The engine's choices by name, and each enum's.
inline constexpr ChoiceInfo kChoices[] = {
    {"basis", choices::kBasis},
    {"method", choices::kMethod},
    {"load", choices::kLoad},
    {"wait", choices::kWait},
};
template <typename Enum> constexpr const ChoiceInfo& ChoiceOf();
template <> constexpr const ChoiceInfo& ChoiceOf<Basis>() {
    return kChoices[0];
}
template <> constexpr const ChoiceInfo& ChoiceOf<OverflowMethod>() {
    return kChoices[1];
}
template <> constexpr const ChoiceInfo& ChoiceOf<EngsetLoad>() {
    return kChoices[2];
}
template <> constexpr const ChoiceInfo& ChoiceOf<WaitBasis>() {
    return kChoices[3];
}

template <typename Enum> constexpr std::string_view WordOf(Enum value) {
    return ChoiceOf<Enum>().words[static_cast<std::size_t>(value)].word;
}

// A word as every front end reads it: blanks around it dropped, letters in
// any case, and "-", "_" and a blank the same ("Excluding short_abandons"
// is excluding-short-abandons).
std::string NormalWord(std::string_view text);

// The place among the choice's words of the word `text` is read as, if any.
std::optional<std::size_t> ParseWord(const ChoiceInfo& choice, std::string_view text);
template <typename Enum> std::optional<Enum> ParseChoice(std::string_view text) {
    const auto at = ParseWord(ChoiceOf<Enum>(), text);
    return at ? std::optional<Enum>(static_cast<Enum>(*at)) : std::nullopt;
}
// The value a front end passes through a number (a NumPy array of words
// read one by one): the enum's own value, checked.
template <typename Enum> std::optional<Enum> ChoiceFromValue(double value) {
    const std::size_t count = ChoiceOf<Enum>().words.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (value == static_cast<double>(i)) {
            return static_cast<Enum>(i);
        }
    }
    return std::nullopt;
}
// "offered, answered, excluding-short-abandons or virtual", for messages.
std::string WordList(const ChoiceInfo& choice, std::string_view last = " or ");

// --- The view a front end derives from ---------------------------------------------

// The tables a front end reads: the engine's and those of the rooms it
// serves, searched in turn.
struct Registry {
    std::span<const std::span<const ArgumentInfo>> arguments;
    std::span<const ChoiceInfo* const> choices;

    const ArgumentInfo* ByOption(std::string_view option) const;
    const ArgumentInfo* ByKeyword(std::string_view keyword) const;
    const ChoiceInfo* Choice(std::string_view name) const;
};
// The engine's own view.
const Registry& EngineRegistry();

} // namespace teletraffic
