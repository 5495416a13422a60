// Word options on corvane-cli's command line: an option that takes one of a
// registry choice's words, read as the registry reads words (Answered,
// excluding_short_abandons) and checked as it is read; each kept for the
// bash completion to offer its words. For every subcommand, the engine's
// and those over a room (day_command.h).
#pragma once

#include "teletraffic/arguments.h"

#include <string>
#include <string_view>
#include <vector>

namespace CLI {
class App;
class Option;
} // namespace CLI

namespace cli {

struct WordOption {
    const CLI::Option* option;
    const teletraffic::ChoiceInfo* choice;
};

// Adds the option `name` (with its dashes) to `app`, its text into `word`.
CLI::Option* AddWords(CLI::App& app, const std::string& name, std::string& word,
                      const std::string& help, const teletraffic::ChoiceInfo& choice,
                      const std::string& value, std::vector<WordOption>& wordOptions);

// A word option's words, each with what it means and `fallback` said to be
// the default: "erlang (Erlang B, the default), engset (...) or ...".
std::string WordsHelp(const teletraffic::ChoiceInfo& choice, std::string_view fallback);

} // namespace cli
