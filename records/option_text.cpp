// Options from their text (option_text.h), apart from the reading: words
// are read by the registry's reader, which the engine's library holds.
#include "records/option_text.h"

#include "records/clock.h"

#include <charconv>
#include <cmath>

namespace records {
namespace {

[[noreturn]] void Refuse(Option option, std::string_view text) {
    throw OptionError(option, std::string(text), std::string(About(option).rule->text));
}

std::int64_t ReadCount(Option option, std::string_view text) {
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() ||
        !About(option).rule->domain.Contains(static_cast<double>(value))) {
        Refuse(option, text);
    }
    return value;
}

double ReadNumber(Option option, std::string_view text) {
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() ||
        !About(option).rule->domain.Contains(value)) {
        Refuse(option, text);
    }
    return value;
}

template <typename Enum> Enum ReadWord(Option option, std::string_view text) {
    const teletraffic::ChoiceInfo* choice = RecordsRegistry().Choice(About(option).choice);
    const auto at = teletraffic::ParseWord(*choice, text);
    if (!at) {
        throw OptionError(option, std::string(text), "one of " + teletraffic::WordList(*choice));
    }
    return static_cast<Enum>(*at);
}

bool ReadFlag(Option option, std::string_view text) {
    if (text.empty() || text == "true") {
        return true;
    }
    if (text == "false") {
        return false;
    }
    Refuse(option, text);
}

} // namespace

void SetOption(Options& options, std::string_view name, std::string_view text) {
    const OptionInfo* info = FindOption(name);
    if (info == nullptr) {
        throw std::invalid_argument("there is no option --" + std::string(name));
    }
    SetOption(options, info->id, text);
}

void SetOption(Options& options, Option option, std::string_view text) {
    ReadOptions& r = options.read;
    SummaryOptions& s = options.summary;
    const std::string value(text);
    switch (option) {
    case Option::Format:
        r.format = ReadWord<Format>(option, text);
        break;
    case Option::Timezone:
        try {
            r.timezone = Zone(value).Name();
        } catch (const std::invalid_argument&) {
            Refuse(option, text);
        }
        break;
    case Option::Interval: {
        const auto minutes = ReadCount(option, text);
        if (60 % minutes != 0) {
            Refuse(option, text);
        }
        r.interval = static_cast<int>(minutes);
        break;
    }
    case Option::Trunk:
        r.trunk = value;
        break;
    case Option::Holding:
        r.holding = ReadWord<Holding>(option, text);
        break;
    case Option::StartColumn:
        r.startColumn = value;
        break;
    case Option::EndColumn:
        r.endColumn = value;
        break;
    case Option::DurationColumn:
        r.durationColumn = value;
        break;
    case Option::AnswerColumn:
        r.answerColumn = value;
        break;
    case Option::CallIdColumn:
        r.callIdColumn = value;
        break;
    case Option::TimeFormat:
        r.timeFormat = value;
        break;
    case Option::Strict:
        r.strict = ReadFlag(option, text);
        break;
    case Option::Window:
        r.windowMinutes = static_cast<int>(ReadCount(option, text));
        break;
    case Option::Jobs:
        r.jobs = static_cast<int>(ReadCount(option, text));
        break;
    case Option::From:
    case Option::To: {
        const auto day = ParseDate(text);
        if (!day) {
            Refuse(option, text);
        }
        (option == Option::From ? s.from : s.to) = *day;
        break;
    }
    case Option::NormalDays:
        s.normalDays = static_cast<int>(ReadCount(option, text));
        break;
    case Option::HighDays:
        s.highDays = static_cast<int>(ReadCount(option, text));
        break;
    case Option::Blocking:
        s.blocking = ReadNumber(option, text);
        break;
    case Option::HighBlocking:
        s.highBlocking = ReadNumber(option, text);
        break;
    case Option::Lines:
        s.lines = ReadNumber(option, text);
        break;
    case Option::FixedHour: {
        const Stamp stamp = ParseClockTime("1970-01-01 " + value);
        if (stamp.kind != Stamp::Kind::WithoutSeconds || value.size() != 5) {
            Refuse(option, text);
        }
        const int hh = (value[0] - '0') * 10 + (value[1] - '0');
        const int mm = (value[3] - '0') * 10 + (value[4] - '0');
        s.fixedHourMinutes = hh * 60 + mm;
        break;
    }
    case Option::Per:
        options.per = ReadWord<Per>(option, text);
        break;
    case Option::Json:
        options.json = ReadFlag(option, text);
        break;
    }
}

} // namespace records
