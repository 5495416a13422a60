// Every option corvane-cli's commands take, one row each: its name (as the
// engine's messages name the argument), the placeholder and help the
// commands show unless one words it its own way, and for a word option its
// words. A command names the options it takes (commands.h); its solve reads
// their values by name from Inputs, and a name not in this table does not
// compile.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>
#include <span>
#include <string_view>

namespace cli {

struct Option {
    std::string_view name; // without the dashes; also a batch column's name
    std::string_view value;
    std::string_view help;
    // A word option's words, the first its default; empty for a number.
    std::span<const std::string_view> words = {};
};

inline constexpr std::string_view kMethods[] = {"ert", "hayward"};

inline constexpr Option kOptions[] = {
    {"traffic", "A", "traffic offered, in erlangs (0 to 1e9)"},
    {"lines", "N", "number of lines, whole or fractional (0 to 2e9)"},
    {"blocking", "B", "blocking probability, from 1e-300 up to but not including 1"},
    {"recall", "R", "share of blocked callers who try again, from 0 up to but not including 1"},
    {"agents", "N",
     "number of agents (0 to 2e9), more than the traffic unless --patience is given"},
    {"aht", "S", "average handling time of a call, in any unit of time"},
    {"target-time", "T", "time within which a call should be answered, in the unit of --aht"},
    {"service-level", "P",
     "share of calls to answer within the target time, from 0 up to but not including 1"},
    {"patience", "S",
     "average time a caller waits before hanging up, in the unit of --aht: the answer is then by "
     "Erlang A, where the traffic may reach the agents"},
    {"average-wait", "W",
     "target average wait over all callers, in the unit of --aht, in place of --target-time and "
     "--service-level"},
    {"shrinkage", "X",
     "share of paid time agents are off the phones, from 0 up to but not including 1, taken as "
     "the decimal typed: 84 agents at 0.2 schedule 105"},
    {"max-occupancy", "Y",
     "highest share of their time agents on the phones may be busy, above 0 and at most 1, taken "
     "as the decimal typed: 7 erlangs at 0.7 need 10 agents"},
    {"calls", "C",
     "calls offered in the interval, in place of --traffic: traffic = calls x aht / interval"},
    {"interval", "M", "length of the interval of --calls in minutes; --aht is then in seconds"},
    {"sources", "S", "number of sources (Engset), whole, 1 to 1e9"},
    {"intended-traffic", "A",
     "traffic the sources would offer if never blocked, S b / (1 + b), in erlangs"},
    {"idle-source-traffic", "b", "traffic offered by one idle source, in erlangs"},
    {"mean", "M", "mean of an overflow stream, in erlangs (0 to 1e9)"},
    {"variance", "V", "variance of an overflow stream, at least its mean"},
    {"carried", "Y", "traffic carried, in erlangs, below the lines"},
    {"method", "METHOD", "ert (equivalent random, the default) or hayward (Fredericks and Hayward)",
     kMethods},
};

// An option by its name, checked when compiled: Name("trafic") is an error.
class Name {
public:
    consteval Name(const char* text)
        : index_(Find(text)) {}

    constexpr std::size_t Index() const { return index_; }
    constexpr const Option& Of() const { return kOptions[index_]; }
    constexpr std::string_view Text() const { return Of().name; }
    constexpr bool IsWord() const { return !Of().words.empty(); }
    constexpr bool operator==(const Name&) const = default;

private:
    static consteval std::size_t Find(std::string_view text) {
        for (std::size_t i = 0; i < std::size(kOptions); ++i) {
            if (kOptions[i].name == text) {
                return i;
            }
        }
        throw "not an option in kOptions"; // ends the compile, never the program
    }
    std::size_t index_;
};

// The index of `word` among the option's words, if it is one of them.
constexpr std::optional<std::size_t> WordIndex(Name name, std::string_view word) {
    const auto words = name.Of().words;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i] == word) {
            return i;
        }
    }
    return std::nullopt;
}

// The values of one question by option: a number, NaN where not given, and
// for a word option the index of its word.
class Inputs {
public:
    static constexpr double kNotGiven = std::numeric_limits<double>::quiet_NaN();

    Inputs() { values_.fill(kNotGiven); }

    double operator[](Name name) const { return values_[name.Index()]; }
    bool Given(Name name) const { return !std::isnan(values_[name.Index()]); }
    void Set(Name name, double value) { values_[name.Index()] = value; }
    // The word given, as its index among the option's words; the default
    // (the first) when none was.
    std::size_t Word(Name name) const {
        return Given(name) ? static_cast<std::size_t>(values_[name.Index()]) : 0;
    }

private:
    std::array<double, std::size(kOptions)> values_;
};

} // namespace cli
