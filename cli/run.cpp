#include "cli/run.h"

#include "cli/batch.h"
#include "cli/commands.h"
#include "cli/day_command.h"
#include "cli/numbers.h"
#include "cli/records_command.h"
#include "cli/shifts_command.h"
#include "cli/table.h"
#include "cli/words.h"
#include "teletraffic/number_text.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace cli {

// A word option takes one of its choice's words, read as the registry reads
// them (Answered, excluding_short_abandons) and checked as it is read.
CLI::Option* AddWords(CLI::App& app, const std::string& name, std::string& word,
                      const std::string& help, const teletraffic::ChoiceInfo& choice,
                      const std::string& value, std::vector<WordOption>& wordOptions) {
    const CLI::Validator words(
        [&choice](std::string& text) {
            return teletraffic::ParseWord(choice, text)
                       ? std::string()
                       : "\"" + text + "\" is not " + teletraffic::WordList(choice);
        },
        "", "words");
    CLI::Option* option = app.add_option(name, word, help)->check(words)->type_name(value);
    wordOptions.push_back({option, &choice});
    return option;
}

namespace {

constexpr const char* kProgram = "corvane-cli";
constexpr const char* kExitStatus =
    "Exit status: 0 answered, 1 some rows of --input failed, 2 refused (see the message).\n";

// What the command line gave one answering command.
struct Given {
    const Command* command = nullptr;
    CLI::App* app = nullptr;
    std::vector<CLI::Option*> options; // parallel to command->options
    std::vector<std::string> texts;
    std::string input;
    CLI::Option* inputOption = nullptr;
    bool json = false;
    int digits = 0;
    unsigned threads = 0;
};

struct GivenTable {
    CLI::App* app = nullptr;
    std::string lines;
    std::string traffic;
    CLI::Option* overLines = nullptr;
    CLI::Option* overTraffic = nullptr;
    TableRequest request;
};

std::string Example(const Command& command) {
    std::string line = std::string(kProgram) + " " + std::string(command.name);
    Inputs in;
    for (const Use& use : command.options) {
        if (!std::isnan(use.example)) {
            line.append(" --").append(use.name.Text()).append(" ");
            number_text::Append(line, use.example);
            in.Set(use.name, use.example);
        }
    }
    line.append("\n  ");
    try {
        AppendAnswer(line, Solve(command, in), 0);
    } catch (const std::exception& e) {
        line.append(e.what()); // the help is still worth showing
    }
    return "Example:\n  " + line + "\n\n" + kExitStatus;
}

void AddDigits(CLI::App& app, int& digits) {
    app.add_option("--digits", digits, "round real numbers to N significant digits")
        ->check(CLI::Range(1, 17))
        ->type_name("N");
}

void AddCommand(CLI::App& app, Given& given, std::vector<WordOption>& wordOptions) {
    const Command& command = *given.command;
    given.app = app.add_subcommand(std::string(command.name), std::string(command.summary));
    given.texts.resize(command.options.size());
    for (std::size_t i = 0; i < command.options.size(); ++i) {
        const Use& use = command.options[i];
        const std::string name = "--" + std::string(use.name.Text());
        const std::string help(Help(use));
        const std::string value(use.name.Of().value);
        given.options.push_back(
            use.name.IsWord()
                ? AddWords(*given.app, name, given.texts[i], help, *use.name.Choice(), value,
                           wordOptions)
                : given.app->add_option(name, given.texts[i], help)->type_name(value));
    }
    given.inputOption = given.app->add_option(
        "--input", given.input,
        "answer each row of a CSV file (- for standard input) whose header names the options");
    given.inputOption->type_name("FILE");
    given.app->add_flag("--json", given.json, "print the inputs, the answer and what explains it")
        ->excludes(given.inputOption);
    given.app
        ->add_option("--threads", given.threads,
                     "answer the rows of --input on N threads (default: one per processor core)")
        ->check(CLI::Range(1U, 256U))
        ->type_name("N")
        ->needs(given.inputOption);
    AddDigits(*given.app, given.digits);
    given.app->footer([&command] { return Example(command); });
}

void AddTable(CLI::App& app, GivenTable& given, std::vector<WordOption>& wordOptions) {
    given.app = app.add_subcommand(
        "table", "Traffic N lines carry at each blocking target (the classic table), or with "
                 "--traffic the lines each traffic needs");
    given.overLines =
        given.app->add_option("--lines", given.lines, "rows of lines, FROM:TO or FROM:TO:STEP")
            ->type_name("FROM:TO[:STEP]");
    given.overTraffic = given.app->add_option("--traffic", given.traffic,
                                              "rows of traffic, FROM:TO or FROM:TO:STEP");
    given.overTraffic->type_name("FROM:TO[:STEP]")->excludes(given.overLines);
    given.app->add_option("--blocking", given.request.blocking, "blocking targets, the columns")
        ->type_name("B1,B2,...")
        ->required();
    given.request.format = "text";
    AddWords(*given.app, "--format", given.request.format, "text (aligned), csv, markdown or json",
             kTableFormat, "FORMAT", wordOptions);
    AddDigits(*given.app, given.request.digits);
    given.app->footer([] {
        std::ostringstream example;
        example << "Example:\n  " << kProgram
                << " table --lines 1:3 --blocking 0.01,0.05 --digits 4\n";
        try {
            std::ostringstream table;
            WriteTable({.rows = "lines",
                        .range = "1:3",
                        .blocking = "0.01,0.05",
                        .format = "text",
                        .digits = 4},
                       table);
            std::istringstream lines(table.str());
            for (std::string line; std::getline(lines, line);) {
                example << "  " << line << '\n';
            }
        } catch (const std::exception& e) {
            example << "  " << e.what() << '\n';
        }
        return example.str() + "\nExit status: 0 printed, 2 refused (see the message).\n";
    });
}

// The bash completion of the commands and options above, written at build
// time by `corvane-cli --completion bash` so that it follows the table.
std::string BashCompletion(const CLI::App& app, std::span<const WordOption> wordOptions) {
    std::string commands;
    std::string cases;
    for (const CLI::App* command : app.get_subcommands(std::function<bool(const CLI::App*)>())) {
        commands += command->get_name() + " ";
        std::string options;
        std::string files;
        std::string words;
        std::string flags; // options taking no value, after which a file may come
        bool positional = false;
        for (const CLI::Option* option : command->get_options()) {
            for (const std::string& name : option->get_lnames()) {
                options += (options.empty() ? "--" : " --") + name;
            }
            const std::string name = option->get_name();
            if (option->get_type_name() == "FILE") {
                if (option->nonpositional()) {
                    files += (files.empty() ? "" : " ") + name;
                } else {
                    positional = true; // files as arguments of their own
                }
            } else if (option->nonpositional() && option->get_expected_max() == 0) {
                flags += (flags.empty() ? "" : " ") + name;
            }
            const auto word = std::ranges::find(wordOptions, option, &WordOption::option);
            if (word != wordOptions.end()) {
                words += "            " + name + ") words='";
                const auto choices = word->choice->words;
                for (std::size_t w = 0; w < choices.size(); ++w) {
                    words.append(choices[w].word).append(w + 1 == choices.size() ? "' ;;\n" : " ");
                }
            }
        }
        cases += "        " + command->get_name() + ")\n            options='" + options + "'\n";
        if (!files.empty()) {
            cases += "            files='" + files + "'\n";
        }
        if (positional) { // --help is always among them: never empty
            cases += "            positional='" + flags + "'\n";
        }
        if (!words.empty()) {
            cases += "            case $prev in\n" + words + "            esac\n";
        }
        cases += "            ;;\n";
    }
    return R"(# shellcheck shell=bash
# Bash completion for corvane-cli: its commands, their options and the words
# of word options. Written by `corvane-cli --completion bash` from the
# program's own table of commands when it is built; not to be edited.

_corvane_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local options='' files='' words='' positional=''
    COMPREPLY=()
    if ((COMP_CWORD == 1)); then
        words=')" +
           commands +
           R"(--help --version'
    else
        case ${COMP_WORDS[1]} in
)" + cases +
           R"(        esac
        if [[ -n $prev && " $files " == *" $prev "* ]] ||
            [[ -n $positional && $cur != -* && ($prev != -* || " $positional " == *" $prev "*) ]]; then
            compopt -o filenames 2>/dev/null || true
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            [[ -n $cur ]] || COMPREPLY+=(-)
            return 0
        fi
        if [[ -z $words && $cur == -* ]]; then
            words=$options
        fi
    fi
    mapfile -t COMPREPLY < <(compgen -W "$words" -- "$cur")
}
complete -F _corvane_cli corvane-cli
)";
}

// The one answer, or every row of --input.
int AnswerCommand(const Given& given, std::istream& in, std::ostream& out, std::ostream& err) {
    const Command& command = *given.command;
    std::vector<std::optional<double>> fixed(command.options.size());
    for (std::size_t i = 0; i < fixed.size(); ++i) {
        const Name name = command.options[i].name;
        if (given.options[i]->count() > 0) {
            fixed[i] =
                name.IsWord()
                    ? static_cast<double>(*teletraffic::ParseWord(*name.Choice(), given.texts[i]))
                    : ParseNumber(given.texts[i], given.options[i]->get_name());
        }
    }
    if (given.inputOption->count() > 0) {
        const BatchRequest request{.digits = given.digits,
                                   .threads = given.threads,
                                   .name = "--input " + given.input,
                                   .notes = &err};
        if (given.input == "-") {
            return AnswerCsv(command, fixed, request, in, out) ? 0 : 1;
        }
        std::ifstream file(given.input, std::ios::binary);
        if (!file) {
            throw std::runtime_error(
                request.name + " cannot be opened: " + std::generic_category().message(errno));
        }
        return AnswerCsv(command, fixed, request, file, out) ? 0 : 1;
    }

    CheckOneOf(
        command, [&](std::size_t i) { return fixed[i].has_value(); },
        [&](std::size_t i) { return given.options[i]->get_name(); });
    Inputs values;
    for (std::size_t i = 0; i < fixed.size(); ++i) {
        values.Set(command.options[i].name, fixed[i].value_or(Inputs::kNotGiven));
    }
    const Inputs asGiven = values; // before the rest is worked out from it
    std::string text;
    try {
        if (const Use* missing = Complete(command, values); missing != nullptr) {
            throw std::invalid_argument("--" + std::string(missing->name.Text()) +
                                        " is required (or --input with a column of that name)");
        }
        const Answer answer = Solve(command, values);
        if (given.json) {
            text = AnswerJson(command, values, answer, given.digits);
        } else {
            AppendAnswer(text, answer, given.digits);
        }
    } catch (const teletraffic::DomainError& e) {
        std::vector<std::string> options;
        for (const CLI::Option* option : given.options) {
            options.push_back(option->get_name());
        }
        std::vector<Named> named;
        for (std::size_t i = 0; i < fixed.size(); ++i) {
            const Name name = command.options[i].name;
            named.push_back({name.Text(), asGiven[name], options[i]});
        }
        throw std::runtime_error(Worded(e, named));
    }
    out << text << '\n';
    return 0;
}

} // namespace

int Run(std::vector<std::string> args, std::istream& in, std::ostream& out, std::ostream& err) {
    CLI::App app(
        "Erlang B, extended Erlang B, Erlang C, Erlang A, Erlang X, Engset, overflow traffic and "
        "the traffic offered behind a carried one: one answer, a whole CSV file, or a printed "
        "table; and call records read into the busy hour and the circuits it needs.",
        kProgram);
    app.set_version_flag("--version", CORVANE_VERSION, "print the version and exit");
    app.require_subcommand(1);
    std::vector<Given> commands(Commands().size());
    std::vector<WordOption> wordOptions;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        commands[i].command = &Commands()[i];
        AddCommand(app, commands[i], wordOptions);
    }
    GivenTable table;
    AddTable(app, table, wordOptions);
    const RecordsCommand records(app);
    for (const auto& [option, choice] : records.WordOptions()) {
        wordOptions.push_back({option, choice});
    }
    const DayCommand day(app, wordOptions);
    const ShiftsCommand shifts(app);
    for (const auto& [option, choice] : shifts.WordOptions()) {
        wordOptions.push_back({option, choice});
    }
    // Set last, so that the commands do not take it over.
    app.footer(std::string(kExitStatus) +
               "Run 'corvane-cli COMMAND --help' for a command's options.\n");

    if (args == std::vector<std::string>{"--completion", "bash"}) { // for the build, not in --help
        out << BashCompletion(app, wordOptions);
        return out.flush() ? 0 : 2;
    }
    const std::string first = args.empty() ? "" : args.front();
    std::reverse(args.begin(), args.end()); // CLI11 takes the words last first
    try {
        app.parse(args);
    } catch (const CLI::Success& e) {
        app.exit(e, out, err); // --help or --version
        return 0;
    } catch (const CLI::ParseError& e) {
        const auto chosen = app.get_subcommands();
        if (chosen.empty() && !first.starts_with('-')) {
            err << kProgram << ": "
                << (first.empty() ? "a command is needed" : first + " is not a command")
                << "; run '" << kProgram << " --help' for the list.\n";
            return 2;
        }
        const std::string help =
            chosen.empty() ? std::string(kProgram) + " --help"
                           : std::string(kProgram) + " " + chosen.front()->get_name() + " --help";
        err << kProgram << ": " << e.what() << "\nRun '" << help << "' for usage.\n";
        return 2;
    }

    int status = 2;
    try {
        if (table.app->parsed()) {
            if (table.overLines->count() == 0 && table.overTraffic->count() == 0) {
                throw std::invalid_argument("--lines or --traffic is required: the rows");
            }
            table.request.rows = table.overLines->count() > 0 ? "lines" : "traffic";
            table.request.range = table.overLines->count() > 0 ? table.lines : table.traffic;
            WriteTable(table.request, out);
            status = 0;
        }
        for (const Given& given : commands) {
            if (given.app->parsed()) {
                status = AnswerCommand(given, in, out, err);
            }
        }
        if (records.Parsed()) {
            status = records.Run(in, out, err);
        }
        if (day.Parsed()) {
            status = day.Answer(in, out, err);
        }
        if (shifts.Parsed()) {
            status = shifts.Run(in, out, err);
        }
    } catch (const std::exception& e) {
        out.flush();
        err << kProgram << ": " << e.what() << '\n';
        return 2;
    }
    if (!out.flush()) {
        err << kProgram << ": the output cannot be written\n";
        return 2;
    }
    return status;
}

} // namespace cli
