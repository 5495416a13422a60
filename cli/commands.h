// The questions corvane-cli answers, one row of a table each: the options it
// takes (options.h), the name of its answer, and how it is solved and
// explained from the values by name. The command line (run.cpp), the batch
// (batch.cpp), the help and the bash completion all read this one table.
#pragma once

#include "cli/options.h"
#include "teletraffic/error.h"

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// A count (lines, agents) or a real number.
struct Answer {
    double real = 0;
    std::int64_t count = 0;
    bool isCount = false;
};

// How a command takes an option.
enum class Takes {
    Required,
    Optional, // NaN (or the default word) when not given
    OneOf,    // exactly one of the command's OneOf options is given
};

// An option as one command takes it.
struct Use {
    Name name;
    Takes takes = Takes::Required;
    // Its value in the example of --help, which shows what it gives; NaN to
    // leave it out.
    double example = Inputs::kNotGiven;
    // Where this command takes the option in a sense or a domain of its own:
    // what it is, the rule that refuses it, the help after the domain; each
    // empty (null) for the option's.
    struct Sense {
        std::string_view sense = {};
        const teletraffic::Rule* rule = nullptr;
        std::string_view note = {};
        const teletraffic::ArgumentInfo* argument = nullptr; // another argument of its name
    } own = {};
};

constexpr Use Required(Name name, double example = Inputs::kNotGiven, Use::Sense own = {}) {
    return {name, Takes::Required, example, own};
}
constexpr Use Optional(Name name, Use::Sense own = {}) {
    return {name, Takes::Optional, Inputs::kNotGiven, own};
}
constexpr Use OneOf(Name name, double example = Inputs::kNotGiven) {
    return {name, Takes::OneOf, example};
}

struct Command {
    std::string_view name;
    std::string_view summary;
    // In the order of the help, the example and the JSON.
    std::vector<Use> options;
    // The answer's name: its key in JSON and its column in a batch.
    std::string_view answer;
    // Throws teletraffic::DomainError for inputs outside the engine's domain.
    Answer (*solve)(const Inputs& in);
    // Adds to `json` what shows why the answer is what it is: for a count,
    // the value at one less and at the count itself.
    void (*explain)(const Inputs& in, const Answer& answer, nlohmann::ordered_json& json,
                    int digits);
};

// Every answering command (not `table`).
std::span<const Command> Commands();

// The registry's row of the option as the command takes it.
const teletraffic::ArgumentInfo& ArgumentOf(const Use& use);
// The help of an option as the command takes it.
std::string Help(const Use& use);
// The rule that refuses the option as the command takes it.
const teletraffic::Rule& RuleOf(const Use& use);

// The options that may stand in for `input` where the command takes them
// (--calls for --traffic; --average-wait, or another target of the agents,
// for the service level), the first the one a message names; or none.
std::vector<std::string_view> StandIns(const Command& command, Name input);

// Fills in what the values given imply (the traffic from --calls and
// --interval) and returns the first required option still missing, or null.
// Throws std::invalid_argument for options that do not go together.
const Use* Complete(const Command& command, Inputs& in);

// Throws std::invalid_argument unless exactly one of the command's OneOf
// options is given: "give exactly one of --traffic, --intended-traffic (2
// given)". `given(i)` says whether option i of the command is; `named(i)`
// names it as the user gave it (an option, a column), or is empty to leave
// it out, as a load a file has no column for.
template <typename IsGiven, typename NameOf>
void CheckOneOf(const Command& command, IsGiven given, NameOf named) {
    int count = 0;
    std::string names;
    for (std::size_t i = 0; i < command.options.size(); ++i) {
        const std::string name = command.options[i].takes == Takes::OneOf ? named(i) : "";
        if (!name.empty()) {
            count += given(i) ? 1 : 0;
            names.append(names.empty() ? "" : ", ").append(name);
        }
    }
    if (!names.empty() && count != 1) {
        throw std::invalid_argument("give exactly one of " + names + " (" + std::to_string(count) +
                                    " given)");
    }
}

// Completes `in` and solves, then checks that a real answer is finite: a
// question without an answer never gets a number.
Answer Solve(const Command& command, Inputs& in);

// Appends the answer as corvane-cli prints it.
void AppendAnswer(std::string& out, const Answer& answer, int digits);

// The inputs (completed), the answer and what explains it as a JSON object.
std::string AnswerJson(const Command& command, const Inputs& in, const Answer& answer, int digits);

// `value` rounded to `digits` (0: not rounded), whole numbers as integers.
nlohmann::ordered_json JsonNumber(double value, int digits);

// A value the engine was given, and the name the user gave it by: an option
// ("--traffic") or a column of --input ("traffic").
struct Named {
    std::string_view argument; // the option that gives it, without dashes
    double value;
    std::string_view name;
};

// The engine's refusal in corvane-cli's words, from its typed fields alone:
// by the user's name for the value when the refused value is one of `given`
// (same argument, same value); otherwise as a value worked out from the
// inputs, which names no option.
std::string Worded(const teletraffic::DomainError& error, std::span<const Named> given);

} // namespace cli
