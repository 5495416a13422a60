// The room's reading by behaviour: times as written, the tokenizer against
// textio's reader, the peak's staircase against a sweep, rows out of order,
// the rows of a call across files, the merge of values and their bytes,
// refusals of files and options, and the hooks of a long read.
#include "records/records.h"
#include "records/tokenizer.h"
#include "textio/csv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>
#include <sstream>

namespace {

using records::Stamp;

records::Tally ReadText(const std::vector<std::string>& texts, records::ReadOptions options = {},
                        records::ProgressHook hook = {}) {
    if (options.timezone.empty()) {
        options.timezone = "UTC";
    }
    records::Reader reader(options);
    std::vector<std::istringstream> streams;
    streams.reserve(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        streams.emplace_back(texts[i]);
        reader.AddStream("file" + std::to_string(i + 1), streams.back());
    }
    reader.OnProgress(std::move(hook));
    return reader.Read();
}

records::ReadOptions CsvOptions() {
    records::ReadOptions o;
    o.format = records::Format::Csv;
    o.startColumn = "start";
    o.endColumn = "end";
    o.callIdColumn = "id";
    return o;
}

// Epoch seconds as a CSV of keyless calls, one a row.
std::string CallsCsv(const std::vector<std::pair<std::int64_t, std::int64_t>>& calls) {
    std::string text = "start,end,id\n";
    for (const auto& [s, e] : calls) {
        text += std::to_string(s) + "," + std::to_string(e) + ",\n";
    }
    return text;
}

struct TimeCase {
    const char* name;
    const char* text;
    Stamp::Kind kind;
    std::int64_t seconds; // UTC or local seconds since 1970
    std::int32_t nanos;
};

TEST(RecordsTimes, TextOfATimeReadAsWritten) {
    const TimeCase cases[] = {
        {"asterisk local", "2024-01-27 15:07:24", Stamp::Kind::Local, 1706368044, 0},
        {"iso with offset and fraction", "2024-01-27T15:07:24.5+03:00", Stamp::Kind::Instant,
         1706357244, 500'000'000},
        {"offset without colon", "2024-01-27T15:07:24-0130", Stamp::Kind::Instant, 1706373444, 0},
        {"utc", "2024-01-27T15:07:24Z", Stamp::Kind::Instant, 1706368044, 0},
        {"nine digits kept", "2024-01-27 15:07:24.123456789", Stamp::Kind::Local, 1706368044,
         123456789},
        {"spreadsheet minutes", "2020/2/10 22:41", Stamp::Kind::WithoutSeconds, 0, 0},
        {"iso minutes", "2020-02-10T22:41", Stamp::Kind::WithoutSeconds, 0, 0},
        {"ten digits refused", "2024-01-27 15:07:24.1234567891", Stamp::Kind::Invalid, 0, 0},
        {"no february 30", "2024-02-30 10:00:00", Stamp::Kind::Invalid, 0, 0},
        {"no hour 24", "2024-01-27 24:00:00", Stamp::Kind::Invalid, 0, 0},
        {"trailing text", "2024-01-27 15:07:24x", Stamp::Kind::Invalid, 0, 0},
        {"mixed separators", "2024-01/27 15:07:24", Stamp::Kind::Invalid, 0, 0},
    };
    for (const TimeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Stamp s = records::ParseAnyTime(c.text);
        EXPECT_EQ(s.kind, c.kind);
        if (c.kind == Stamp::Kind::Local || c.kind == Stamp::Kind::Instant) {
            EXPECT_EQ(s.seconds, c.seconds);
            EXPECT_EQ(s.nanos, c.nanos);
        }
    }
    const Stamp epoch = records::ParseAnyTime("1706368044.000000001");
    EXPECT_EQ(epoch.kind, Stamp::Kind::Instant);
    EXPECT_EQ(epoch.nanos, 1);
    const Stamp formatted = records::ParseWithFormat("27/01/2024 15:07:24", "%d/%m/%Y %H:%M:%S");
    EXPECT_EQ(formatted.kind, Stamp::Kind::Local);
    EXPECT_EQ(formatted.seconds, 1706368044);
    // A seconds field without digits (the time library read it as a NaN).
    EXPECT_EQ(records::ParseWithFormat("27/01/2024 15:07:\xff\xff", "%d/%m/%Y %H:%M:%S").kind,
              Stamp::Kind::Invalid);
    EXPECT_EQ(records::ParseWithFormat("27/01/2024 15:07:24 +0300", "%d/%m/%Y %H:%M:%S %z").seconds,
              1706357244);
}

// Each record's fields and raw text (marked where a quote is left open), or
// one record "throws" where the reader refuses the input.
std::vector<std::vector<std::string>> BothReaders(const std::string& input, bool general) {
    std::istringstream in(input);
    std::vector<std::vector<std::string>> records;
    try {
        if (general) {
            textio::CsvReader reader(in);
            textio::Record r;
            while (reader.Next(r)) {
                records.emplace_back();
                for (std::size_t i = 0; i < r.Size(); ++i) {
                    records.back().emplace_back(r.Field(i));
                }
                records.back().push_back(r.raw + (r.unclosedQuote ? "|open" : ""));
            }
        } else {
            records::Tokenizer tokens(in);
            while (tokens.Next()) {
                records.emplace_back(tokens.Fields().begin(), tokens.Fields().end());
                records.back().push_back(std::string(tokens.Raw()) +
                                         (tokens.UnclosedQuote() ? "|open" : ""));
            }
        }
    } catch (const std::runtime_error&) {
        return {{"throws"}};
    }
    return records;
}

TEST(RecordsTokenizer, SameRecordsAsTheGeneralReader) {
    const std::string big(1 << 20, 'x');
    const std::pair<const char*, std::string> cases[] = {
        {"doubled quotes", "\"a\"\"b\",c\n"},
        {"line break in quotes", "\"a\nb\",c\r\nd\n"},
        {"crlf in quotes", "\"a\r\nb\"\r\n"},
        {"byte-order mark", "\xEF\xBB\xBF\"x\",y\n"},
        {"byte-order mark alone", "\xEF\xBB\xBF"},
        {"text after a closing quote", "\"ab\"cd,e\n"},
        {"quote inside unquoted", "ab\"cd,e\n"},
        {"unclosed quote", "a,\"bc\nd"},
        {"empty lines and trailing comma", "\n\na,\n,\n"},
        {"carriage return at the end", "\"a\"\r"},
        {"empty quoted fields", "\"\",\"\",\n"},
        // A quoted record across the end of the first megabyte read.
        {"record across the buffer",
         std::string(1048570, 'y') + "\n\"q\"\"" + big.substr(0, 20) + "\nz\",w\n"},
    };
    for (const auto& [name, input] : cases) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(BothReaders(input, false) == BothReaders(input, true));
    }
    // A quote left open past a megabyte is refused, not held on to.
    EXPECT_EQ(BothReaders("\"" + big + big + "\n", false),
              (std::vector<std::vector<std::string>>{{"throws"}}));
}

// The most calls held at once in [from, to) by a sweep of all the holdings.
std::int64_t Sweep(const std::vector<std::pair<std::int64_t, std::int64_t>>& calls,
                   std::int64_t from, std::int64_t to) {
    std::vector<std::pair<std::int64_t, int>> events;
    for (const auto& [s, e] : calls) {
        if (s < to && e > from && s < e) {
            events.push_back({std::max(s, from), 1});
            events.push_back({std::min(e, to), -1});
        }
    }
    std::sort(events.begin(), events.end());
    std::int64_t held = 0, peak = 0;
    for (const auto& [t, step] : events) {
        held += step;
        peak = std::max(peak, held);
    }
    return peak;
}

std::uint32_t Seed() {
    const char* seed = std::getenv("CORVANE_SEED");
    return seed ? static_cast<std::uint32_t>(std::strtoul(seed, nullptr, 10))
                : std::random_device{}();
}

// Random calls of one day in the order of their ends, then shuffled within
// `disorder` seconds of it.
std::vector<std::pair<std::int64_t, std::int64_t>> RandomCalls(std::mt19937& random, int count,
                                                               std::int64_t disorder) {
    std::vector<std::pair<std::int64_t, std::int64_t>> calls;
    for (int i = 0; i < count; ++i) {
        const std::int64_t s = 1717200000 + random() % 86400;
        calls.push_back({s, s + random() % (i % 10 == 0 ? 20000 : 900)});
    }
    std::vector<std::pair<std::int64_t, std::pair<std::int64_t, std::int64_t>>> keyed;
    for (const auto& c : calls) {
        keyed.push_back({c.second + static_cast<std::int64_t>(random() % (disorder + 1)), c});
    }
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t i = 0; i < keyed.size(); ++i) {
        calls[i] = keyed[i].second;
    }
    return calls;
}

TEST(RecordsPeak, EachPeriodsPeakAsASweepFindsIt) {
    const std::uint32_t seed = Seed();
    SCOPED_TRACE("CORVANE_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);
    struct Order {
        const char* name;
        std::int64_t disorder; // seconds
        int windowMinutes;
        bool exact;
    };
    for (const Order& order :
         {Order{"by end", 0, 120, true}, Order{"within the window", 3000, 60, true},
          Order{"beyond the window", 20000, 5, false}}) {
        SCOPED_TRACE(order.name);
        const auto calls = RandomCalls(random, 600, order.disorder);
        records::ReadOptions o = CsvOptions();
        o.windowMinutes = order.windowMinutes;
        const records::Tally tally = ReadText({CallsCsv(calls)}, o);
        EXPECT_EQ(tally.late > 0, !order.exact);
        for (const records::PeriodSums& p : tally.periods) {
            const std::int64_t truth =
                Sweep(calls, p.start / records::kNanos, p.end / records::kNanos);
            if (order.exact) {
                ASSERT_EQ(p.peakLow, truth) << p.start;
                ASSERT_EQ(p.peakHigh, truth) << p.start;
            } else {
                ASSERT_LE(p.peakLow, truth) << p.start;
                ASSERT_GE(p.peakHigh, truth) << p.start;
            }
        }
    }
}

TEST(RecordsMerge, ValuesReadApartAddUpToTheSumsOfReadingTogether) {
    std::mt19937 random(Seed());
    const auto a = RandomCalls(random, 300, 0), b = RandomCalls(random, 300, 0);
    auto both = a;
    both.insert(both.end(), b.begin(), b.end());
    const records::ReadOptions o = CsvOptions();
    const records::Tally apart = ReadText({CallsCsv(a)}, o) + ReadText({CallsCsv(b)}, o);
    const records::Tally together = ReadText({CallsCsv(a), CallsCsv(b)}, o);
    ASSERT_EQ(apart.periods.size(), together.periods.size());
    bool someRange = false;
    for (std::size_t i = 0; i < apart.periods.size(); ++i) {
        const records::PeriodSums &p = apart.periods[i], &q = together.periods[i];
        EXPECT_EQ(p.calls, q.calls);
        EXPECT_TRUE(p.holding == q.holding && p.callHolding == q.callHolding) << p.start;
        EXPECT_EQ(q.peakLow, q.peakHigh);
        EXPECT_LE(p.peakLow, q.peakLow);
        EXPECT_GE(p.peakHigh, q.peakHigh);
        someRange = someRange || p.peakLow != p.peakHigh;
    }
    EXPECT_TRUE(someRange) << "where both files hold calls the peak is a range";
    EXPECT_EQ(apart.calls, together.calls);
    EXPECT_EQ(apart.rows, together.rows);

    // Its bytes give it back; any other bytes are refused, never read wrong.
    const std::string bytes = apart.Serialize();
    const records::Tally again = records::Tally::Deserialize(bytes);
    EXPECT_EQ(again.Serialize(), bytes);
    const auto altered = [&](auto change) {
        records::Tally t = apart;
        change(t);
        return t.Serialize();
    };
    const std::pair<const char*, std::string> corrupt[] = {
        {"cut short", bytes.substr(0, bytes.size() - 1)},
        {"rows that do not add up", altered([](records::Tally& t) { ++t.rows; })},
        {"a call in no period", altered([](records::Tally& t) { ++t.calls; })},
        {"a count past any file's",
         altered([](records::Tally& t) { t.periods[0].peakHigh = std::int64_t{1} << 62; })},
        {"not a value", "hello"},
        {"a byte more", bytes + "x"},
        {"a period's end before its start",
         [&] {
             // The first period's end: after the header, the zone "UTC", the
             // interval, the holding, the empty trunk, the count and its start.
             std::string s = bytes;
             const std::size_t end = s.find("UTC") + 3 + 5 * 8;
             std::fill(s.begin() + static_cast<std::ptrdiff_t>(end),
                       s.begin() + static_cast<std::ptrdiff_t>(end) + 8, '\0');
             return s;
         }()},
    };
    for (const auto& [name, input] : corrupt) {
        SCOPED_TRACE(name);
        EXPECT_THROW(records::Tally::Deserialize(input), std::invalid_argument);
    }
    records::ReadOptions other = o;
    other.interval = 30;
    EXPECT_THROW(apart + ReadText({CallsCsv(a)}, other), std::invalid_argument);
}

// Days of files cut at midnight by the calls' ends (as a switch writes
// them) or by their starts (as a billing export may), each read alone and
// added up in a shuffled tree: only the calls across midnight touch two, and
// every period's peak is as exact as reading them together. Calls held longer
// than the window past a period leave it a range where a file cut by starts
// meets them, which holds the peak.
TEST(RecordsMerge, DailyFilesAddUpToReadingTogetherExactly) {
    const std::uint32_t seed = Seed();
    SCOPED_TRACE("CORVANE_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);
    std::vector<std::pair<std::int64_t, std::int64_t>> calls;
    for (int i = 0; i < 4000; ++i) {
        const std::int64_t s = 1717200000 + random() % (4 * 86400);
        // Some held for hours, across midnight and the periods before it.
        calls.push_back({s, s + 1 + random() % (i % 50 == 0 ? 4 * 3600 : 600)});
    }
    std::ranges::sort(calls, {}, [](const auto& c) { return c.second; });
    const struct {
        bool byEnd;
        int windowMinutes;
        bool exact; // else a range may be left, holding the peak
    } cuts[] = {{true, 300, true}, {false, 300, true}, {true, 60, true}, {false, 60, false}};
    for (const auto& [byEnd, windowMinutes, exact] : cuts) {
        SCOPED_TRACE(std::string(byEnd ? "cut by ends, window " : "cut by starts, window ") +
                     std::to_string(windowMinutes));
        records::ReadOptions o = CsvOptions();
        o.windowMinutes = windowMinutes;
        std::map<std::int64_t, std::vector<std::pair<std::int64_t, std::int64_t>>> days;
        for (const auto& c : calls) {
            days[(byEnd ? c.second - 1 : c.first) / 86400].push_back(c);
        }
        std::vector<records::Tally> values;
        std::vector<std::string> files;
        for (const auto& [day, its] : days) {
            files.push_back(CallsCsv(its));
            values.push_back(ReadText({files.back()}, o));
        }
        std::shuffle(values.begin(), values.end(), random);
        while (values.size() > 1) {
            values[values.size() - 2] += values.back();
            values.pop_back();
            std::rotate(values.begin(), values.end() - 1, values.end());
        }
        const records::Tally together = ReadText(files, o);
        const records::Tally& apart = values.front();
        ASSERT_EQ(apart.periods.size(), together.periods.size());
        std::size_t ranges = 0;
        for (std::size_t i = 0; i < apart.periods.size(); ++i) {
            const records::PeriodSums &p = apart.periods[i], &q = together.periods[i];
            ASSERT_EQ(p.start, q.start);
            EXPECT_EQ(p.calls, q.calls);
            ASSERT_EQ(q.peakLow, q.peakHigh);
            ASSERT_LE(p.peakLow, q.peakLow) << p.start;
            ASSERT_GE(p.peakHigh, q.peakLow) << p.start;
            ranges += p.peakLow != p.peakHigh ? 1 : 0;
        }
        EXPECT_TRUE(ranges == 0 || !exact) << ranges << " ranges";
        EXPECT_EQ(records::Tally::Deserialize(apart.Serialize()).Serialize(), apart.Serialize());
    }
}

// An Asterisk row of 21 fields.
std::string Row(const std::string& start, const std::string& end, const std::string& linkedid,
                const std::string& channel = "SIP/carrier-00000001") {
    return "\"\",\"100\",\"200\",\"ctx\",\"\",\"" + channel + "\",\"\",\"Dial\",\"\",\"" + start +
           "\",\"\",\"" + end + "\",0,0,\"NO ANSWER\",\"DOCUMENTATION\",\"" + linkedid +
           "\",\"\",\"\",\"" + linkedid + "\",0\n";
}

TEST(RecordsCalls, RowsOfOneCallJoinWhereverTheyStand) {
    struct Case {
        const char* name;
        std::vector<std::string> files;
        std::int64_t calls, uncertain;
    };
    const std::string legA = Row("2024-06-01 10:00:00", "2024-06-01 10:05:00", "L1");
    const std::string legB = Row("2024-06-01 10:00:00", "2024-06-01 10:50:00", "L1");
    const std::string other = Row("2024-06-01 10:20:00", "2024-06-01 10:30:00", "L2");
    const std::string longLeg = Row("2024-06-01 10:00:00", "2024-06-01 14:00:00", "L1");
    const std::string later = Row("2024-06-01 12:00:00", "2024-06-01 12:10:00", "L3");
    const Case cases[] = {
        {"far apart in one file", {legA + other + legB}, 2, 0},
        {"split between two files", {legA + other, legB}, 2, 0},
        {"one leg longer than the window after the other closed",
         {legA + other + later + longLeg},
         4,
         1},
        {"a disjoint row of the key is a seizure of its own",
         {legA + Row("2024-06-01 10:06:00", "2024-06-01 10:07:00", "L1")},
         2,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        records::ReadOptions o;
        o.windowMinutes = 120;
        const records::Tally t = ReadText(c.files, o);
        EXPECT_EQ(t.calls, c.calls);
        EXPECT_EQ(t.uncertain, c.uncertain);
    }
}

TEST(RecordsCalls, FilesReadAtOnceGiveTheSameValueAsOneAtATime) {
    std::mt19937 random(Seed());
    std::vector<std::string> files;
    for (int f = 0; f < 3; ++f) {
        std::string text = "start,end,id\n";
        for (const auto& [s, e] : RandomCalls(random, 20000, 60)) {
            text +=
                std::to_string(s) + "," + std::to_string(e) + "," + std::to_string(s % 5000) + "\n";
        }
        files.push_back(text + "x,1,2\n");
    }
    records::ReadOptions o = CsvOptions();
    const std::string alone = ReadText(files, o).Serialize();
    o.jobs = 3;
    EXPECT_EQ(ReadText(files, o).Serialize(), alone);
}

TEST(RecordsRefusals, EachRowRefusedForItsReason) {
    using records::Refusal;
    records::ReadOptions duration = CsvOptions(), answered = CsvOptions();
    duration.endColumn.clear();
    duration.durationColumn = "end";
    answered.answerColumn = "answer";
    answered.holding = records::Holding::Answered;
    answered.timezone = "Europe/Berlin";
    const struct {
        const char* name;
        const char* row; // start,end,id,answer
        const records::ReadOptions& options;
        Refusal reason;
    } cases[] = {
        {"a negative duration", "1717200000,-3,,", duration, Refusal::NegativeDuration},
        {"a duration in words", "1717200000,ten,,", duration, Refusal::BadDuration},
        {"no duration", "1717200000,,,", duration, Refusal::MissingTime},
        {"a clock time the clocks skipped",
         "2024-03-31 02:30:00,2024-03-31 03:10:00,,2024-03-31 03:00:00", answered,
         Refusal::Nonexistent},
        {"an answer after the end", "2024-03-30 10:00:00,2024-03-30 10:10:00,,2024-03-30 10:11:00",
         answered, Refusal::AnswerOutside},
        {"a holding over a month", "1717200000,1720000000,,", CsvOptions(), Refusal::TooLong},
        {"a field too many", "1717200000,1717200010,,,", CsvOptions(), Refusal::Fields},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const records::Tally t =
            ReadText({std::string("start,end,id,answer\n") + c.row + "\n"}, c.options);
        EXPECT_EQ(t.RowsRefused(), 1);
        EXPECT_EQ(t.refused[static_cast<std::size_t>(c.reason)], 1);
        ASSERT_EQ(t.quotes.size(), 1u);
        EXPECT_EQ(t.quotes[0].line, 2);
    }
}

struct Refused {
    const char* name;
    std::string text;
    records::ReadOptions options;
    const char* message;
};

TEST(RecordsRefusals, AFileOfAnotherFormatIsNamedAndSaysWhy) {
    records::ReadOptions asterisk, csv = CsvOptions(), trunk;
    asterisk.format = records::Format::Asterisk;
    trunk.trunk = "SIP/*";
    const std::string freeswitch = "a,1,2,ctx,2020-02-11 11:13:05,,2020-02-11 "
                                   "11:14:10,0,0,X,7adced1a-4c7c-11ea-b08c-2bfc2a06d67d,,1\n";
    const Refused cases[] = {
        {"a cdr_custom layout",
         "\"\"\"\" <1>\",\"1\",\"2\",\"d\",\"c\",\"e\",\"Dial\",\"x\",\"2023-07-26 01:51:32\","
         "\"\",\"2023-07-26 01:52:04\",\"31\",\"13\",\"ANSWERED\",\"D\",\"\",\"1.2\",\"\",2\n",
         {},
         "19 fields with a time in field 9: an Asterisk cdr_custom layout"},
        {"no format at all", "hello,world\n", {}, "file1: not call records of a known format"},
        {"FreeSWITCH read as Asterisk", freeswitch, asterisk,
         "file1: not an Asterisk Master.csv: its first line has 13"},
        {"a column the header lacks", "begin,finish\n1,2\n", csv,
         "no column \"start\" (--start-column)"},
        {"a trunk on FreeSWITCH", freeswitch, trunk, "trunk matches Asterisk's channel names"},
    };
    for (const Refused& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            ReadText({c.text}, c.options);
            ADD_FAILURE() << "read";
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

TEST(RecordsRefusals, OptionsAreRefusedByName) {
    const std::pair<const char*, const char*> bad[] = {
        {"interval", "7"},      {"interval", "15.0"},   {"timezone", "Mars/Olympus"},
        {"format", "excel"},    {"blocking", "1"},      {"lines", "-3"},
        {"fixed-hour", "7:00"}, {"from", "2024-02-30"}, {"window", "0"},
        {"normal-days", "0"},   {"holding", "talk"},    {"strict", "yes"},
    };
    for (const auto& [name, value] : bad) {
        records::Options o;
        try {
            records::SetOption(o, name, value);
            ADD_FAILURE() << name << " " << value;
        } catch (const records::OptionError& e) {
            EXPECT_EQ(e.option(), name);
            EXPECT_NE(std::string(e.what()).find(value), std::string::npos) << e.what();
        }
    }
    for (const records::OptionInfo& info : records::OptionTable()) {
        records::Options o;
        if (!info.fallback.empty()) {
            EXPECT_NO_THROW(records::SetOption(o, info.id, info.fallback)) << info.name();
        }
    }
    records::Options o;
    records::SetOption(o, "fixed-hour", "10:10");
    EXPECT_THROW(records::CheckOptions(o), records::OptionError);
}

TEST(RecordsReading, StrictProgressCancellingAndQuotes) {
    const std::string good = Row("2024-06-01 10:00:00", "2024-06-01 10:05:00", "L1");
    const std::string bad = Row("2024-06-01 10:00:00", "2024-06-01 09:05:00", "L2\xC0\xFF");
    records::ReadOptions strict;
    strict.strict = true;
    try {
        ReadText({good + bad}, strict);
        ADD_FAILURE() << "read";
    } catch (const records::RowRefused& e) {
        EXPECT_EQ(e.quote().line, 2);
        EXPECT_NE(std::string(e.what()).find("file1:2: an end before its start"),
                  std::string::npos);
    }
    const records::Tally t = ReadText({good + bad});
    ASSERT_EQ(t.quotes.size(), 1u);
    EXPECT_NE(t.quotes[0].text.find("L2\\xC0\\xFF"), std::string::npos) << t.quotes[0].text;
    EXPECT_EQ(t.refused[static_cast<std::size_t>(records::Refusal::EndBeforeStart)], 1);

    std::string many;
    for (int i = 0; i < 70000; ++i) {
        many += good;
    }
    std::int64_t calls = 0;
    ReadText({many}, {}, [&](const records::Progress& p) {
        ++calls;
        return p.rows > 0;
    });
    EXPECT_EQ(calls, 2); // at 65,536 rows and at the end
    EXPECT_THROW(ReadText({many}, {}, [](const records::Progress&) { return false; }),
                 records::Cancelled);
}

} // namespace
