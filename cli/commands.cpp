#include "cli/commands.h"

#include "teletraffic/erlang.h"
#include "teletraffic/number_text.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace cli {
namespace {

using Json = nlohmann::ordered_json;
namespace tt = teletraffic;

Answer Real(double value) {
    return {.real = value};
}
Answer Count(std::int64_t value) {
    return {.count = value, .isCount = true};
}

// Erlang C values at `agents`, or null where the queue would grow without end.
Json IfQueueEnds(double traffic, double agents, double (*f)(double, double, double, double),
                 double aht, double targetTime, int digits) {
    if (!(traffic < agents)) {
        return nullptr;
    }
    return JsonNumber(f(traffic, agents, aht, targetTime), digits);
}

const std::vector<Command>& Table() {
    static const std::vector<Command> commands{
        {"blocking",
         "Erlang B blocking of N lines (N may be fractional) offered A erlangs",
         {"traffic", "lines"},
         "blocking",
         {10, 18},
         [](std::span<const double> in) { return Real(tt::ErlangB(in[0], in[1])); },
         [](std::span<const double> in, const Answer&, Json& json, int digits) {
             // Finite where the blocking itself is below the double range.
             json["log-blocking"] = JsonNumber(tt::LogErlangB(in[0], in[1]), digits);
         }},
        {"lines",
         "Smallest whole number of lines that meets a blocking target",
         {"traffic", "blocking"},
         "lines",
         {10, 0.01},
         [](std::span<const double> in) { return Count(tt::ErlangBLines(in[0], in[1])); },
         [](std::span<const double> in, const Answer& answer, Json& json, int digits) {
             Json& rows = json["blocking-by-lines"] = Json::array();
             for (std::int64_t n = std::max<std::int64_t>(answer.count - 1, 0); n <= answer.count;
                  ++n) {
                 rows.push_back({{"lines", n},
                                 {"blocking", JsonNumber(tt::ErlangB(in[0], double(n)), digits)}});
             }
         }},
        {"traffic",
         "Largest traffic N lines carry at a blocking target",
         {"lines", "blocking"},
         "traffic",
         {10, 0.01},
         [](std::span<const double> in) { return Real(tt::ErlangBTraffic(in[0], in[1])); },
         [](std::span<const double> in, const Answer& answer, Json& json, int digits) {
             const double blocking = tt::ErlangB(answer.real, in[0]);
             json["blocking-at-traffic"] = JsonNumber(blocking, digits);
             json["carried"] = JsonNumber(answer.real * (1 - blocking), digits);
         }},
        {"extended-blocking",
         "Blocking when a share of blocked callers (the recall) tries again",
         {"traffic", "lines", "recall"},
         "blocking",
         {10, 15, 0.5},
         [](std::span<const double> in) {
             return Real(tt::ExtendedErlangB(in[0], in[1], in[2]).blocking);
         },
         [](std::span<const double> in, const Answer&, Json& json, int digits) {
             json["offered"] = JsonNumber(tt::ExtendedErlangB(in[0], in[1], in[2]).offered, digits);
         }},
        {"extended-lines",
         "Smallest whole number of lines that meets a blocking target when a share of blocked "
         "callers (the recall) tries again",
         {"traffic", "blocking", "recall"},
         "lines",
         {10, 0.01, 0.5},
         [](std::span<const double> in) {
             return Count(tt::ExtendedErlangBLines(in[0], in[1], in[2]));
         },
         [](std::span<const double> in, const Answer& answer, Json& json, int digits) {
             Json& rows = json["blocking-by-lines"] = Json::array();
             for (std::int64_t n = std::max<std::int64_t>(answer.count - 1, 0); n <= answer.count;
                  ++n) {
                 const tt::Retrial r = tt::ExtendedErlangB(in[0], double(n), in[2]);
                 rows.push_back({{"lines", n},
                                 {"offered", JsonNumber(r.offered, digits)},
                                 {"blocking", JsonNumber(r.blocking, digits)}});
             }
         }},
        {"wait-probability",
         "Erlang C: probability that a caller waits for one of N agents",
         {"traffic", "agents"},
         "wait-probability",
         {10, 12},
         [](std::span<const double> in) { return Real(tt::ErlangC(in[0], in[1])); },
         [](std::span<const double> in, const Answer&, Json& json, int digits) {
             json["occupancy"] = JsonNumber(in[0] / in[1], digits);
         }},
        {"service-level",
         "Erlang C: share of callers answered within the target time",
         {"traffic", "agents", "aht", "target-time"},
         "service-level",
         {10, 12, 180, 20},
         [](std::span<const double> in) {
             return Real(tt::ServiceLevel(in[0], in[1], in[2], in[3]));
         },
         [](std::span<const double> in, const Answer&, Json& json, int digits) {
             json["wait-probability"] = JsonNumber(tt::ErlangC(in[0], in[1]), digits);
             json["average-wait"] =
                 JsonNumber(tt::AverageSpeedOfAnswer(in[0], in[1], in[2]), digits);
         }},
        {"average-wait",
         "Erlang C: average speed of answer, the mean wait over all callers, in the unit of the "
         "handling time",
         {"traffic", "agents", "aht"},
         "average-wait",
         {10, 12, 180},
         [](std::span<const double> in) {
             return Real(tt::AverageSpeedOfAnswer(in[0], in[1], in[2]));
         },
         [](std::span<const double> in, const Answer&, Json& json, int digits) {
             json["wait-probability"] = JsonNumber(tt::ErlangC(in[0], in[1]), digits);
         }},
        {"agents",
         "Erlang C: smallest whole number of agents that reaches a service level",
         {"traffic", "aht", "target-time", "service-level"},
         "agents",
         {10, 180, 20, 0.8},
         [](std::span<const double> in) {
             return Count(tt::ErlangCAgents(in[0], in[1], in[2], in[3]));
         },
         [](std::span<const double> in, const Answer& answer, Json& json, int digits) {
             Json& rows = json["service-level-by-agents"] = Json::array();
             for (std::int64_t n = answer.count - 1; n <= answer.count; ++n) {
                 rows.push_back({{"agents", n},
                                 {"service-level", IfQueueEnds(in[0], double(n), tt::ServiceLevel,
                                                               in[1], in[2], digits)}});
             }
         }},
    };
    return commands;
}

struct Option {
    std::string_view name;
    std::string_view value;
    std::string_view help;
};

constexpr std::array kOptions{
    Option{"traffic", "A", "traffic offered, in erlangs (0 to 1e9)"},
    Option{"lines", "N", "number of lines, whole or fractional (0 to 2e9)"},
    Option{"blocking", "B", "blocking probability, from 1e-300 up to but not including 1"},
    Option{"recall", "R",
           "share of blocked callers who try again, from 0 up to but not including 1"},
    Option{"agents", "N", "number of agents, more than the traffic (0 to 2e9)"},
    Option{"aht", "S", "average handling time of a call, in any unit of time"},
    Option{"target-time", "T", "time within which a call should be answered, in the unit of --aht"},
    Option{"service-level", "P",
           "share of calls to answer within the target time, from 0 up to but not including 1"},
};

const Option* FindOption(std::string_view name) {
    for (const Option& option : kOptions) {
        if (option.name == name) {
            return &option;
        }
    }
    return nullptr;
}

} // namespace

std::span<const Command> Commands() {
    return Table();
}

Answer Solve(const Command& command, std::span<const double> in) {
    const Answer answer = command.solve(in);
    if (!answer.isCount && !std::isfinite(answer.real)) {
        throw std::domain_error("no finite " + std::string(command.answer) + " for these inputs");
    }
    return answer;
}

std::string_view OptionHelp(std::string_view name) {
    return FindOption(name)->help;
}
std::string_view OptionValue(std::string_view name) {
    return FindOption(name)->value;
}

void AppendAnswer(std::string& out, const Answer& answer, int digits) {
    if (answer.isCount) {
        char text[24];
        out.append(text, std::to_chars(text, text + sizeof text, answer.count).ptr);
    } else {
        number_text::Append(out, answer.real, digits);
    }
}

std::string AnswerJson(const Command& command, std::span<const double> in, const Answer& answer,
                       int digits) {
    Json json;
    json["command"] = command.name;
    for (std::size_t i = 0; i < in.size(); ++i) {
        json[std::string(command.inputs[i])] = JsonNumber(in[i], 0);
    }
    if (answer.isCount) {
        json[std::string(command.answer)] = answer.count;
    } else {
        json[std::string(command.answer)] = JsonNumber(answer.real, digits);
    }
    command.explain(in, answer, json, digits);
    return json.dump(2);
}

nlohmann::ordered_json JsonNumber(double value, int digits) {
    value = number_text::Rounded(value, digits);
    // Whole numbers as integers: 10 rather than 10.0, as a count is written.
    if (std::trunc(value) == value && std::fabs(value) < 0x1p53) {
        return static_cast<std::int64_t>(value);
    }
    return value;
}

std::string Worded(const teletraffic::DomainError& error, std::span<const Named> given) {
    // Values given are numbers the grammar read: never NaN.
    const auto same = [&error](const Named& named) {
        return named.argument == error.argument() && named.value == error.value();
    };
    const auto found = std::ranges::find_if(given, same);
    const std::string value = number_text::Show(error.value());
    if (found != given.end()) {
        return std::string(found->name) + " must be " + error.rule() + ", got " + value;
    }
    return error.argument() + " " + value + ", worked out from the inputs, is outside what the " +
           "engine takes: " + error.argument() + " must be " + error.rule();
}

} // namespace cli
