// What a reading of call records is asked: one table of options, from which
// the front ends (corvane-cli records, corvane.read_records, the Tables tab
// 通話記録) derive their own flags, keywords and fields, and one function
// that sets an option from its text, so that each front end only passes
// text through and words the OptionError it gets back.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace records {

enum class Format { Auto, Asterisk, FreeSwitch, Cucm, Csv };
enum class Holding { Seizure, Answered };
enum class Per { Period, Day, Summary };

// What the files are and how their rows become calls.
struct ReadOptions {
    Format format = Format::Auto;
    std::string timezone; // IANA name; "" for the system's zone
    int interval = 15;    // minutes, dividing 60
    std::string trunk;    // a glob over Asterisk's channel and dstchannel; "" for every call
    Holding holding = Holding::Seizure;
    // Any CSV with a header: its columns by name.
    std::string startColumn, endColumn, durationColumn, answerColumn, callIdColumn;
    std::string timeFormat; // strftime directives; "" for ISO 8601 or epoch seconds
    bool strict = false;    // stop at the first refused row
    // How long before the latest end read a row may still end and be merged
    // with the rows of its call, and how long a call's rows may lie apart.
    int windowMinutes = 120;
    int jobs = 1; // files parsed at once
};

// What is made of the periods' sums.
struct SummaryOptions {
    std::optional<std::int64_t> from, to; // local days since 1970
    int normalDays = 30;
    int highDays = 5;
    double blocking = 0.01;
    double highBlocking = 0.07;
    std::optional<double> lines;         // the measured group's size
    std::optional<int> fixedHourMinutes; // after local midnight
};

struct Options {
    ReadOptions read;
    SummaryOptions summary;
    Per per = Per::Period;
    bool json = false;
};

enum class OptionKind { Choice, Count, Number, Text, Date, ClockTime, Flag };
enum class OptionStage { Read, Summary, Output };

struct OptionInfo {
    std::string_view name;   // as the command line spells it, without "--"
    std::string_view words;  // what it does, for help texts
    std::string_view domain; // what it accepts, in the words of a refusal
    OptionKind kind;
    std::span<const std::string_view> choices; // for Choice: the words accepted
    std::string_view fallback;                 // the default, as text; "" for none
    OptionStage stage;
};

// Every option, in the order a help text lists them.
std::span<const OptionInfo> OptionTable();
const OptionInfo* FindOption(std::string_view name);

class OptionError : public std::invalid_argument {
public:
    OptionError(std::string option, const std::string& message)
        : std::invalid_argument(message)
        , option_(std::move(option)) {}
    // The option's name, as in the table; what() says what is wrong with it.
    const std::string& option() const noexcept { return option_; }

private:
    std::string option_;
};

// Sets `name` from `text` (a Flag from "true"/"false", or "" for true).
// Throws OptionError naming the option and what it accepts.
void SetOption(Options& options, std::string_view name, std::string_view text);
// Checks the options together (CSV columns, --trunk's format, the days);
// throws OptionError.
void CheckOptions(const Options& options);

std::string_view FormatWord(Format format);

} // namespace records
