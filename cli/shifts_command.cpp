// The command `shifts`: its options from the room's table, the two files
// read whole (bounded), the problem solved by the room, and the schedule
// written as CSV or JSON. The room's refusals are worded here with the
// options the user typed: its DomainErrors by the row's option, its
// OptionErrors by the option and the objective's word.
#include "cli/shifts_command.h"

#include "cli/commands.h"
#include "cli/numbers.h"
#include "shifts/options.h"
#include "shifts/schedule.h"
#include "teletraffic/error.h"
#include "teletraffic/number_text.h"
#include "textio/csv.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fstream>
#include <iterator>
#include <system_error>

namespace cli {
namespace {

namespace tt = teletraffic;
using Json = nlohmann::ordered_json;

// How this command shows each option: its placeholder, and where the row's
// own sense is not all it means here, a sense or a note of its own.
struct ShownOption {
    std::string_view option, placeholder, sense, note;
};
constexpr ShownOption kShown[] = {
    {"objective", "OBJECTIVE", "", ""},
    {"shortage-cost", "X", "", ""},
    {"time-limit", "SECONDS", "", ""},
    {"cyclic", "", "", ""},
    {"interval", "M", "", ""},
    {"service-level", "P", "", ", of all the horizon's calls together"},
    {"min-service-level", "Q", "", ""},
    {"aht", "S", "", ""},
    {"target-time", "T", "", ""},
    {"patience", "S", "", ", in seconds (Erlang A)"},
    {"lines", "N", "lines of the centre: the calls it holds at once, answered or waiting",
     " (Erlang X)"},
    {"redial", "R", "", ""},
    {"basis", "BASIS", "", ""},
};

const ShownOption& Shown(const shifts::OptionUse& use) {
    const auto found = std::ranges::find(kShown, use.argument->option, &ShownOption::option);
    return found != std::end(kShown) ? *found : kShown[0];
}

// The help: the row's sense (or this command's) and the room's rule, then
// what the room's table says of it.
std::string HelpOfUse(const shifts::OptionUse& use) {
    const ShownOption& shown = Shown(use);
    std::string note(shown.note);
    if (use.objective != shifts::For::Both) {
        note += use.objective == shifts::For::Cover ? "; cover only" : "; service only";
    }
    if (use.required) {
        note += ", required";
    }
    if (!use.defaultText.empty() && use.Choice() == nullptr && !use.IsFlag()) {
        note += "; default " + std::string(use.defaultText);
    }
    tt::ArgumentInfo about = *use.argument;
    if (!shown.sense.empty()) {
        about.sense = shown.sense;
    }
    if (use.IsFlag()) {
        return std::string(about.sense) + note;
    }
    return HelpOf(about, *use.rule, note);
}

std::string OptionText(const tt::ArgumentInfo& about) {
    return "--" + std::string(about.option);
}

std::string_view ObjectiveWord(shifts::Objective objective) {
    return shifts::kObjectiveChoice.words[static_cast<std::size_t>(objective)].word;
}

// The whole of `path` ("-": `in`), refused past kMaxShiftsFile.
std::string ReadWhole(const std::string& path, const std::string& name, std::istream& in) {
    std::ifstream file;
    std::istream* from = &in;
    if (path != "-") {
        file.open(path, std::ios::binary);
        if (!file) {
            throw std::runtime_error(
                name + " cannot be opened: " + std::generic_category().message(errno));
        }
        from = &file;
    }
    std::string text;
    char buffer[1 << 16];
    while (*from) {
        from->read(buffer, sizeof buffer);
        text.append(buffer, static_cast<std::size_t>(from->gcount()));
        if (static_cast<long>(text.size()) > kMaxShiftsFile) {
            throw std::runtime_error(name + " is larger than " +
                                     std::to_string(kMaxShiftsFile >> 20) + " MiB");
        }
    }
    if (from->bad()) {
        throw std::runtime_error(name + " cannot be read to its end");
    }
    return text;
}

std::string StatusWord(const shifts::Summary& s) {
    return s.status == shifts::Status::Optimal ? "optimal" : "feasible";
}

Json Number(double value, int digits = 0) {
    return std::isfinite(value) ? JsonNumber(value, digits) : Json(nullptr);
}

std::string Text(double value) {
    return number_text::Show(value);
}

// The periods short, as a note: "07:00 by 2, 07:15 by 1", the first 20.
std::string ShortNote(const shifts::Schedule& schedule) {
    std::string list;
    int listed = 0;
    for (const shifts::PeriodCoverage& c : schedule.coverage) {
        if (c.shortBy > 0 && listed++ < 20) {
            list.append(list.empty() ? "" : ", ")
                .append(schedule.horizon.Label(c.start))
                .append(" by ")
                .append(std::to_string(c.shortBy));
        }
    }
    const int periods = schedule.summary.shortPeriods;
    if (periods > 20) {
        list += " and " + std::to_string(periods - 20) + " more";
    }
    return list;
}

bool Service(const shifts::Problem& problem) {
    return problem.settings.objective == shifts::Objective::Service;
}

void WriteShifts(const shifts::Schedule& s, std::ostream& out) {
    std::string text = "shift,start,end,breaks,agents\n";
    for (const shifts::Group& g : s.groups) {
        textio::AppendField(text, g.shift);
        text.append(",")
            .append(s.horizon.Label(g.start))
            .append(",")
            .append(s.horizon.Label(g.start + g.length))
            .append(",")
            .append(shifts::BreaksText(s.horizon, g))
            .append(",")
            .append(std::to_string(g.agents))
            .append("\n");
    }
    out << text;
}

void WriteCoverage(const shifts::Problem& problem, const shifts::Schedule& s, std::ostream& out) {
    const bool service = Service(problem);
    std::string text = service ? "start,calls,on-phones,on-break,over,short,service-level\n"
                               : "start,required,on-phones,on-break,over,short\n";
    for (const shifts::PeriodCoverage& c : s.coverage) {
        text.append(s.horizon.Label(c.start))
            .append(",")
            .append(Text(service ? c.calls : c.required));
        for (const int n : {c.onPhones, c.onBreak, c.over, c.shortBy}) {
            text.append(",").append(std::to_string(n));
        }
        if (service) {
            text.append(",").append(std::isnan(c.serviceLevel) ? "" : Text(c.serviceLevel));
        }
        text.append("\n");
    }
    out << text;
}

void WriteJson(const shifts::Problem& problem, const shifts::Schedule& s, std::ostream& out) {
    const shifts::Summary& sum = s.summary;
    const bool service = Service(problem);
    Json json;
    json["status"] = StatusWord(sum);
    json["gap"] = Number(sum.gap);
    // Sums of the templates' costs and hours: their last digits are the
    // sums' rounding, not the schedule's.
    json["cost"] = Number(sum.cost, 12);
    json["agents"] = sum.agents;
    json["paid-hours"] = Number(sum.paidHours, 12);
    json["short-periods"] = sum.shortPeriods;
    json["short"] = sum.agentPeriodsShort;
    if (service) {
        json["service-level"] = Number(sum.serviceLevel);
    }
    json["seconds"] = Number(sum.seconds, 3);
    Json& groups = json["shifts"] = Json::array();
    for (const shifts::Group& g : s.groups) {
        groups.push_back({{"shift", g.shift},
                          {"start", s.horizon.Label(g.start)},
                          {"end", s.horizon.Label(g.start + g.length)},
                          {"breaks", shifts::BreaksText(s.horizon, g)},
                          {"agents", g.agents}});
    }
    Json& periods = json["coverage"] = Json::array();
    for (const shifts::PeriodCoverage& c : s.coverage) {
        Json row;
        row["start"] = s.horizon.Label(c.start);
        row[service ? "calls" : "required"] = Number(service ? c.calls : c.required);
        row["on-phones"] = c.onPhones;
        row["on-break"] = c.onBreak;
        row["over"] = c.over;
        row["short"] = c.shortBy;
        if (service) {
            row["service-level"] = Number(c.serviceLevel);
        }
        periods.push_back(std::move(row));
    }
    out << json.dump(2) << '\n';
}

} // namespace

struct ShiftsCommand::Given {
    CLI::App* app = nullptr;
    std::string input, templates;
    bool coverage = false, json = false;
    struct Value {
        const shifts::OptionUse* use;
        CLI::Option* option;
        std::string text;
        bool flag = false;
    };
    std::vector<Value> values; // one per row of the room's table
    std::vector<std::pair<const CLI::Option*, const tt::ChoiceInfo*>> words;
};

ShiftsCommand::ShiftsCommand(CLI::App& app)
    : given_(std::make_unique<Given>()) {
    Given& g = *given_;
    g.app = app.add_subcommand(
        "shifts", "Shifts with their breaks, optimal, from the agents (or the calls) each period "
                  "needs and the shift templates people may work");
    g.app
        ->add_option("--input", g.input,
                     "CSV of the periods (- for standard input): start, and agents (cover) or "
                     "calls (service)")
        ->type_name("FILE")
        ->required();
    g.app->add_option("--shifts", g.templates, "JSON of the shift templates (- for standard input)")
        ->type_name("FILE")
        ->required();
    g.values.reserve(std::size(shifts::kOptions));
    for (const shifts::OptionUse& use : shifts::kOptions) {
        Given::Value& v = g.values.emplace_back(Given::Value{&use, nullptr, {}});
        const std::string name = OptionText(*use.argument);
        if (use.IsFlag()) {
            v.option = g.app->add_flag(name, v.flag, HelpOfUse(use));
            continue;
        }
        v.option = g.app->add_option(name, v.text, HelpOfUse(use))
                       ->type_name(std::string(Shown(use).placeholder));
        if (const tt::ChoiceInfo* choice = use.Choice()) {
            v.option->check(CLI::Validator(
                [choice](std::string& text) {
                    return tt::ParseWord(*choice, text)
                               ? std::string()
                               : "\"" + text + "\" is not " + tt::WordList(*choice);
                },
                "", "words"));
            g.words.emplace_back(v.option, choice);
        }
    }
    g.app->add_flag("--coverage", g.coverage,
                    "print one row a period instead: its requirement or calls, the agents on the "
                    "phones and on a break, over and short, and its service level");
    g.app->add_flag("--json", g.json, "print the summary, the shifts and the coverage as JSON");
    g.app->footer(
        "Example:\n  corvane-cli shifts --input day.csv --shifts templates.json\n"
        "  corvane-cli shifts --input calls.csv --shifts templates.json --objective service \\\n"
        "      --service-level 0.8 --aht 180 --target-time 20\n\n"
        "Exit status: 0 scheduled, 1 scheduled but some periods are short of their "
        "requirement (named on standard error), 2 refused (see the message).\n");
}

ShiftsCommand::~ShiftsCommand() = default;

bool ShiftsCommand::Parsed() const {
    return given_->app->parsed();
}

std::vector<std::pair<const CLI::Option*, const tt::ChoiceInfo*>>
ShiftsCommand::WordOptions() const {
    return given_->words;
}

int ShiftsCommand::Run(std::istream& in, std::ostream& out, std::ostream& err) const {
    const Given& g = *given_;
    if (g.input == "-" && g.templates == "-") {
        throw std::runtime_error("--input and --shifts cannot both read standard input");
    }
    shifts::Problem problem;
    shifts::Schedule schedule;
    try {
        shifts::Settings& settings = problem.settings;
        for (const Given::Value& v : g.values) {
            if (v.option->count() == 0) {
                continue;
            }
            const tt::ArgumentInfo& about = *v.use->argument;
            if (v.use->IsFlag()) {
                shifts::SetOption(settings, about, 1);
            } else if (v.use->Choice() != nullptr) {
                shifts::SetWord(settings, about, v.text);
            } else {
                shifts::SetOption(settings, about, ParseNumber(v.text, OptionText(about)));
            }
        }
        shifts::CheckSettings(settings);
        const std::string inputName = "--input " + g.input;
        problem.templatesName = "--shifts " + g.templates;
        problem.requirements =
            shifts::ReadRequirements(ReadWhole(g.input, inputName, in), settings.Source(inputName));
        problem.templates = shifts::ReadTemplates(ReadWhole(g.templates, problem.templatesName, in),
                                                  problem.templatesName);
        schedule = shifts::Solve(problem);
    } catch (const tt::DomainError& e) {
        throw std::runtime_error(OptionText(e.about()) + " must be " + e.rule() + ", got " +
                                 number_text::Show(e.value()));
    } catch (const shifts::OptionError& e) {
        const std::string option = OptionText(e.argument());
        if (e.kind() == shifts::OptionError::Kind::Required) {
            throw std::runtime_error(option + " is required with --objective " +
                                     std::string(e.objective()));
        }
        const shifts::OptionUse* use = shifts::OptionOf(e.argument());
        throw std::runtime_error(
            option + " goes with --objective " +
            std::string(ObjectiveWord(use != nullptr && use->objective == shifts::For::Cover
                                          ? shifts::Objective::Cover
                                          : shifts::Objective::Service)) +
            ", not " + std::string(e.objective()));
    } catch (const shifts::NoSchedule& e) {
        throw std::runtime_error(std::string("no schedule: ") + e.what());
    }
    if (g.json) {
        WriteJson(problem, schedule, out);
    } else if (g.coverage) {
        WriteCoverage(problem, schedule, out);
    } else {
        WriteShifts(schedule, out);
    }
    const shifts::Summary& sum = schedule.summary;
    if (sum.status != shifts::Status::Optimal) {
        err << "corvane-cli: the best schedule found within the time limit of "
            << Text(problem.settings.timeLimit) << " s, not proven optimal: gap "
            << (std::isfinite(sum.gap) ? number_text::Show(100 * sum.gap, 3) + " %" : "unknown")
            << "\n";
    }
    if (Service(problem) || sum.shortPeriods == 0) {
        return 0;
    }
    const bool priced = problem.settings.shortageCost.has_value();
    err << "corvane-cli: " << sum.shortPeriods << (sum.shortPeriods == 1 ? " period" : " periods")
        << " short of the requirement, " << sum.agentPeriodsShort << " agent-periods in all"
        << (priced ? ", at the shortage cost"
                   : ", where no shift reaches or the templates' max "
                     "allow no more")
        << ": " << ShortNote(schedule) << "\n";
    return priced ? 0 : 1;
}

} // namespace cli
