#include "calc/mdl_Corvane.h"
#include "teletraffic/erlang.h"
#include "teletraffic/inverse_blocking.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace teletraffic;

struct Reference {
    std::string function;
    std::vector<double> args;
    std::string expected;
};

std::vector<Reference> ReadReference() {
    std::ifstream file(CORVANE_REFERENCE);
    std::vector<Reference> rows;
    for (std::string line; std::getline(file, line);) {
        std::istringstream fields(line);
        Reference row;
        std::getline(fields, row.function, ',');
        for (std::string field; std::getline(fields, field, ',');) {
            double value = 0;
            std::from_chars(field.data(), field.data() + field.size(), value);
            row.args.push_back(value);
        }
        row.expected = line.substr(line.rfind(',') + 1);
        row.args.pop_back();
        rows.push_back(row);
    }
    return rows;
}

// Every answer against 50-digit values (tests/data/make_reference.py): counts
// exactly, ties to the last bit included; the rest to a relative 1e-12.
TEST(Engine, AgreesWithTheReferenceTable) {
    using Args = const std::vector<double>&;
    const std::map<std::string, std::function<double(Args)>> functions = {
        {"blocking", [](Args a) { return ErlangB(a[0], a[1]); }},
        {"log_blocking", [](Args a) { return LogErlangB(a[0], a[1]); }},
        {"lines", [](Args a) { return ErlangBLines(a[0], a[1]); }},
        {"traffic", [](Args a) { return ErlangBTraffic(a[0], a[1]); }},
        {"extended_offered", [](Args a) { return ExtendedErlangB(a[0], a[1], a[2]).offered; }},
        {"extended_blocking", [](Args a) { return ExtendedErlangB(a[0], a[1], a[2]).blocking; }},
        {"extended_lines", [](Args a) { return ExtendedErlangBLines(a[0], a[1], a[2]); }},
        {"wait_probability", [](Args a) { return ErlangC(a[0], a[1]); }},
        {"service_level", [](Args a) { return ServiceLevel(a[0], a[1], a[2], a[3]); }},
        {"average_wait", [](Args a) { return AverageSpeedOfAnswer(a[0], a[1], a[2]); }},
        {"agents", [](Args a) { return ErlangCAgents(a[0], a[1], a[2], a[3]); }},
    };
    const std::vector<Reference> rows = ReadReference();
    ASSERT_GT(rows.size(), 80u);
    for (const Reference& row : rows) {
        std::ostringstream name;
        name << row.function;
        for (double a : row.args) {
            name << ' ' << a;
        }
        SCOPED_TRACE(name.str());
        const double got = functions.at(row.function)(row.args);
        const auto want = static_cast<double>(std::stold(row.expected));
        if (row.expected.find_first_of(".e") == std::string::npos) {
            EXPECT_EQ(got, want);
        } else if (want < 1e-300) {
            EXPECT_LE(got, 1e-300); // below the double range: see log_blocking
        } else {
            EXPECT_LE(std::fabs(got - want), 1e-12 * std::fabs(want)) << "got " << got;
        }
        // The error bounds the whole-count decisions rely on, in both precisions.
        if (row.function == "blocking" || row.function == "log_blocking") {
            const long double ref = std::stold(row.expected);
            const long double logB = row.function == "blocking" ? std::log(ref) : ref;
            const long double scale = std::fmax(1.0L, std::fabs(logB));
            EXPECT_LE(std::fabs(detail::InverseBlocking(row.args[0], row.args[1]).Log() + logB),
                      detail::kLogTolerance<double> * scale);
            EXPECT_LE(
                std::fabs(detail::InverseBlocking<long double>(row.args[0], row.args[1]).Log() +
                          logB),
                detail::kLogTolerance<long double> * scale);
        }
    }
}

} // namespace
