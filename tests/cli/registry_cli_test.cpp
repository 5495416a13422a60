// corvane-cli against the engine's registry (teletraffic/arguments.h): the
// man page lists every option with the rules the commands (the day's among
// them) refuse it by and a word option's words; the help of each option
// quotes the rule the engine refuses it by; every word is read in any case
// with -, _ and a blank the same.
#include "cli/commands.h"
#include "cli/day_command.h"
#include "run_cli.h"
#include "shifts/arguments.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <set>

namespace {

// The man page's OPTIONS entries by option name, as plain text: font
// escapes dropped, "\-" read as "-", lines joined by blanks.
std::map<std::string, std::string> ManOptions() {
    std::ifstream file(CORVANE_CLI_MAN);
    const std::string page{std::istreambuf_iterator<char>(file), {}};
    const auto begin = page.find(".SH OPTIONS\n");
    const std::string section = page.substr(begin, page.find("\n.SH ", begin + 1) - begin);
    std::map<std::string, std::string> entries;
    std::string name;
    bool nested = false;
    std::size_t at = 0;
    while (at < section.size()) {
        const std::size_t end = std::min(section.find('\n', at), section.size());
        std::string line = section.substr(at, end - at);
        at = end + 1;
        // A list inside an entry (a word option's words) belongs to it.
        nested = line == ".RS" || (nested && line != ".RE");
        if (line == ".TP" && !nested) {
            name.clear();
            continue;
        }
        std::string plain;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line.compare(i, 2, "\\-") == 0) {
                plain += '-';
                ++i;
            } else if (line.compare(i, 2, "\\f") == 0) {
                i += 2;
            } else {
                plain += line[i];
            }
        }
        if (name.empty() && plain.starts_with(".B") && plain.find("--") != std::string::npos) {
            const auto dashes = plain.find("--") + 2;
            name = plain.substr(dashes, plain.find_first_of(" \"", dashes) - dashes);
            continue;
        }
        if (!name.empty()) {
            entries[name] +=
                (plain.starts_with(".B") ? plain.substr(plain.find(' ') + 1) : plain) + " ";
        }
    }
    return entries;
}

TEST(CliRegistry, ManPageListsEachOptionWithItsRulesAndWords) {
    const std::map<std::string, std::string> man = ManOptions();
    std::map<std::string, std::set<std::string_view>> rules;
    std::vector<std::span<const cli::Use>> uses = {cli::DayOptions()};
    for (const cli::Command& command : cli::Commands()) {
        uses.emplace_back(command.options);
    }
    for (const auto& options : uses) {
        for (const cli::Use& use : options) {
            const auto* choice = cli::ChoiceNamed(cli::ArgumentOf(use).choice);
            for (std::size_t i = 0; choice != nullptr && i < choice->words.size(); ++i) {
                rules[std::string(use.name.Text())].insert(choice->words[i].word);
            }
            if (choice == nullptr) {
                rules[std::string(use.name.Text())].insert(cli::RuleOf(use).text);
            }
        }
    }
    // Every option, each with its words: the commands' and those of shifts,
    // the room's table (its flag takes no value, so no rule).
    std::map<std::string, const teletraffic::ChoiceInfo*> options;
    for (const cli::Option& option : cli::kOptions) {
        options[std::string(cli::About(option).option)] =
            cli::ChoiceNamed(cli::About(option).choice);
    }
    for (const shifts::OptionUse& use : shifts::kOptions) {
        const std::string name(use.argument->option);
        if (use.Choice() == nullptr && !use.IsFlag()) {
            rules[name].insert(use.rule->text);
        }
        options[name] = use.Choice();
    }
    for (const auto& [name, choice] : options) {
        ASSERT_TRUE(man.contains(name)) << "--" << name << " is not in the man page";
        const std::string& entry = man.at(name);
        for (const std::string_view rule : rules[name]) {
            EXPECT_NE(entry.find(rule), std::string::npos) << "--" << name << ": " << rule;
        }
        for (const auto& word : choice != nullptr ? choice->words : decltype(choice->words){}) {
            EXPECT_NE(entry.find(word.word), std::string::npos)
                << "--" << name << ": " << word.word;
        }
    }
    const std::set<std::string> general = {"input",  "threads",  "json", "digits", "format",
                                           "shifts", "coverage", "help", "version"};
    for (const auto& [name, entry] : man) {
        EXPECT_TRUE(general.contains(name) || options.contains(name))
            << "the man page lists --" << name << ", which no command takes";
    }
}

// Below its domain, each option a command requires is refused by the rule its
// help quotes, under its own name: the help cannot drift from the engine.
TEST(CliRegistry, HelpQuotesTheRuleTheEngineRefusesBy) {
    int checked = 0;
    for (const cli::Command& command : cli::Commands()) {
        for (const cli::Use& tried : command.options) {
            const teletraffic::Rule& rule = cli::RuleOf(tried);
            if (tried.takes != cli::Takes::Required || tried.name.IsWord() ||
                std::isnan(tried.example)) {
                continue;
            }
            cli::Inputs in;
            for (const cli::Use& use : command.options) {
                in.Set(use.name, use.example);
            }
            in.Set(tried.name, rule.domain.min - 1);
            try {
                cli::Solve(command, in);
                ADD_FAILURE() << command.name << " --" << tried.name.Text() << " not refused";
            } catch (const teletraffic::DomainError& e) {
                EXPECT_EQ(e.about().option, tried.name.Text()) << command.name;
                EXPECT_EQ(e.rule(), rule.text) << command.name << " --" << tried.name.Text();
                EXPECT_NE(cli::Help(tried).find(rule.text), std::string::npos);
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 40);
}

// Every word choice, on the command line, in a batch column and for the table.
TEST(CliRegistry, WordsInAnySpellingReadAsTheirWord) {
    const std::vector<std::string> level = {
        "service-level", "--traffic", "10",      "--agents", "12",         "--aht", "180",
        "--target-time", "20",        "--lines", "16",       "--patience", "300",   "--basis"};
    const std::vector<std::string> overflow = {
        "overflow-lines", "--mean", "3", "--variance", "6", "--blocking", "0.01", "--method"};
    const std::vector<std::string> table = {"table",      "--lines", "1:2",
                                            "--blocking", "0.01",    "--format"};
    const auto with = [](std::vector<std::string> args, const std::string& word) {
        args.push_back(word);
        return args;
    };
    const struct {
        std::vector<std::string> args;
        std::string word, spelled;
    } cases[] = {
        {level, "answered", "Answered"},
        {level, "excluding-short-abandons", "excluding_short_abandons"},
        {level, "excluding-short-abandons", " Excluding Short Abandons "},
        {overflow, "hayward", "HAYWARD"},
        {table, "csv", "CSV"},
    };
    for (const auto& c : cases) {
        const Outcome want = Cli(with(c.args, c.word));
        const Outcome got = Cli(with(c.args, c.spelled));
        EXPECT_EQ(got.status, 0) << c.spelled << ": " << got.err;
        EXPECT_EQ(got.out, want.out) << c.spelled;
    }
    const std::string batch = "traffic,agents,aht,target-time,lines,patience,basis\n"
                              "10,12,180,20,16,300,excluding-short-abandons\n"
                              "10,12,180,20,16,300,EXCLUDING SHORT_ABANDONS\n";
    const Outcome rows = Cli({"service-level", "--input", "-"}, batch);
    ASSERT_EQ(rows.status, 0) << rows.err;
    std::istringstream lines(rows.out);
    std::string header, first, second;
    std::getline(lines, header);
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_EQ(first.substr(first.rfind(',')), second.substr(second.rfind(',')));
}

} // namespace
