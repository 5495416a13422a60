#include "records/formats.h"

#include <fnmatch.h>

#include <charconv>

namespace records {
namespace {

constexpr std::array<std::string_view, kRefusalCount> kRefusalNames = {"fields",
                                                                       "missing-time",
                                                                       "bad-time",
                                                                       "time-without-seconds",
                                                                       "nonexistent-time",
                                                                       "end-before-start",
                                                                       "bad-duration",
                                                                       "negative-duration",
                                                                       "answer-outside-call",
                                                                       "unclosed-quote"};
constexpr std::array<std::string_view, kRefusalCount> kRefusalWords = {
    "not the file's number of fields",
    "a start or end left empty",
    "a time that does not parse",
    "a time without seconds (re-saved by a spreadsheet?)",
    "a local time the clocks skipped when they went forward",
    "an end before its start",
    "a duration that is not a number of seconds",
    "a negative duration",
    "an answer before the start or after the end",
    "a quoted field running to the end of the file",
    "a holding over 31 days (a clock set wrong?)"};
constexpr std::array<std::string_view, kSkipCount> kSkipNames = {"record-type", "other-channel",
                                                                 "unanswered"};

bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool LooksLikeUuid(std::string_view s) {
    if (s.size() != 36) {
        return false;
    }
    for (std::size_t i = 0; i < s.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? s[i] != '-' : !IsHex(s[i])) {
            return false;
        }
    }
    return true;
}

bool LooksLikeTime(std::string_view s) {
    return ParseClockTime(s).kind != Stamp::Kind::Invalid;
}

struct Instant {
    std::int64_t ns = 0, laterNs = 0;
    bool ambiguous = false;
};

// A time's text read to an instant; nullopt-like through the refusal.
bool ReadInstant(std::string_view text, const Stamp& stamp, const Zone& zone, Instant& out,
                 Refusal& why) {
    if (text.empty()) {
        why = Refusal::MissingTime;
        return false;
    }
    switch (stamp.kind) {
    case Stamp::Kind::Invalid:
        why = Refusal::BadTime;
        return false;
    case Stamp::Kind::WithoutSeconds:
        why = Refusal::WithoutSeconds;
        return false;
    case Stamp::Kind::Instant:
        out.ns = out.laterNs = stamp.seconds * kNanos + stamp.nanos;
        return true;
    case Stamp::Kind::Local:
        break;
    }
    const Resolved r = zone.ToUtc(stamp.seconds);
    if (r.kind == Resolved::Kind::Nonexistent) {
        why = Refusal::Nonexistent;
        return false;
    }
    out.ns = r.earlier * kNanos + stamp.nanos;
    out.laterNs = r.later * kNanos + stamp.nanos;
    out.ambiguous = r.kind == Resolved::Kind::Ambiguous;
    return true;
}

DecodedRow Refused(Refusal why) {
    DecodedRow row;
    row.outcome = DecodedRow::Outcome::Refused;
    row.refusal = why;
    return row;
}

DecodedRow Skipped(Skip why) {
    DecodedRow row;
    row.outcome = DecodedRow::Outcome::Skipped;
    row.skip = why;
    return row;
}

std::string Fields(std::span<const std::string_view> fields) {
    std::string list;
    for (const std::string_view f : fields) {
        list += (list.empty() ? "" : ", ") + std::string(f);
    }
    return list;
}

} // namespace

std::string_view RefusalName(Refusal reason) {
    return kRefusalNames[static_cast<std::size_t>(reason)];
}
std::string_view RefusalWords(Refusal reason) {
    return kRefusalWords[static_cast<std::size_t>(reason)];
}
std::string_view SkipName(Skip reason) {
    return kSkipNames[static_cast<std::size_t>(reason)];
}

Decoder::Decoder(const ReadOptions& options, const Zone& zone, std::string source)
    : options_(options)
    , zone_(zone)
    , source_(std::move(source))
    , format_(options.format) {}

std::size_t Decoder::Column(std::span<const std::string_view> header, const std::string& name,
                            std::string_view option) const {
    if (name.empty()) {
        return std::string_view::npos;
    }
    for (std::size_t i = 0; i < header.size(); ++i) {
        if (header[i] == name) {
            return i;
        }
    }
    throw FormatError(source_ + ": no column \"" + name + "\" (--" + std::string(option) +
                      ") in its header: " + Fields(header));
}

void Decoder::Choose(std::span<const std::string_view> f) {
    const std::size_t n = f.size();
    const bool asterisk = (n == 16 || n == 17 || n == 18 || n == 21) && LooksLikeTime(f[9]);
    const bool freeswitch = (n == 13 || n == 15) && LooksLikeUuid(f[10]);
    const bool cucm = n > 0 && f[0] == "cdrRecordType";
    if (format_ == Format::Auto) {
        format_ = cucm         ? Format::Cucm
                  : asterisk   ? Format::Asterisk
                  : freeswitch ? Format::FreeSwitch
                  : !options_.startColumn.empty() &&
                          (!options_.endColumn.empty() || !options_.durationColumn.empty())
                      ? Format::Csv
                      : Format::Auto;
        if (format_ == Format::Auto) {
            std::string hint;
            for (std::size_t i = 0; i < n && hint.empty(); ++i) {
                if (LooksLikeTime(f[i])) {
                    hint = "; its first line has " + std::to_string(n) +
                           " fields with a time in field " + std::to_string(i + 1) +
                           ": an Asterisk cdr_custom layout? Give the file a header line naming "
                           "its columns and read it with --format csv";
                }
            }
            throw FormatError(
                source_ +
                ": not call records of a known format (Asterisk Master.csv has 16, 17, "
                "18 or 21 fields; FreeSWITCH's default template 13 or 15, the uuid 11th; "
                "CUCM a header naming cdrRecordType; other CSV files need --format csv "
                "with --start-column)" +
                hint);
        }
    }
    const std::string count = std::to_string(n);
    switch (format_) {
    case Format::Asterisk:
        if (!asterisk) {
            throw FormatError(
                source_ + ": not an Asterisk Master.csv: its first line has " + count + " fields" +
                (n == 16 || n == 17 || n == 18 || n == 21
                     ? " but no start time in the 10th"
                     : ", where Master.csv rows have 16, 17, 18 or 21 (a cdr_custom "
                       "layout? give it a header line and read it with --format csv)"));
        }
        break;
    case Format::FreeSwitch:
        if (!freeswitch) {
            throw FormatError(source_ +
                              ": not FreeSWITCH's default CSV template: its first line has " +
                              count + " fields, where the template has 13 or 15 with a uuid 11th");
        }
        break;
    case Format::Cucm:
        if (!cucm) {
            throw FormatError(source_ +
                              ": not a CUCM CDR file: its first line does not name cdrRecordType");
        }
        type_ = Column(f, "cdrRecordType", "format");
        origination_ = Column(f, "dateTimeOrigination", "format");
        connect_ = Column(f, "dateTimeConnect", "format");
        disconnect_ = Column(f, "dateTimeDisconnect", "format");
        managerId_ = Column(f, "globalCallID_callManagerId", "format");
        callId_ = Column(f, "globalCallID_callId", "format");
        break;
    case Format::Csv:
        start_ = Column(f, options_.startColumn, "start-column");
        end_ = Column(f, options_.endColumn, "end-column");
        duration_ = Column(f, options_.durationColumn, "duration-column");
        answer_ = Column(f, options_.answerColumn, "answer-column");
        key_ = Column(f, options_.callIdColumn, "call-id-column");
        if (options_.holding == Holding::Answered && answer_ == std::string_view::npos) {
            throw OptionError(Option::AnswerColumn, Reason::AnswerNeeded,
                              "is needed for @ answered on a csv file", Option::Holding);
        }
        break;
    case Format::Auto:
        break;
    }
    if (!options_.trunk.empty() && format_ != Format::Asterisk) {
        throw OptionError(Option::Trunk, Reason::TrunkNeedsChannel,
                          "matches Asterisk's channel names, and " + source_ + " is " +
                              std::string(FormatWord(format_)) + ", whose records name none");
    }
    fields_ = n;
}

DecodedRow Decoder::Decode(const Tokenizer& record) {
    const auto f = record.Fields();
    if (!started_) {
        started_ = true;
        Choose(f);
        if (format_ == Format::Cucm || format_ == Format::Csv) {
            return {};
        }
    }
    if (record.UnclosedQuote()) {
        return Refused(Refusal::UnclosedQuote);
    }
    if (f.size() != fields_) {
        return Refused(Refusal::Fields);
    }
    DecodedRow row = format_ == Format::Asterisk     ? Asterisk(f)
                     : format_ == Format::FreeSwitch ? FreeSwitch(f)
                     : format_ == Format::Cucm       ? Cucm(f)
                                                     : Csv(f);
    if (row.outcome == DecodedRow::Outcome::Call &&
        row.end - row.start > kMaxHoldingDays * kDaySeconds * kNanos) {
        return Refused(Refusal::TooLong);
    }
    return row;
}

DecodedRow Decoder::Times(std::string_view startText, std::string_view answerText,
                          std::string_view endText, bool answered) {
    Instant start, answer, end;
    Refusal why = Refusal::BadTime;
    const bool epoch = format_ == Format::Cucm;
    const bool any = format_ == Format::Csv;
    auto parse = [&](std::string_view text) {
        if (epoch) {
            return ParseEpoch(text);
        }
        if (any) {
            return options_.timeFormat.empty() ? ParseAnyTime(text)
                                               : ParseWithFormat(text, options_.timeFormat);
        }
        return ParseClockTime(text);
    };
    if (!ReadInstant(startText, parse(startText), zone_, start, why) ||
        !ReadInstant(endText, parse(endText), zone_, end, why)) {
        return Refused(why);
    }
    // A repeated hour is read at its earlier offset, an end at the later one
    // where the earlier would put it before its start.
    if (end.ns < start.ns) {
        end.ns = end.laterNs;
    }
    if (end.ns < start.ns) {
        return Refused(Refusal::EndBeforeStart);
    }
    DecodedRow row;
    row.outcome = DecodedRow::Outcome::Call;
    row.start = start.ns;
    row.end = end.ns;
    row.ambiguous = start.ambiguous || end.ambiguous;
    if (answered) {
        if (!ReadInstant(answerText, parse(answerText), zone_, answer, why)) {
            return Refused(why);
        }
        if (answer.ns < start.ns) {
            answer.ns = answer.laterNs;
        }
        if (answer.ns < start.ns || answer.ns > end.ns) {
            return Refused(Refusal::AnswerOutside);
        }
        row.start = answer.ns;
        row.ambiguous = row.ambiguous || answer.ambiguous;
    }
    return row;
}

DecodedRow Decoder::Asterisk(std::span<const std::string_view> f) {
    const bool talk = options_.holding == Holding::Answered;
    if (talk && (f[14] != "ANSWERED" || f[10].empty())) {
        return Skipped(Skip::Unanswered);
    }
    std::array<std::string_view, 2> keys{};
    int count = 0;
    if (!options_.trunk.empty()) {
        for (const std::size_t i : {std::size_t{5}, std::size_t{6}}) {
            const std::string channel(f[i]);
            if (!f[i].empty() && fnmatch(options_.trunk.c_str(), channel.c_str(), 0) == 0 &&
                (count == 0 || keys[0] != f[i])) {
                keys[count++] = f[i];
            }
        }
        if (count == 0) {
            return Skipped(Skip::OtherChannel);
        }
    } else if (fields_ == 21 && !f[19].empty()) {
        keys[count++] = f[19]; // linkedid
    } else if (fields_ >= 17 && !f[16].empty()) {
        keys[count++] = f[16]; // uniqueid: the calling channel's rows
    }
    DecodedRow row = Times(f[9], f[10], f[11], talk);
    row.keys = keys;
    row.keyCount = count;
    return row;
}

DecodedRow Decoder::FreeSwitch(std::span<const std::string_view> f) {
    const bool talk = options_.holding == Holding::Answered;
    if (talk && f[5].empty()) {
        return Skipped(Skip::Unanswered);
    }
    DecodedRow row = Times(f[4], f[5], f[6], talk);
    if (!f[10].empty()) {
        row.keys[0] = f[10];
        row.keyCount = 1;
    }
    return row;
}

DecodedRow Decoder::Cucm(std::span<const std::string_view> f) {
    if (f[type_] == "INTEGER") {
        return {}; // the line of types under the header
    }
    if (f[type_] != "1") {
        return Skipped(Skip::RecordType);
    }
    const bool talk = options_.holding == Holding::Answered;
    if (talk && (f[connect_].empty() || f[connect_] == "0")) {
        return Skipped(Skip::Unanswered);
    }
    DecodedRow row = Times(f[origination_], f[connect_], f[disconnect_], talk);
    if (!f[callId_].empty()) {
        keyText_.assign(f[managerId_]).append(":").append(f[callId_]);
        row.keys[0] = keyText_;
        row.keyCount = 1;
    }
    return row;
}

DecodedRow Decoder::Csv(std::span<const std::string_view> f) {
    const bool talk = options_.holding == Holding::Answered;
    const std::string_view answer =
        answer_ == std::string_view::npos ? std::string_view{} : f[answer_];
    if (talk && answer.empty()) {
        return Skipped(Skip::Unanswered);
    }
    DecodedRow row;
    if (end_ != std::string_view::npos) {
        row = Times(f[start_], answer, f[end_], talk);
    } else {
        // The end from the start and a duration in seconds, exactly.
        const Stamp duration = ParseEpoch(f[duration_]);
        const std::string_view text = f[duration_];
        if (text.empty()) {
            return Refused(Refusal::MissingTime);
        }
        if (duration.kind != Stamp::Kind::Instant) {
            const bool negative =
                text.front() == '-' && ParseEpoch(text.substr(1)).kind == Stamp::Kind::Instant;
            return Refused(negative ? Refusal::NegativeDuration : Refusal::BadDuration);
        }
        Instant start;
        Refusal why = Refusal::BadTime;
        const Stamp stamp = options_.timeFormat.empty()
                                ? ParseAnyTime(f[start_])
                                : ParseWithFormat(f[start_], options_.timeFormat);
        if (!ReadInstant(f[start_], stamp, zone_, start, why)) {
            return Refused(why);
        }
        row.outcome = DecodedRow::Outcome::Call;
        row.start = start.ns;
        row.end = start.ns + duration.seconds * kNanos + duration.nanos;
        row.ambiguous = start.ambiguous;
        if (talk) {
            Instant a;
            const Stamp as = options_.timeFormat.empty()
                                 ? ParseAnyTime(answer)
                                 : ParseWithFormat(answer, options_.timeFormat);
            if (!ReadInstant(answer, as, zone_, a, why)) {
                return Refused(why);
            }
            if (a.ns < row.start) {
                a.ns = a.laterNs;
            }
            if (a.ns < row.start || a.ns > row.end) {
                return Refused(Refusal::AnswerOutside);
            }
            row.start = a.ns;
            row.ambiguous = row.ambiguous || a.ambiguous;
        }
    }
    if (row.outcome == DecodedRow::Outcome::Call && key_ != std::string_view::npos &&
        !f[key_].empty()) {
        row.keys[0] = f[key_];
        row.keyCount = 1;
    }
    return row;
}

} // namespace records
