#include "records/options.h"

#include "records/clock.h"

#include <array>
#include <charconv>
#include <cmath>

namespace records {
namespace {

constexpr std::array<std::string_view, 5> kFormats = {"auto", "asterisk", "freeswitch", "cucm",
                                                      "csv"};
constexpr std::array<std::string_view, 2> kHoldings = {"seizure", "answered"};
constexpr std::array<std::string_view, 3> kPers = {"period", "day", "summary"};

using K = OptionKind;
using S = OptionStage;
constexpr std::array<OptionInfo, 24> kTable = {{
    {"format", "what wrote the files; auto says what it chose",
     "auto, asterisk, freeswitch, cucm or csv", K::Choice, kFormats, "auto", S::Read},
    {"timezone",
     "the zone of local times without an offset, and of the periods and days",
     "an IANA time zone such as Europe/Berlin",
     K::Text,
     {},
     "",
     S::Read},
    {"interval",
     "minutes in a read-out period",
     "a whole number of minutes dividing 60",
     K::Count,
     {},
     "15",
     S::Read},
    {"trunk",
     "count seizures of the Asterisk channels matching this glob, e.g. PJSIP/carrier-*",
     "a glob (* ? [...])",
     K::Text,
     {},
     "",
     S::Read},
    {"holding", "seizure: from start to end; answered: from answer to end (talk time)",
     "seizure or answered", K::Choice, kHoldings, "seizure", S::Read},
    {"start-column",
     "csv: the column of the seizure's start",
     "a column named in the header",
     K::Text,
     {},
     "",
     S::Read},
    {"end-column",
     "csv: the column of the call's end",
     "a column named in the header",
     K::Text,
     {},
     "",
     S::Read},
    {"duration-column",
     "csv: the column of the holding in seconds, where there is no end",
     "a column named in the header",
     K::Text,
     {},
     "",
     S::Read},
    {"answer-column",
     "csv: the column of the answer time",
     "a column named in the header",
     K::Text,
     {},
     "",
     S::Read},
    {"call-id-column",
     "csv: rows sharing this column are one call",
     "a column named in the header",
     K::Text,
     {},
     "",
     S::Read},
    {"time-format",
     "csv: strptime directives of the times (whole seconds); ISO 8601 or epoch seconds without it",
     "strftime directives such as %d/%m/%Y %H:%M:%S",
     K::Text,
     {},
     "",
     S::Read},
    {"strict", "stop at the first refused row", "true or false", K::Flag, {}, "false", S::Read},
    {"window",
     "minutes a row may end before the latest end read and still join its call",
     "a whole number of minutes from 1 to 525600",
     K::Count,
     {},
     "120",
     S::Read},
    {"jobs", "files read at once", "a whole number from 1 to 256", K::Count, {}, "1", S::Read},
    {"from", "the first measured day", "a date YYYY-MM-DD", K::Date, {}, "", S::Summary},
    {"to", "the last measured day", "a date YYYY-MM-DD", K::Date, {}, "", S::Summary},
    {"normal-days",
     "the highest days averaged for the normal load",
     "a whole number from 1",
     K::Count,
     {},
     "30",
     S::Summary},
    {"high-days",
     "the highest days averaged for the high load",
     "a whole number from 1",
     K::Count,
     {},
     "5",
     S::Summary},
    {"blocking",
     "Erlang B blocking at the normal load",
     "a probability above 0 and below 1",
     K::Number,
     {},
     "0.01",
     S::Summary},
    {"high-blocking",
     "Erlang B blocking at the high load",
     "a probability above 0 and below 1",
     K::Number,
     {},
     "0.07",
     S::Summary},
    {"lines",
     "lines of the measured group: carried traffic taken to offered",
     "a number of lines above 0",
     K::Number,
     {},
     "",
     S::Summary},
    {"fixed-hour",
     "the clock hour of fdmh-traffic",
     "HH:MM on a period boundary, 23:00 at the latest",
     K::ClockTime,
     {},
     "",
     S::Summary},
    {"per", "one row per period, per day, or the summary", "period, day or summary", K::Choice,
     kPers, "period", S::Output},
    {"json", "the summary as one JSON object", "true or false", K::Flag, {}, "false", S::Output},
}};

[[noreturn]] void Refuse(const OptionInfo& info, std::string_view text) {
    throw OptionError(std::string(info.name), "--" + std::string(info.name) + " must be " +
                                                  std::string(info.domain) + ", got \"" +
                                                  std::string(text) + "\"");
}

std::int64_t ReadCount(const OptionInfo& info, std::string_view text, std::int64_t min,
                       std::int64_t max) {
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < min || value > max) {
        Refuse(info, text);
    }
    return value;
}

double ReadNumber(const OptionInfo& info, std::string_view text) {
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        Refuse(info, text);
    }
    return value;
}

std::size_t ChoiceIndex(const OptionInfo& info, std::string_view text) {
    for (std::size_t i = 0; i < info.choices.size(); ++i) {
        if (info.choices[i] == text) {
            return i;
        }
    }
    Refuse(info, text);
}

bool ReadFlag(const OptionInfo& info, std::string_view text) {
    if (text.empty() || text == "true") {
        return true;
    }
    if (text == "false") {
        return false;
    }
    Refuse(info, text);
}

} // namespace

std::span<const OptionInfo> OptionTable() {
    return kTable;
}

const OptionInfo* FindOption(std::string_view name) {
    for (const OptionInfo& info : kTable) {
        if (info.name == name) {
            return &info;
        }
    }
    return nullptr;
}

std::string_view FormatWord(Format format) {
    return kFormats[static_cast<std::size_t>(format)];
}

void SetOption(Options& options, std::string_view name, std::string_view text) {
    const OptionInfo* info = FindOption(name);
    if (info == nullptr) {
        throw OptionError(std::string(name), "there is no option --" + std::string(name));
    }
    ReadOptions& r = options.read;
    SummaryOptions& s = options.summary;
    const std::string value(text);
    if (name == "format") {
        r.format = static_cast<Format>(ChoiceIndex(*info, text));
    } else if (name == "timezone") {
        try {
            r.timezone = Zone(value).Name();
        } catch (const std::invalid_argument&) {
            Refuse(*info, text);
        }
    } else if (name == "interval") {
        const auto minutes = ReadCount(*info, text, 1, 60);
        if (60 % minutes != 0) {
            Refuse(*info, text);
        }
        r.interval = static_cast<int>(minutes);
    } else if (name == "trunk") {
        r.trunk = value;
    } else if (name == "holding") {
        r.holding = static_cast<Holding>(ChoiceIndex(*info, text));
    } else if (name == "start-column") {
        r.startColumn = value;
    } else if (name == "end-column") {
        r.endColumn = value;
    } else if (name == "duration-column") {
        r.durationColumn = value;
    } else if (name == "answer-column") {
        r.answerColumn = value;
    } else if (name == "call-id-column") {
        r.callIdColumn = value;
    } else if (name == "time-format") {
        r.timeFormat = value;
    } else if (name == "strict") {
        r.strict = ReadFlag(*info, text);
    } else if (name == "window") {
        r.windowMinutes = static_cast<int>(ReadCount(*info, text, 1, 525'600));
    } else if (name == "jobs") {
        r.jobs = static_cast<int>(ReadCount(*info, text, 1, 256));
    } else if (name == "from" || name == "to") {
        const auto day = ParseDate(text);
        if (!day) {
            Refuse(*info, text);
        }
        (name == "from" ? s.from : s.to) = *day;
    } else if (name == "normal-days") {
        s.normalDays = static_cast<int>(ReadCount(*info, text, 1, 100'000));
    } else if (name == "high-days") {
        s.highDays = static_cast<int>(ReadCount(*info, text, 1, 100'000));
    } else if (name == "blocking" || name == "high-blocking") {
        const double p = ReadNumber(*info, text);
        if (!(p > 0 && p < 1)) {
            Refuse(*info, text);
        }
        (name == "blocking" ? s.blocking : s.highBlocking) = p;
    } else if (name == "lines") {
        const double lines = ReadNumber(*info, text);
        if (!(lines > 0 && lines <= 2e9)) {
            Refuse(*info, text);
        }
        s.lines = lines;
    } else if (name == "fixed-hour") {
        const Stamp stamp = ParseClockTime("1970-01-01 " + value);
        if (stamp.kind != Stamp::Kind::WithoutSeconds || value.size() != 5) {
            Refuse(*info, text);
        }
        const int hh = (value[0] - '0') * 10 + (value[1] - '0');
        const int mm = (value[3] - '0') * 10 + (value[4] - '0');
        s.fixedHourMinutes = hh * 60 + mm;
    } else if (name == "per") {
        options.per = static_cast<Per>(ChoiceIndex(*info, text));
    } else if (name == "json") {
        options.json = ReadFlag(*info, text);
    }
}

void CheckOptions(const Options& options) {
    const ReadOptions& r = options.read;
    const SummaryOptions& s = options.summary;
    if (r.format == Format::Csv && r.startColumn.empty()) {
        throw OptionError("start-column", "--format csv needs --start-column");
    }
    if (r.format == Format::Csv && r.endColumn.empty() == r.durationColumn.empty()) {
        throw OptionError("end-column",
                          "--format csv needs one of --end-column and --duration-column");
    }
    if (!r.trunk.empty() && r.format != Format::Auto && r.format != Format::Asterisk) {
        throw OptionError("trunk", "--trunk matches Asterisk's channel names; " +
                                       std::string(FormatWord(r.format)) +
                                       " records name no channels");
    }
    if (r.holding == Holding::Answered && r.format == Format::Csv && r.answerColumn.empty()) {
        throw OptionError("holding", "--holding answered on a csv file needs --answer-column");
    }
    if (s.from && s.to && *s.from > *s.to) {
        throw OptionError("to", "--to must not come before --from");
    }
    if (s.fixedHourMinutes &&
        (*s.fixedHourMinutes % r.interval != 0 || *s.fixedHourMinutes > 23 * 60)) {
        throw OptionError("fixed-hour", "--fixed-hour must be on a period boundary (every " +
                                            std::to_string(r.interval) +
                                            " minutes), 23:00 at the latest");
    }
}

} // namespace records
