// Every option corvane-cli's commands take, one row each: the engine's
// argument it gives (its name, what it is and its rule come from the
// registry, teletraffic/arguments.h), the placeholder, and what the help
// says after the domain. A command names the options it takes (commands.h);
// its solve reads their values by name from Inputs, and a name not in this
// table, or not the registry's, does not compile. A word option's words are
// its argument's choice in the registry, read as ParseWord reads them.
#pragma once

#include "shifts/arguments.h"
#include "teletraffic/arguments.h"
#include "transient/options.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace cli {

namespace tt = teletraffic;

struct Option {
    // Its argument: its name (without the dashes, also a batch column's), what
    // it is and its rule. The engine's, or a room's row in the same form.
    const tt::ArgumentInfo* argument;
    std::string_view value;
    std::string_view note = {}; // the help after the domain
};

inline constexpr Option kOptions[] = {
    {&tt::About(tt::Argument::Traffic), "A"},
    {&tt::About(tt::Argument::Lines), "N", ", whole or fractional"},
    {&tt::About(tt::Argument::Blocking), "B"},
    {&tt::About(tt::Argument::Recall), "R"},
    {&tt::About(tt::Argument::Agents), "N",
     ", more than the traffic unless --patience or --lines is given; whole with --lines"},
    {&tt::About(tt::Argument::Aht), "S", ", in any unit of time"},
    {&tt::About(tt::Argument::TargetTime), "T", ", in the unit of --aht"},
    {&tt::About(tt::Argument::ServiceLevel), "P"},
    {&tt::About(tt::Argument::Patience), "S",
     ", in the unit of --aht: the answer is then by Erlang A, where the traffic may reach the "
     "agents"},
    {&tt::About(tt::Argument::AverageWait), "W",
     ", in the unit of --aht, in place of --target-time and --service-level or beside them"},
    {&tt::About(tt::Argument::Shrinkage), "X",
     ", taken as the decimal typed: 84 agents at 0.2 schedule 105"},
    {&tt::About(tt::Argument::MaxOccupancy), "Y",
     ", taken as the decimal typed: 7 erlangs at 0.7 need 10 agents"},
    {&tt::About(tt::Argument::Redial), "R"},
    {&tt::About(tt::Argument::Basis), "BASIS"},
    {&tt::About(tt::Argument::AnsweredWait), "W", ", in the unit of --aht"},
    {&tt::About(tt::Argument::MaxAbandon), "P", "; needs --patience"},
    {&tt::About(tt::Argument::MaxBlocking), "P", "; needs --lines"},
    {&tt::About(tt::Argument::Calls), "C", "; needs --interval"},
    {&tt::About(tt::Argument::Interval), "M", "; --aht is then in seconds"},
    {&tt::About(tt::Argument::Sources), "S", " (Engset)"},
    {&tt::About(tt::Argument::IntendedTraffic), "A"},
    {&tt::About(tt::Argument::IdleSourceTraffic), "b"},
    {&tt::About(tt::Argument::Mean), "M"},
    // The overflow's by default; the call-centre commands take it as the
    // forecast's (commands.cpp), under the same name.
    {&tt::About(tt::Argument::StreamVariance), "V"},
    {&tt::About(tt::Argument::Carried), "Y"},
    {&tt::About(tt::Argument::Method), "METHOD"},
    // A day's (transient/options.h); its other options share the engine's names.
    {&transient::About(transient::Option::Start), "START"},
};

// The registry's row of an option.
constexpr const tt::ArgumentInfo& About(const Option& option) {
    return *option.argument;
}

// The choices word options take: the engine's, and a room's beside them.
inline constexpr const tt::ChoiceInfo* kChoiceTables[] = {
    &tt::kChoices[0],        &tt::kChoices[1],        &tt::kChoices[2],         &tt::kChoices[3],
    &transient::kChoices[0], &transient::kChoices[1], &shifts::kObjectiveChoice};

// A choice by its name; null for none.
constexpr const tt::ChoiceInfo* ChoiceNamed(std::string_view name) {
    for (const tt::ChoiceInfo* choice : kChoiceTables) {
        if (!name.empty() && choice->name == name) {
            return choice;
        }
    }
    return nullptr;
}

// An option by its name, checked when compiled: Name("trafic") is an error.
class Name {
public:
    consteval Name(const char* text)
        : index_(Find(text)) {}

    constexpr std::size_t Index() const { return index_; }
    constexpr const Option& Of() const { return kOptions[index_]; }
    constexpr const tt::ArgumentInfo& Argument() const { return About(Of()); }
    constexpr std::string_view Text() const { return Argument().option; }
    constexpr bool IsWord() const { return Choice() != nullptr; }
    // A word option's choice, null for a number.
    constexpr const tt::ChoiceInfo* Choice() const { return ChoiceNamed(Argument().choice); }
    constexpr bool operator==(const Name&) const = default;

private:
    static consteval std::size_t Find(std::string_view text) {
        for (std::size_t i = 0; i < std::size(kOptions); ++i) {
            if (About(kOptions[i]).option == text) {
                return i;
            }
        }
        throw "not an option in kOptions"; // ends the compile, never the program
    }
    std::size_t index_;
};

// The values of one question by option: a number, NaN where not given, and
// for a word option its choice's value (the registry's enum).
class Inputs {
public:
    static constexpr double kNotGiven = std::numeric_limits<double>::quiet_NaN();

    Inputs() { values_.fill(kNotGiven); }

    double operator[](Name name) const { return values_[name.Index()]; }
    bool Given(Name name) const { return !std::isnan(values_[name.Index()]); }
    void Set(Name name, double value) { values_[name.Index()] = value; }
    // The word given, as the value of its enum; the default (the first) when
    // none was.
    template <typename Enum> Enum Word(Name name) const { return static_cast<Enum>(WordAt(name)); }
    // The place of the word given among its choice's words (its enum's value).
    std::size_t WordAt(Name name) const {
        return Given(name) ? static_cast<std::size_t>(values_[name.Index()]) : 0;
    }

private:
    std::array<double, std::size(kOptions)> values_;
};

// The help of an option in the sense of `about` by the rule `rule`: what it
// is, its domain, and the note.
std::string HelpOf(const tt::ArgumentInfo& about, const tt::Rule& rule, std::string_view note);

} // namespace cli
