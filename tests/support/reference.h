// Reading the engine's 50-digit reference tables (tests/data/*.csv, written
// by make_reference.py) and holding a model's functions to them.
#pragma once

#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace reference {

struct Row {
    std::string region;
    std::string function;
    std::vector<double> args;
    std::string expected;
};

// Rows of "function,arguments...,expected", or with `regions` "region,function,...".
inline std::vector<Row> Read(const char* path, bool regions = false) {
    std::ifstream file(path);
    std::vector<Row> rows;
    for (std::string line; std::getline(file, line);) {
        std::istringstream fields(line);
        Row row;
        if (regions) {
            std::getline(fields, row.region, ',');
        }
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

// A count is written without a point or an exponent.
inline bool IsCount(const Row& row) {
    return row.expected.find_first_of(".e") == std::string::npos;
}

using Args = const std::vector<double>&;
using Functions = std::map<std::string, std::function<double(Args)>>;

// Every row of `path` (with `regions`, each led by its region) through
// `functions`: counts exactly, ties included; below double's normal range at
// most that range; the rest to a relative 1e-12. `also` sees each row and its
// answer. Returns how many rows there were.
inline std::size_t ExpectAgrees(const char* path, const Functions& functions, bool regions = false,
                                const std::function<void(const Row&, double)>& also = {}) {
    const std::vector<Row> rows = Read(path, regions);
    for (const Row& row : rows) {
        std::ostringstream name;
        name.precision(17);
        name << row.region << ' ' << row.function;
        for (double a : row.args) {
            name << ' ' << a;
        }
        SCOPED_TRACE(name.str());
        double got = NAN;
        try {
            got = functions.at(row.function)(row.args);
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
            continue;
        }
        const auto want = static_cast<double>(std::stold(row.expected));
        if (IsCount(row)) {
            EXPECT_EQ(got, want);
        } else if (std::fabs(want) < DBL_MIN) {
            EXPECT_LE(std::fabs(got), DBL_MIN) << "got " << got;
        } else {
            EXPECT_LE(std::fabs(got - want), 1e-12 * std::fabs(want)) << "got " << got;
        }
        if (also) {
            also(row, got);
        }
    }
    return rows.size();
}

struct Refusal {
    std::function<void()> call;
    const char* message; // a part of what the engine says
};

// Each call throws a domain error whose message holds its part.
inline void ExpectRefusals(const std::vector<Refusal>& refusals) {
    for (const Refusal& r : refusals) {
        try {
            r.call();
            ADD_FAILURE() << "no exception: " << r.message;
        } catch (const std::domain_error& e) {
            EXPECT_NE(std::string(e.what()).find(r.message), std::string::npos) << e.what();
        }
    }
}

} // namespace reference
