// The engine called directly, not through the module's table: the answers the
// Python tests hold the module to bit for bit, and the plain loop its speed is
// measured against.
//   engine_values                  lines of a function name and its arguments
//                                  (any form strtod reads; an Erlang X form's
//                                  as keyword=value) in; each result's fields
//                                  out, as hexadecimal floats or whole counts,
//                                  or "error"
//   engine_values --time NAME FILE  FILE: rows of NAME's arguments, raw float64;
//                                  prints the loop's seconds per row
#include "teletraffic/engset.h"
#include "teletraffic/erlang_a.h"
#include "teletraffic/erlang_b.h"
#include "teletraffic/erlang_c.h"
#include "teletraffic/erlang_x.h"
#include "teletraffic/measured_traffic.h"
#include "teletraffic/overflow.h"
#include "teletraffic/staffing_factors.h"

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace tt = teletraffic;

struct Answer {
    std::array<double, 9> fields{};
    int size = 1;
    bool count = false;
};
Answer Of(double x) {
    return {{x}};
}
Answer Of(std::int64_t n) {
    return {{static_cast<double>(n)}, 1, true};
}
Answer Of(const tt::Retrial& r) {
    return {{r.offered, r.blocking}, 2};
}
Answer Of(const tt::Abandonment& r) {
    return {{r.waitProbability, r.abandonProbability, r.averageWait, r.occupancy}, 4};
}
Answer Of(const tt::Schedule& r) {
    return {{static_cast<double>(r.onPhones), static_cast<double>(r.scheduled),
             r.decidedBy == tt::Decided::Occupancy ? 1.0 : 0.0},
            3,
            true};
}
Answer Of(const tt::Engset& r) {
    return {{r.timeCongestion, r.callCongestion, r.trafficCongestion, r.carried, r.traffic,
             r.intendedTraffic, r.idleSourceTraffic},
            7};
}
Answer Of(const tt::Overflow& r) {
    return {{r.mean, r.variance, r.peakedness}, 3};
}
Answer Of(const tt::EquivalentRandom& r) {
    return {{r.traffic, r.lines}, 2};
}
Answer Of(const tt::OverflowLoss& r) {
    return {{r.lost, r.blocking}, 2};
}
Answer Of(const tt::ErlangXFigures& f) {
    return {{f.blocking, f.waitProbability, f.abandonProbability, f.averageWait, f.answeredWait,
             f.occupancy, f.serviceLevel, f.attemptsTraffic, f.callersLost},
            9};
}
constexpr auto kTraffic = tt::EngsetLoad::Traffic;
constexpr auto kIntended = tt::EngsetLoad::IntendedTraffic;
constexpr auto kIdle = tt::EngsetLoad::IdleSourceTraffic;
constexpr auto kErt = tt::OverflowMethod::EquivalentRandom;
constexpr auto kHayward = tt::OverflowMethod::Hayward;

struct Function {
    int arguments;
    Answer (*call)(const double*);
};
const std::map<std::string, Function> kFunctions = {
    {"erlang_b", {2, [](const double* a) { return Of(tt::ErlangB(a[0], a[1])); }}},
    {"log_erlang_b", {2, [](const double* a) { return Of(tt::LogErlangB(a[0], a[1])); }}},
    {"erlang_b_lines", {2, [](const double* a) { return Of(tt::ErlangBLines(a[0], a[1])); }}},
    {"erlang_b_traffic", {2, [](const double* a) { return Of(tt::ErlangBTraffic(a[0], a[1])); }}},
    {"extended_erlang_b",
     {3, [](const double* a) { return Of(tt::ExtendedErlangB(a[0], a[1], a[2])); }}},
    {"extended_erlang_b_lines",
     {3, [](const double* a) { return Of(tt::ExtendedErlangBLines(a[0], a[2], a[1])); }}},
    {"extended_erlang_b_traffic",
     {3, [](const double* a) { return Of(tt::ExtendedErlangBTraffic(a[0], a[2], a[1])); }}},
    {"erlang_c", {2, [](const double* a) { return Of(tt::ErlangC(a[0], a[1])); }}},
    {"service_level",
     {4, [](const double* a) { return Of(tt::ErlangCServiceLevel(a[0], a[1], a[2], a[3])); }}},
    {"average_wait",
     {3, [](const double* a) { return Of(tt::ErlangCAverageWait(a[0], a[1], a[2])); }}},
    {"agents", {4, [](const double* a) { return Of(tt::ErlangCAgents(a[0], a[1], a[2], a[3])); }}},
    {"agents_for_wait",
     {3, [](const double* a) { return Of(tt::ErlangCAgentsForWait(a[0], a[1], a[2])); }}},
    {"erlang_a", {4, [](const double* a) { return Of(tt::ErlangA(a[0], a[1], a[2], a[3])); }}},
    {"erlang_a_service_level",
     {5,
      [](const double* a) { return Of(tt::ErlangAServiceLevel(a[0], a[1], a[2], a[3], a[4])); }}},
    {"erlang_a_agents",
     {5, [](const double* a) { return Of(tt::ErlangAAgents(a[0], a[1], a[2], a[3], a[4])); }}},
    {"erlang_a_agents_for_wait",
     {4, [](const double* a) { return Of(tt::ErlangAAgentsForWait(a[0], a[1], a[2], a[3])); }}},
    {"schedule_agents",
     {4,
      [](const double* a) {
          return Of(tt::ScheduleAgents(a[1], static_cast<std::int64_t>(a[0]), a[2], a[3]));
      }}},
    {"erlang_a_schedule_agents",
     {6,
      [](const double* a) {
          return Of(tt::ErlangAScheduleAgents(a[1], static_cast<std::int64_t>(a[0]), a[2], a[3],
                                              a[4], a[5]));
      }}},
    {"engset[traffic]",
     {3, [](const double* a) { return Of(tt::EngsetBlocking(kTraffic, a[2], a[0], a[1])); }}},
    {"engset[intended_traffic]",
     {3, [](const double* a) { return Of(tt::EngsetBlocking(kIntended, a[2], a[0], a[1])); }}},
    {"engset[idle_source_traffic]",
     {3, [](const double* a) { return Of(tt::EngsetBlocking(kIdle, a[2], a[0], a[1])); }}},
    {"engset_lines[traffic]",
     {3, [](const double* a) { return Of(tt::EngsetLines(kTraffic, a[2], a[0], a[1])); }}},
    {"engset_lines[intended_traffic]",
     {3, [](const double* a) { return Of(tt::EngsetLines(kIntended, a[2], a[0], a[1])); }}},
    {"engset_lines[idle_source_traffic]",
     {3, [](const double* a) { return Of(tt::EngsetLines(kIdle, a[2], a[0], a[1])); }}},
    {"engset_traffic",
     {3, [](const double* a) { return Of(tt::EngsetTraffic(a[0], a[1], a[2])); }}},
    {"overflow", {2, [](const double* a) { return Of(tt::OverflowMoments(a[0], a[1])); }}},
    {"equivalent_random",
     {2, [](const double* a) { return Of(tt::OverflowEquivalentRandom(a[0], a[1])); }}},
    {"overflow_blocking[method=ert]",
     {3, [](const double* a) { return Of(tt::OverflowBlocking(a[0], a[1], a[2], kErt)); }}},
    {"overflow_blocking[method=hayward]",
     {3, [](const double* a) { return Of(tt::OverflowBlocking(a[0], a[1], a[2], kHayward)); }}},
    {"overflow_lines[method=ert]",
     {3, [](const double* a) { return Of(tt::OverflowLines(a[0], a[1], kErt, a[2])); }}},
    {"overflow_lines[method=hayward]",
     {3, [](const double* a) { return Of(tt::OverflowLines(a[0], a[1], kHayward, a[2])); }}},
    {"offered_traffic",
     {2, [](const double* a) { return Of(tt::ErlangBOfferedTraffic(a[0], a[1])); }}},
};

// The Erlang X forms, their arguments read by keyword here rather than by
// place as the module's table lists them.
struct Keywords {
    std::map<std::string, double> given;
    std::string basis;

    double Or(const std::string& name, double otherwise) const {
        const auto it = given.find(name);
        return it == given.end() ? otherwise : it->second;
    }
    std::optional<double> Target(const std::string& name) const {
        const auto it = given.find(name);
        return it == given.end() ? std::nullopt : std::optional(it->second);
    }
    tt::ErlangXModel Model() const {
        return {Or("aht", 1),    Or("patience", INFINITY), Or("lines", INFINITY),
                Or("redial", 0), Or("calls", 0),           Or("variance", 0)};
    }
    tt::Basis Basis() const {
        const std::map<std::string, tt::Basis> bases = {
            {"", tt::Basis::Offered},
            {"offered", tt::Basis::Offered},
            {"answered", tt::Basis::Answered},
            {"excluding_short_abandons", tt::Basis::ExcludingShortAbandons},
            {"virtual", tt::Basis::Virtual}};
        return bases.at(basis);
    }
    tt::ErlangXTargets Targets() const {
        return {Or("target_time", 0),    Basis(),
                Target("service_level"), Target("average_wait"),
                Target("answered_wait"), Target("max_abandon"),
                Target("max_blocking")};
    }
    // The command line's traffic from calls in an interval of minutes.
    double Traffic() const {
        if (given.contains("calls")) {
            const double calls = given.at("calls"), interval = given.at("interval");
            if (!(calls >= 0 && calls < INFINITY && interval > 0 && interval < INFINITY)) {
                throw std::invalid_argument("calls or interval");
            }
            return calls * Or("aht", 1) / (interval * 60);
        }
        return given.at("traffic");
    }
    tt::ErlangXFigures Figures() const {
        return tt::ErlangX(Traffic(), given.at("agents"), Model(), Or("target_time", 0), Basis());
    }
};
using Field = double tt::ErlangXFigures::*;
Answer Figure(const Keywords& k, Field field) {
    return Of(k.Figures().*field);
}
Answer Agents(const Keywords& k) {
    return Of(tt::ErlangXAgents(k.Traffic(), k.Model(), k.Targets()));
}
const std::map<std::string, Answer (*)(const Keywords&)> kErlangX = {
    {"erlang_c[erlang_x]",
     [](const Keywords& k) { return Figure(k, &tt::ErlangXFigures::waitProbability); }},
    {"service_level[erlang_x]",
     [](const Keywords& k) { return Figure(k, &tt::ErlangXFigures::serviceLevel); }},
    {"erlang_a_service_level[erlang_x]",
     [](const Keywords& k) { return Figure(k, &tt::ErlangXFigures::serviceLevel); }},
    {"average_wait[erlang_x]",
     [](const Keywords& k) { return Figure(k, &tt::ErlangXFigures::averageWait); }},
    {"answered_wait",
     [](const Keywords& k) { return Figure(k, &tt::ErlangXFigures::answeredWait); }},
    {"queue_blocking", [](const Keywords& k) { return Figure(k, &tt::ErlangXFigures::blocking); }},
    {"erlang_a[erlang_x]",
     [](const Keywords& k) {
         const tt::ErlangXFigures f = k.Figures();
         return Of(
             tt::Abandonment{f.waitProbability, f.abandonProbability, f.averageWait, f.occupancy});
     }},
    {"erlang_x", [](const Keywords& k) { return Of(k.Figures()); }},
    {"agents[erlang_x]", Agents},
    {"agents_for_wait[erlang_x]", Agents},
    {"erlang_a_agents[erlang_x]", Agents},
    {"erlang_a_agents_for_wait[erlang_x]", Agents},
    {"queue_lines",
     [](const Keywords& k) {
         return Of(tt::ErlangXLines(k.Traffic(), k.given.at("agents"), k.Model(),
                                    k.given.at("blocking")));
     }},
    {"capacity",
     [](const Keywords& k) {
         return Of(tt::ErlangXCapacity(k.given.at("agents"), k.Model(), k.Targets()));
     }},
};

int Time(const Function& f, const char* path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<double> args;
    for (double x; file.read(reinterpret_cast<char*>(&x), sizeof x);) {
        args.push_back(x);
    }
    const std::size_t rows = args.size() / f.arguments;
    std::vector<double> out(rows);
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < rows; ++i) {
        try {
            out[i] = f.call(&args[i * f.arguments]).fields[0];
        } catch (const std::exception&) {
            out[i] = NAN;
        }
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    double sum = 0; // kept, so that no call is left out
    for (double x : out) {
        sum += std::isnan(x) ? 0 : x;
    }
    std::printf("%.6g %g\n", took.count() / static_cast<double>(rows), sum);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--time") {
        return Time(kFunctions.at(argv[2]), argv[3]);
    }
    for (std::string line; std::getline(std::cin, line);) {
        std::istringstream words(line);
        std::string name;
        words >> name;
        std::vector<double> args;
        Keywords keywords;
        for (std::string word; words >> word;) {
            const std::size_t equals = word.find('=');
            if (equals == std::string::npos) {
                args.push_back(std::strtod(word.c_str(), nullptr));
            } else if (word.starts_with("basis=")) {
                keywords.basis = word.substr(equals + 1);
            } else {
                keywords.given[word.substr(0, equals)] =
                    std::strtod(word.c_str() + equals + 1, nullptr);
            }
        }
        try {
            const Answer answer = kErlangX.contains(name) ? kErlangX.at(name)(keywords)
                                                          : kFunctions.at(name).call(args.data());
            for (int i = 0; i < answer.size; ++i) {
                char text[64];
                std::snprintf(text, sizeof text, answer.count ? "%.0f" : "%a", answer.fields[i]);
                std::cout << (i > 0 ? " " : "") << text;
            }
            std::cout << '\n';
        } catch (const std::exception&) {
            std::cout << "error\n";
        }
    }
}
