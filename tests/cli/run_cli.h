// corvane-cli run in-process: its exit status and what it wrote where.
#pragma once

#include "cli/run.h"

#include <gtest/gtest.h>

#include <span>
#include <sstream>
#include <string>
#include <vector>

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

inline Outcome Cli(std::vector<std::string> args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = cli::Run(std::move(args), in, out, err);
    return {status, out.str(), err.str()};
}

inline std::vector<std::string> Joined(std::vector<std::string> args,
                                       const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// A command line and all it should print.
struct Prints {
    std::vector<std::string> args;
    std::string out;
};

inline void ExpectEachPrints(std::span<const Prints> cases) {
    for (const Prints& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        const Outcome r = Cli(c.args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.out);
    }
}

// A command line (with its standard input) refused with exit 2, nothing
// printed, and a message saying why.
struct Refused {
    std::vector<std::string> args;
    std::string message;
    std::string input = "";
};

inline void ExpectEachRefused(std::span<const Refused> cases) {
    for (const Refused& c : cases) {
        SCOPED_TRACE(c.message);
        const Outcome r = Cli(c.args, c.input);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
}
