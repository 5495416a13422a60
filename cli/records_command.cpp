#include "cli/records_command.h"

#include "cli/words.h"

#include "records/records.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <string>

namespace cli {
namespace {

using records::Option;

// How the command line shows each option's value, in the order of the ids.
struct Shown {
    Option id;
    const char* value; // the placeholder; "" for a flag
};
constexpr Shown kShownRows[] = {
    {Option::Format, "FORMAT"},     {Option::Timezone, "ZONE"},
    {Option::Interval, "M"},        {Option::Trunk, "GLOB"},
    {Option::Holding, "HOLDING"},   {Option::StartColumn, "NAME"},
    {Option::EndColumn, "NAME"},    {Option::DurationColumn, "NAME"},
    {Option::AnswerColumn, "NAME"}, {Option::CallIdColumn, "NAME"},
    {Option::TimeFormat, "FORMAT"}, {Option::Strict, ""},
    {Option::Window, "M"},          {Option::Jobs, "N"},
    {Option::From, "DATE"},         {Option::To, "DATE"},
    {Option::NormalDays, "N"},      {Option::HighDays, "N"},
    {Option::Blocking, "B"},        {Option::HighBlocking, "B"},
    {Option::Lines, "K"},           {Option::FixedHour, "HH:MM"},
    {Option::Per, "WHAT"},          {Option::Json, ""},
};
consteval bool InIdOrder() {
    for (std::size_t i = 0; i < std::size(kShownRows); ++i) {
        if (static_cast<std::size_t>(kShownRows[i].id) != i) {
            return false;
        }
    }
    return std::size(kShownRows) == records::kOptionCount;
}
static_assert(InIdOrder(), "a placeholder for each option, in the order of the ids");

// The option as this command line spells it.
std::string Dashed(Option option) {
    return "--" + std::string(records::About(option).option);
}

const teletraffic::ChoiceInfo* ChoiceOf(Option option) {
    const std::string_view name = records::About(option).choice;
    return name.empty() ? nullptr : records::RecordsRegistry().Choice(name);
}

// What it is, what it takes (its words, or its rule) and its default.
std::string Help(const records::OptionInfo& info) {
    const teletraffic::ArgumentInfo& about = info.about();
    std::string help(about.sense);
    if (const teletraffic::ChoiceInfo* choice = ChoiceOf(info.id)) {
        return help.append(": ").append(WordsHelp(*choice, info.fallback));
    }
    if (info.kind != records::OptionKind::Flag) {
        help.append(" (").append(about.rule->text);
        if (!info.fallback.empty()) {
            help.append("; default ").append(info.fallback);
        }
        help.append(")");
    }
    return help;
}

constexpr const char* kFooter =
    "Examples:\n"
    "  corvane-cli records Master.csv --timezone Europe/Berlin --per day\n"
    "  corvane-cli records cdr/*.csv --jobs 2 --lines 24 --json\n"
    "  zcat Master.csv.gz | corvane-cli records - --per summary\n\n"
    "Exit status: 0 every row read, 1 a row refused (each reason counted, the first quoted on\n"
    "standard error), 2 a file not of the format or an option refused (see the message).\n";

} // namespace

struct RecordsCommand::Given {
    CLI::App* app = nullptr;
    std::vector<std::string> files;
    std::array<std::string, records::kOptionCount> texts;
    std::array<CLI::Option*, records::kOptionCount> options{};
    std::vector<Words> words;

    // The options as given, checked together.
    records::Options Read() const {
        records::Options o;
        for (const records::OptionInfo& info : records::OptionTable()) {
            const auto at = static_cast<std::size_t>(info.id);
            if (options[at]->count() > 0) {
                records::SetOption(o, info.id,
                                   info.kind == records::OptionKind::Flag ? "true" : texts[at]);
            }
        }
        records::CheckOptions(o);
        if (o.json && options[static_cast<std::size_t>(Option::Per)]->count() > 0 &&
            o.per != records::Per::Summary) {
            throw std::invalid_argument(
                "--json prints the summary: give it without --per " +
                std::string(records::choices::kPer[static_cast<std::size_t>(o.per)].word));
        }
        if (std::ranges::count(files, "-") > 1) {
            throw std::invalid_argument("standard input (-) is read once: give it once");
        }
        return o;
    }
};

RecordsCommand::RecordsCommand(CLI::App& app)
    : given_(std::make_unique<Given>()) {
    Given& g = *given_;
    g.app = app.add_subcommand("records",
                               "Call records (Asterisk, FreeSWITCH, CUCM or any CSV) read into "
                               "erlangs per period, the busy hour and the circuits it needs");
    g.app->add_option("files", g.files, "call record files, read together; - for standard input")
        ->required()
        ->type_name("FILE");
    for (const records::OptionInfo& info : records::OptionTable()) {
        const auto at = static_cast<std::size_t>(info.id);
        const std::string name = Dashed(info.id);
        if (info.kind == records::OptionKind::Flag) {
            g.options[at] = g.app->add_flag(name)->description(Help(info));
            continue;
        }
        CLI::Option* option =
            g.app->add_option(name, g.texts[at], Help(info))->type_name(kShownRows[at].value);
        if (const teletraffic::ChoiceInfo* choice = ChoiceOf(info.id)) {
            option->check(CLI::Validator(
                [choice](std::string& text) {
                    return teletraffic::ParseWord(*choice, text)
                               ? std::string()
                               : "\"" + text + "\" is not " + teletraffic::WordList(*choice);
                },
                "", "words"));
            g.words.push_back({option, choice});
        }
        g.options[at] = option;
    }
    g.app->footer(kFooter);
}

RecordsCommand::~RecordsCommand() = default;

bool RecordsCommand::Parsed() const {
    return given_->app->parsed();
}

const std::vector<RecordsCommand::Words>& RecordsCommand::WordOptions() const {
    return given_->words;
}

namespace {

// What the user should know of the reading beside the answer.
void Notes(const records::Tally& tally, const records::Options& options, std::ostream& err) {
    if (options.read.format == records::Format::Auto) {
        for (const records::SourceInfo& s : tally.sources) {
            err << "corvane-cli: " << records::Printable(s.name)
                << (s.format == records::Format::Auto
                        ? ": no call records in it"
                        : ": read as " + std::string(records::FormatWord(s.format)) +
                              " (--format auto)")
                << '\n';
        }
    }
    if (const std::int64_t refused = tally.RowsRefused(); refused > 0) {
        err << "corvane-cli: " << refused << " of " << tally.rows << " rows refused (";
        bool first = true;
        for (std::size_t i = 0; i < records::kRefusalCount; ++i) {
            if (tally.refused[i] > 0) {
                err << (first ? "" : ", ") << records::RefusalName(static_cast<records::Refusal>(i))
                    << ' ' << tally.refused[i];
                first = false;
            }
        }
        err << ")"
            << (tally.quotes.size() < static_cast<std::size_t>(refused) ? "; the first:\n" : ":\n");
        for (const records::Quote& q : tally.quotes) {
            err << "  " << records::Printable(q.source) << ':' << q.line << ": "
                << records::RefusalWords(q.reason) << ": " << q.text << '\n';
        }
    }
    const std::string window = std::to_string(options.read.windowMinutes);
    if (tally.late > 0) {
        err << "corvane-cli: " << tally.late << " rows ended more than --window " << window
            << " minutes before rows read before them: the peaks of their periods may be ranges\n";
    }
    if (tally.uncertain > 0) {
        err << "corvane-cli: " << tally.uncertain
            << " rows may belong to calls already closed, more than --window " << window
            << " minutes apart from their other rows: such calls may be counted twice\n";
    }
    if (tally.late > 0 || tally.uncertain > 0) {
        err << "corvane-cli: a --window longer than the longest call makes them exact\n";
    }
}

} // namespace

int RecordsCommand::Run(std::istream& in, std::ostream& out, std::ostream& err) const {
    const Given& g = *given_;
    records::Options options;
    records::Tally tally;
    records::Report report;
    try {
        options = g.Read();
        records::Reader reader(options.read);
        for (const std::string& file : g.files) {
            if (file == "-") {
                reader.AddStream("standard input", in);
            } else {
                reader.AddFile(file);
            }
        }
        tally = reader.Read();
        report = records::Summarize(tally, options.summary);
    } catch (const records::OptionError& e) {
        err << "corvane-cli: " << e.Worded(Dashed) << '\n';
        return 2;
    } catch (const records::RowRefused& e) {
        err << "corvane-cli: " << e.what() << " (--strict: nothing printed)\n";
        return 1;
    } catch (const std::exception& e) {
        err << "corvane-cli: " << e.what() << '\n';
        return 2;
    }
    if (options.json) {
        out << records::SummaryJson(report, tally) << '\n';
    } else if (options.per == records::Per::Period) {
        records::WritePeriods(out, report);
    } else if (options.per == records::Per::Day) {
        records::WriteDays(out, report);
    } else {
        records::WriteSummary(out, report, tally);
    }
    Notes(tally, options, err);
    return tally.RowsRefused() > 0 ? 1 : 0;
}

} // namespace cli
