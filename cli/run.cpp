#include "cli/run.h"

#include "cli/batch.h"
#include "cli/commands.h"
#include "cli/numbers.h"
#include "cli/table.h"
#include "teletraffic/number_text.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace cli {
namespace {

constexpr const char* kProgram = "corvane-cli";
constexpr const char* kExitStatus =
    "Exit status: 0 answered, 1 some rows of --input failed, 2 refused (see the message).\n";

// What the command line gave one answering command.
struct Given {
    const Command* command = nullptr;
    CLI::App* app = nullptr;
    std::vector<CLI::Option*> options; // parallel to command->inputs
    std::vector<std::string> texts;
    std::string input;
    CLI::Option* inputOption = nullptr;
    bool json = false;
    int digits = 0;
    std::string word; // of command->wordOption
    unsigned threads = 0;
};

// The index of a word among the command's words, as solve takes it.
double WordIndex(const Command& command, const std::string& word) {
    const auto at = std::find(command.words.begin(), command.words.end(), word);
    return static_cast<double>(at == command.words.end() ? 0 : at - command.words.begin());
}

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
    for (std::size_t i = 0; i < command.inputs.size(); ++i) {
        if (!std::isnan(command.example[i])) { // a oneOf input not given
            line.append(" --").append(command.inputs[i]).append(" ");
            number_text::Append(line, command.example[i]);
        }
    }
    std::vector<double> values = command.example;
    if (!command.wordOption.empty()) {
        values.push_back(0); // the default word
    }
    line.append("\n  ");
    try {
        AppendAnswer(line, Solve(command, values), 0);
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

void AddCommand(CLI::App& app, Given& given) {
    const Command& command = *given.command;
    given.app = app.add_subcommand(std::string(command.name), std::string(command.summary));
    given.texts.resize(command.inputs.size());
    for (std::size_t i = 0; i < command.inputs.size(); ++i) {
        const std::string_view name = command.inputs[i];
        given.options.push_back(given.app
                                    ->add_option("--" + std::string(name), given.texts[i],
                                                 std::string(OptionHelp(name)))
                                    ->type_name(std::string(OptionValue(name))));
    }
    if (!command.wordOption.empty()) {
        std::vector<std::string> words(command.words.begin(), command.words.end());
        given.word = words.front();
        given.app
            ->add_option("--" + std::string(command.wordOption), given.word,
                         std::string(OptionHelp(command.wordOption)))
            ->check(CLI::IsMember(words))
            ->type_name(std::string(OptionValue(command.wordOption)));
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

void AddTable(CLI::App& app, GivenTable& given) {
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
    given.app->add_option("--format", given.request.format, "text (aligned), csv, markdown or json")
        ->check(CLI::IsMember({"text", "csv", "markdown", "json"}))
        ->type_name("FORMAT");
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

// The one answer, or every row of --input.
int AnswerCommand(const Given& given, std::istream& in, std::ostream& out) {
    const Command& command = *given.command;
    std::vector<std::optional<double>> fixed(command.inputs.size());
    for (std::size_t i = 0; i < fixed.size(); ++i) {
        if (given.options[i]->count() > 0) {
            fixed[i] = ParseNumber(given.texts[i], given.options[i]->get_name());
        }
    }
    if (!command.wordOption.empty()) {
        fixed.emplace_back(WordIndex(command, given.word)); // after the inputs, for every row
    }
    if (given.inputOption->count() > 0) {
        const BatchRequest request{
            .digits = given.digits, .threads = given.threads, .name = "--input " + given.input};
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

    CheckOneOf(command, [&](std::size_t i) { return fixed[i].has_value(); });
    std::vector<double> values;
    for (std::size_t i = 0; i < fixed.size(); ++i) {
        if (!fixed[i] && IsOneOf(command, command.inputs[i])) {
            values.push_back(NAN);
            continue;
        }
        if (!fixed[i]) {
            throw std::invalid_argument("--" + std::string(command.inputs[i]) +
                                        " is required (or --input with a column of that name)");
        }
        values.push_back(*fixed[i]);
    }
    std::string text;
    try {
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
        for (std::size_t i = 0; i < command.inputs.size(); ++i) {
            named.push_back({command.inputs[i], values[i], options[i]});
        }
        throw std::runtime_error(Worded(e, named));
    }
    out << text << '\n';
    return 0;
}

} // namespace

int Run(std::vector<std::string> args, std::istream& in, std::ostream& out, std::ostream& err) {
    CLI::App app("Erlang B, extended Erlang B and Erlang C: one answer, a whole CSV file, or a "
                 "printed table.",
                 kProgram);
    app.set_version_flag("--version", CORVANE_VERSION, "print the version and exit");
    app.require_subcommand(1);
    std::vector<Given> commands(Commands().size());
    for (std::size_t i = 0; i < commands.size(); ++i) {
        commands[i].command = &Commands()[i];
        AddCommand(app, commands[i]);
    }
    GivenTable table;
    AddTable(app, table);
    // Set last, so that the commands do not take it over.
    app.footer(std::string(kExitStatus) +
               "Run 'corvane-cli COMMAND --help' for a command's options.\n");

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
                status = AnswerCommand(given, in, out);
            }
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
