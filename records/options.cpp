// The options' table beside the registry's rows, their refusals, and the
// checks of options that go together (options.h).
#include "records/options.h"

#include <array>
#include <cstdio>

namespace records {
namespace {

using K = OptionKind;
using S = OptionStage;

// In the order of the ids, each once (or it does not compile).
template <std::size_t N>
consteval std::array<OptionInfo, N> InIdOrder(const OptionInfo (&rows)[N]) {
    std::array<OptionInfo, N> table{};
    for (std::size_t i = 0; i < N; ++i) {
        if (static_cast<std::size_t>(rows[i].id) != i) {
            throw "rows in the order of the ids"; // ends the compile
        }
        table[i] = rows[i];
    }
    return table;
}

constexpr OptionInfo kInfoRows[] = {
    {Option::Format, K::Choice, "auto", S::Read},
    {Option::Timezone, K::Text, "", S::Read},
    {Option::Interval, K::Count, "15", S::Read},
    {Option::Trunk, K::Text, "", S::Read},
    {Option::Holding, K::Choice, "seizure", S::Read},
    {Option::StartColumn, K::Text, "", S::Read},
    {Option::EndColumn, K::Text, "", S::Read},
    {Option::DurationColumn, K::Text, "", S::Read},
    {Option::AnswerColumn, K::Text, "", S::Read},
    {Option::CallIdColumn, K::Text, "", S::Read},
    {Option::TimeFormat, K::Text, "", S::Read},
    {Option::Strict, K::Flag, "false", S::Read},
    {Option::Window, K::Count, "120", S::Read},
    {Option::Jobs, K::Count, "1", S::Read},
    {Option::From, K::Date, "", S::Summary},
    {Option::To, K::Date, "", S::Summary},
    {Option::NormalDays, K::Count, "30", S::Summary},
    {Option::HighDays, K::Count, "5", S::Summary},
    {Option::Blocking, K::Number, "0.01", S::Summary},
    {Option::HighBlocking, K::Number, "0.07", S::Summary},
    {Option::Lines, K::Number, "", S::Summary},
    {Option::FixedHour, K::ClockTime, "", S::Summary},
    {Option::Per, K::Choice, "period", S::Output},
    {Option::Json, K::Flag, "false", S::Output},
};
constexpr auto kInfo = InIdOrder(kInfoRows);
static_assert(kInfo.size() == kOptionCount);

std::string Message(Option id, Reason reason, const std::string& value, const std::string& rule,
                    std::optional<Option> other, const std::function<std::string(Option)>& name) {
    if (reason == Reason::Outside) {
        return name(id) + " must be " + rule + ", got \"" + value + "\"";
    }
    std::string why = rule;
    if (const auto at = why.find('@'); at != std::string::npos && other) {
        why.replace(at, 1, name(*other));
    }
    return name(id) + " " + why;
}

std::string PlainWords(Option option) {
    return std::string(About(option).words);
}

} // namespace

std::span<const OptionInfo> OptionTable() {
    return kInfo;
}

const OptionInfo& Info(Option option) {
    return kInfo[static_cast<std::size_t>(option)];
}

const OptionInfo* FindOption(std::string_view name) {
    for (const OptionInfo& info : kInfo) {
        if (info.name() == name) {
            return &info;
        }
    }
    return nullptr;
}

const teletraffic::Registry& RecordsRegistry() {
    static constexpr std::span<const teletraffic::ArgumentInfo> kTables[] = {kOptions};
    static constexpr const teletraffic::ChoiceInfo* kChoiceList[] = {&kChoices[0], &kChoices[1],
                                                                     &kChoices[2]};
    static const teletraffic::Registry registry{kTables, kChoiceList};
    return registry;
}

std::string_view FormatWord(Format format) {
    return choices::kFormat[static_cast<std::size_t>(format)].word;
}

OptionError::OptionError(Option option, std::string value, std::string rule)
    : std::invalid_argument(Message(option, Reason::Outside, value, rule, {}, PlainWords))
    , id_(option)
    , reason_(Reason::Outside)
    , value_(std::move(value))
    , rule_(std::move(rule)) {}

OptionError::OptionError(Option option, Reason reason, std::string why, std::optional<Option> other)
    : std::invalid_argument(Message(option, reason, {}, why, other, PlainWords))
    , id_(option)
    , reason_(reason)
    , rule_(std::move(why))
    , other_(other) {}

std::string OptionError::Worded(const std::function<std::string(Option)>& name) const {
    return Message(id_, reason_, value_, rule_, other_, name);
}

void CheckOptions(const Options& options) {
    const ReadOptions& r = options.read;
    const SummaryOptions& s = options.summary;
    if (r.format == Format::Csv && r.startColumn.empty()) {
        throw OptionError(Option::StartColumn, Reason::NeededByCsv, "is needed with format csv");
    }
    if (r.format == Format::Csv && r.endColumn.empty() == r.durationColumn.empty()) {
        throw OptionError(Option::EndColumn, Reason::EndOrDuration,
                          "or @ is needed with format csv, one of them and not both",
                          Option::DurationColumn);
    }
    if (!r.trunk.empty() && r.format != Format::Auto && r.format != Format::Asterisk) {
        throw OptionError(Option::Trunk, Reason::TrunkNeedsChannel,
                          "matches Asterisk's channel names; " + std::string(FormatWord(r.format)) +
                              " records name no channels");
    }
    if (r.holding == Holding::Answered && r.format == Format::Csv && r.answerColumn.empty()) {
        throw OptionError(Option::AnswerColumn, Reason::AnswerNeeded,
                          "is needed for @ answered on a csv file", Option::Holding);
    }
    if (s.from && s.to && *s.from > *s.to) {
        throw OptionError(Option::To, Reason::BeforeFrom, "must not come before @", Option::From);
    }
    if (s.fixedHourMinutes) {
        CheckFixedHour(*s.fixedHourMinutes, r.interval);
    }
}

void CheckFixedHour(int minutes, int interval) {
    if (minutes % interval != 0 || minutes > 23 * 60) {
        char text[8];
        std::snprintf(text, sizeof text, "%02d:%02d", minutes / 60 % 100, minutes % 60);
        throw OptionError(Option::FixedHour, text,
                          "HH:MM on a period boundary (every " + std::to_string(interval) +
                              " minutes), 23:00 at the latest");
    }
}

} // namespace records
