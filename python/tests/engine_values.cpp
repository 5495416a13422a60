// The engine's answers for the Python tests to match bit for bit, called here
// directly rather than through the module's table. Reads lines of a function
// name and its arguments (any form strtod reads, hexadecimal included);
// writes each result's fields as hexadecimal floats or whole counts, or
// "error".
#include "teletraffic/erlang.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace tt = teletraffic;
using Args = const std::vector<double>&;

std::string Show(double x) {
    char text[64];
    std::snprintf(text, sizeof text, "%a", x);
    return text;
}
std::string Show(std::int64_t n) {
    return std::to_string(n);
}
std::string Show(const tt::Retrial& r) {
    return Show(r.offered) + ' ' + Show(r.blocking);
}

const std::map<std::string, std::function<std::string(Args)>> kFunctions = {
    {"erlang_b", [](Args a) { return Show(tt::ErlangB(a[0], a[1])); }},
    {"log_erlang_b", [](Args a) { return Show(tt::LogErlangB(a[0], a[1])); }},
    {"erlang_b_lines", [](Args a) { return Show(tt::ErlangBLines(a[0], a[1])); }},
    {"erlang_b_traffic", [](Args a) { return Show(tt::ErlangBTraffic(a[0], a[1])); }},
    {"extended_erlang_b", [](Args a) { return Show(tt::ExtendedErlangB(a[0], a[1], a[2])); }},
    {"extended_erlang_b_lines",
     [](Args a) { return Show(tt::ExtendedErlangBLines(a[0], a[1], a[2])); }},
    {"extended_erlang_b_traffic",
     [](Args a) { return Show(tt::ExtendedErlangBTraffic(a[0], a[1], a[2])); }},
    {"erlang_c", [](Args a) { return Show(tt::ErlangC(a[0], a[1])); }},
    {"service_level", [](Args a) { return Show(tt::ServiceLevel(a[0], a[1], a[2], a[3])); }},
    {"average_wait", [](Args a) { return Show(tt::AverageSpeedOfAnswer(a[0], a[1], a[2])); }},
    {"agents", [](Args a) { return Show(tt::ErlangCAgents(a[0], a[1], a[2], a[3])); }},
};

} // namespace

int main() {
    for (std::string line; std::getline(std::cin, line);) {
        std::istringstream words(line);
        std::string name;
        words >> name;
        std::vector<double> args;
        for (std::string word; words >> word;) {
            args.push_back(std::strtod(word.c_str(), nullptr));
        }
        try {
            std::cout << kFunctions.at(name)(args) << '\n';
        } catch (const std::exception&) {
            std::cout << "error\n";
        }
    }
}
