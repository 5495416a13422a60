// Input: a byte that chooses what is read, then the bytes of a file. Each
// format's reader (auto, Asterisk, FreeSWITCH, CUCM, csv by columns and by
// a time format) reads them in two zones far apart, by seizure or by answer,
// with a short window or a long one; or the tokenizer reads them beside
// textio's reader and must give the same records; or they are taken for a
// serialised value of the periods' sums. Whatever the bytes, the reading
// ends with a value or a refusal naming the file: its rows add up, its
// periods follow one another and hold no more than their peaks allow, and
// it reads back from its own bytes, and so does its sum with itself, whose
// peaks lie between its own and twice them. (The summary over the engine is not
// built here: the engine needs GCC's libquadmath.) Every check aborts with
// a message.
#include "records/reader.h"
#include "records/tally.h"
#include "records/tokenizer.h"
#include "textio/csv.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz_records: %s\n", what);
        std::abort();
    }
}

std::vector<std::vector<std::string>> Records(const std::string& input, bool general) {
    std::istringstream in(input);
    std::vector<std::vector<std::string>> out;
    try {
        if (general) {
            textio::CsvReader reader(in);
            textio::Record r;
            while (reader.Next(r)) {
                out.emplace_back();
                for (std::size_t i = 0; i < r.Size(); ++i) {
                    out.back().emplace_back(r.Field(i));
                }
                out.back().push_back(r.raw + (r.unclosedQuote ? "|open" : ""));
            }
        } else {
            records::Tokenizer tokens(in);
            while (tokens.Next()) {
                out.emplace_back(tokens.Fields().begin(), tokens.Fields().end());
                out.back().push_back(std::string(tokens.Raw()) +
                                     (tokens.UnclosedQuote() ? "|open" : ""));
            }
        }
    } catch (const std::runtime_error&) {
        out = {{"throws"}};
    }
    return out;
}

void CheckPeriods(const records::Tally& t) {
    Check(t.rows == t.rowsUsed + t.RowsRefused() + t.RowsSkipped(), "rows that do not add up");
    for (std::size_t i = 0; i < t.periods.size(); ++i) {
        const records::PeriodSums& p = t.periods[i];
        Check(p.start < p.end && (i == 0 || t.periods[i - 1].end <= p.start),
              "periods out of order");
        Check(0 <= p.peakLow && p.peakLow <= p.peakHigh, "a peak range upside down");
        Check(p.holding <= static_cast<records::Int128>(p.end - p.start) * p.peakHigh,
              "more holding than the peak allows");
    }
    const std::string bytes = t.Serialize();
    Check(records::Tally::Deserialize(bytes).Serialize() == bytes,
          "a value that does not read back");
}

// A value, and its sum with itself: each period's peak at least its own and
// at most twice its most, how its calls lie kept only where it still tells.
void CheckValue(const records::Tally& t) {
    CheckPeriods(t);
    const records::Tally twice = t + t;
    CheckPeriods(twice);
    Check(twice.periods.size() == t.periods.size(), "a sum with itself of other periods");
    for (std::size_t i = 0; i < t.periods.size(); ++i) {
        const records::PeriodSums &p = t.periods[i], &q = twice.periods[i];
        Check(q.peakLow >= p.peakLow && q.peakHigh <= 2 * p.peakHigh,
              "a summed peak out of bounds");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t choice = data[0];
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const int mode = choice % 8;
    if (mode == 6) {
        Check(Records(input, false) == Records(input, true),
              "the tokenizer and textio's reader disagree");
        return 0;
    }
    if (mode == 7) {
        try {
            CheckValue(records::Tally::Deserialize(input));
        } catch (const std::invalid_argument&) {
        }
        return 0;
    }
    records::ReadOptions o;
    o.format = static_cast<records::Format>(mode % 5);
    o.timezone = choice & 0x40 ? "Pacific/Auckland" : "Europe/Berlin";
    o.holding = choice & 0x10 ? records::Holding::Answered : records::Holding::Seizure;
    o.windowMinutes = choice & 0x80 ? 1 : 120;
    o.interval = choice & 0x20 ? 5 : 60;
    if (o.format == records::Format::Csv || mode == 5) {
        o.format = records::Format::Csv;
        o.startColumn = "start";
        (mode == 5 ? o.durationColumn : o.endColumn) = mode == 5 ? "duration" : "end";
        o.answerColumn = "answer";
        o.callIdColumn = "id";
        o.timeFormat = mode == 5 ? "%d/%m/%Y %H:%M:%S" : "";
    }
    if (o.format == records::Format::Asterisk && (choice & 0x08)) {
        o.trunk = "SIP/*";
    }
    try {
        std::istringstream in(input);
        records::Reader reader(o);
        reader.AddStream("input", in);
        CheckValue(reader.Read());
    } catch (const records::FormatError&) {
    } catch (const records::OptionError&) {
        // A trunk glob on what auto took for another format.
    }
    return 0;
}
