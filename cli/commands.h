// The questions corvane-cli answers, one row of a table each: the options it
// takes (named as the engine's messages name them), the name of its answer,
// and how it is solved and explained. The command line (run.cpp), the batch
// (batch.cpp) and the help all read this one table.
#pragma once

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

struct Command {
    std::string_view name;
    std::string_view summary;
    // Option names without dashes, in the order `solve` takes the values.
    std::vector<std::string_view> inputs;
    // The answer's name: its key in JSON and its column in a batch.
    std::string_view answer;
    // Values of `inputs` for the example in --help, which shows what they give.
    std::vector<double> example;
    // Throws teletraffic::DomainError for inputs outside the engine's domain.
    Answer (*solve)(std::span<const double> in);
    // Adds to `json` what shows why the answer is what it is: for a count,
    // the value at one less and at the count itself.
    void (*explain)(std::span<const double> in, const Answer& answer, nlohmann::ordered_json& json,
                    int digits);
    // Options it may also take, whose values follow those of `inputs` in
    // what `solve` and `explain` get: NaN for one not given.
    std::vector<std::string_view> optional = {};
    // Inputs of which exactly one is given: one quantity stated in several
    // ways (Engset's load). Each is also in `inputs`; those not given reach
    // `solve` as NaN, and in the example are NaN.
    std::vector<std::string_view> oneOf = {};
    // An option that takes a word (--method), and its words, the first the
    // default; `solve` and `explain` get the index of the word given as one
    // value more, after the inputs.
    std::string_view wordOption = {};
    std::vector<std::string_view> words = {};
};

// Every answering command (not `table`).
std::span<const Command> Commands();

// `inputs` then `optional`: every option whose value `solve` takes.
std::vector<std::string_view> AllInputs(const Command& command);

// The optional input that may stand in for a missing one of `inputs`
// (--calls for --traffic, --average-wait for the service target), or empty.
std::string_view StandIn(std::string_view input);

// Fills in what the values given imply (the traffic from --calls and
// --interval) and returns the first input still missing, or an empty view.
// `values` holds `inputs` then `optional`, NaN for each not given. Throws
// std::invalid_argument for options that do not go together.
std::string_view Complete(const Command& command, std::span<double> values);

// Whether `name` is one of the command's `oneOf` inputs.
bool IsOneOf(const Command& command, std::string_view name);

// Throws std::invalid_argument unless exactly one of the command's `oneOf`
// inputs is given; `given(i)` says whether input i is.
template <typename Given> void CheckOneOf(const Command& command, Given given) {
    if (command.oneOf.empty()) {
        return;
    }
    int count = 0;
    std::string names;
    for (std::size_t i = 0; i < command.inputs.size(); ++i) {
        if (IsOneOf(command, command.inputs[i])) {
            count += given(i) ? 1 : 0;
            names.append(names.empty() ? "--" : ", --").append(command.inputs[i]);
        }
    }
    if (count != 1) {
        throw std::invalid_argument("give exactly one of " + names + " (" + std::to_string(count) +
                                    " given)");
    }
}

// Solves and checks that a real answer is finite: a question without an
// answer never gets a number.
Answer Solve(const Command& command, std::span<const double> in);

// One line of help for an option, and the placeholder for its value.
std::string_view OptionHelp(std::string_view name);
std::string_view OptionValue(std::string_view name);

// Appends the answer as corvane-cli prints it.
void AppendAnswer(std::string& out, const Answer& answer, int digits);

// The inputs, the answer and what explains it as a JSON object.
std::string AnswerJson(const Command& command, std::span<const double> in, const Answer& answer,
                       int digits);

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
