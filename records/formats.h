// The formats of call records, each row read into the holding of one call
// (or one row of a call, with the keys that join it to the others), a
// refusal with its reason, or a skip with its reason:
//   Asterisk Master.csv (cdr_csv): no header; 16, 17, 18 or 21 fields; local
//     times; rows of one call share linkedid (21 fields) or else uniqueid;
//     with a trunk glob, each matching channel name is a seizure;
//   FreeSWITCH mod_cdr_csv's default template: 13 fields, or 15 with the
//     codecs; local times; rows of one call share the uuid;
//   Cisco CUCM CDR files: a header of field names, a line of types, epoch
//     seconds in UTC; record types other than 1 skipped; rows of one call
//     share the global call id;
//   any CSV with a header, by the columns the options name.
// auto takes the first record's shape for the format.
#pragma once

#include "records/clock.h"
#include "records/options.h"
#include "records/tokenizer.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace records {

// Why a row was refused: counted by reason, the first few quoted.
enum class Refusal : std::uint8_t {
    Fields,         // not the file's number of fields
    MissingTime,    // a start or end left empty
    BadTime,        // a time that does not parse
    WithoutSeconds, // a time to the minute only
    Nonexistent,    // a local time the clocks skipped
    EndBeforeStart,
    BadDuration,      // a duration that is not a number of seconds
    NegativeDuration, // a duration below 0
    AnswerOutside,    // an answer before the start or after the end
    UnclosedQuote,    // a quoted field running to the end of the file
    TooLong,          // a holding over kMaxHolding: a clock set wrong
};
inline constexpr std::size_t kRefusalCount = 11;
// The longest holding taken for a call: a month, where a day and more is
// real (a line held open) and a year is a clock set wrong, whose holding
// would fill the periods of every day between.
inline constexpr std::int64_t kMaxHoldingDays = 31;

// Why a row was left out though sound: it is not a call of the group.
enum class Skip : std::uint8_t {
    RecordType,   // CUCM: not a call record (type other than 1)
    OtherChannel, // no channel matches the trunk glob
    Unanswered,   // --holding answered: the call was not answered
};
inline constexpr std::size_t kSkipCount = 3;

// The word a summary counts it under ("bad-time"), and plain words for a
// message ("a time that does not parse").
std::string_view RefusalName(Refusal reason);
std::string_view RefusalWords(Refusal reason);
std::string_view SkipName(Skip reason);

// A file that is not of the format asked for (or of any, with auto).
class FormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct DecodedRow {
    enum class Outcome { Call, Refused, Skipped, NotARow };
    Outcome outcome = Outcome::NotARow;
    Refusal refusal = Refusal::Fields;
    Skip skip = Skip::RecordType;
    std::int64_t start = 0, end = 0; // the holding, UTC nanoseconds
    bool ambiguous = false;          // a local time read in a repeated hour
    // Keys that join rows of one call (none: the row is a call by itself).
    std::array<std::string_view, 2> keys{};
    int keyCount = 0;
};

class Decoder {
public:
    // `source` names the file in errors.
    Decoder(const ReadOptions& options, const Zone& zone, std::string source);

    // Reads the tokenizer's current record. The first record decides the
    // format (and is the header for CUCM and csv): FormatError if it is not
    // of the one asked for; OptionError for an option the format cannot take.
    DecodedRow Decode(const Tokenizer& record);
    Format Chosen() const { return format_; }

private:
    void Choose(std::span<const std::string_view> fields);
    DecodedRow Asterisk(std::span<const std::string_view> f);
    DecodedRow FreeSwitch(std::span<const std::string_view> f);
    DecodedRow Cucm(std::span<const std::string_view> f);
    DecodedRow Csv(std::span<const std::string_view> f);
    // start, answer (may be empty) and end as written: the holding.
    DecodedRow Times(std::string_view start, std::string_view answer, std::string_view end,
                     bool answered);
    std::size_t Column(std::span<const std::string_view> header, const std::string& name,
                       std::string_view option) const;

    const ReadOptions& options_;
    const Zone& zone_;
    std::string source_;
    Format format_;
    bool started_ = false;
    std::size_t fields_ = 0; // the file's number of fields
    // Column indices: CUCM's and csv's by the header; npos where absent.
    std::size_t type_ = 0, origination_ = 0, connect_ = 0, disconnect_ = 0, managerId_ = 0,
                callId_ = 0;
    std::size_t start_ = 0, end_ = 0, duration_ = 0, answer_ = 0, key_ = 0;
    std::string keyText_; // a key made of two fields
};

} // namespace records
