// corvane-cli run in-process: its exit status and what it wrote where.
#pragma once

#include "cli/run.h"

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
