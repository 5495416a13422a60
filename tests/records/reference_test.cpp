// Every case of tests/data/records/reference.csv read and summarised as the
// command line would: each period's, each day's and the summary's figures
// against exact rationals computed another way; counts and texts exactly,
// traffic to a relative 1e-12 (the worst is printed).
#include "records/records.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

namespace {

struct Expected {
    std::map<std::string, std::string> options;
    std::vector<std::string> files;
    // what -> key -> field -> value
    std::map<std::string, std::map<std::string, std::map<std::string, std::string>>> rows;
};

std::map<std::string, Expected> ReadReference() {
    std::ifstream in(CORVANE_RECORDS_DATA "/reference.csv");
    std::map<std::string, Expected> cases;
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> f;
        std::size_t at = 0;
        for (int i = 0; i < 4; ++i) {
            const std::size_t comma = line.find(',', at);
            f.push_back(line.substr(at, comma - at));
            at = comma + 1;
        }
        f.push_back(line.substr(at));
        Expected& e = cases[f[0]];
        if (f[1] == "option") {
            e.options[f[3]] = f[4];
        } else if (f[1] == "file") {
            e.files.push_back(std::string(CORVANE_RECORDS_DATA) + "/" + f[4]);
        } else {
            e.rows[f[1]][f[2]][f[3]] = f[4];
        }
    }
    return cases;
}

double worst = 0;

void ExpectSame(const std::string& want, const std::string& got, const std::string& where) {
    const bool real = want.find_first_of(".e") != std::string::npos &&
                      want.find_first_not_of("0123456789.e+-") == std::string::npos;
    if (!real) {
        EXPECT_EQ(got, want) << where;
        return;
    }
    const double w = std::stod(want), g = got.empty() ? NAN : std::stod(got);
    const double error = w == 0 ? std::fabs(g) : std::fabs(g - w) / std::fabs(w);
    worst = std::max(worst, error);
    EXPECT_LE(error, 1e-12) << where << ": want " << want << ", got " << got;
}

std::string Show(double v) {
    std::ostringstream s;
    s.precision(17);
    s << v;
    return s.str();
}

std::string PeakText(const records::PeakRange& p) {
    return p.Exact() ? std::to_string(p.low)
                     : std::to_string(p.low) + ".." + std::to_string(p.high);
}

TEST(RecordsReference, EveryFigureOfEveryCaseAsComputedAnotherWay) {
    const auto cases = ReadReference();
    ASSERT_GE(cases.size(), 10u);
    std::size_t figures = 0;
    for (const auto& [name, e] : cases) {
        SCOPED_TRACE(name);
        records::Options o;
        for (const auto& [option, value] : e.options) {
            records::SetOption(o, option, value);
        }
        records::CheckOptions(o);
        const records::Tally tally = records::ReadRecords(e.files, o.read);
        EXPECT_EQ(tally.late, 0);
        EXPECT_EQ(tally.uncertain, 0);
        const records::Report report = records::Summarize(tally, o.summary);

        std::map<std::string, std::map<std::string, std::string>> periods, days, summary;
        for (const records::PeriodRow& p : report.periods) {
            auto& row = periods[p.startText];
            row = {{"calls", std::to_string(p.calls)},
                   {"traffic", Show(p.traffic)},
                   {"peak", PeakText(p.peak)}};
            if (p.holdingTime) {
                row["holding-time"] = Show(*p.holdingTime);
            }
        }
        for (const records::DayRow& d : report.days) {
            auto& row = days[d.date];
            row = {{"calls", std::to_string(d.calls)},
                   {"peak", PeakText(d.peak)},
                   {"peak-hour", d.peakHour},
                   {"peak-hour-traffic", Show(d.peakHourTraffic)}};
            if (d.offered) {
                row["offered"] = Show(*d.offered);
            }
        }
        const auto json = nlohmann::json::parse(records::SummaryJson(report, tally));
        auto& s = summary[""];
        for (const auto& [key, value] : json.items()) {
            if (value.is_object()) {
                for (const auto& [reason, count] : value.items()) {
                    s[key + ":" + reason] = count.dump();
                }
            } else if (value.is_array()) {
                std::string list;
                for (const auto& day : value) {
                    list += (list.empty() ? "" : " ") + day.get<std::string>();
                }
                s[key] = list;
            } else if (value.is_number_float()) {
                s[key] = Show(value.get<double>());
            } else if (!value.is_null()) {
                s[key] = value.is_string() ? value.get<std::string>() : value.dump();
            }
        }
        const std::map<std::string, decltype(periods)*> got = {
            {"period", &periods}, {"day", &days}, {"summary", &summary}};
        for (const auto& [what, rows] : e.rows) {
            const auto& have = *got.at(what);
            if (what != "summary") {
                EXPECT_EQ(have.size(), rows.size()) << what << "s";
            }
            for (const auto& [key, fields] : rows) {
                for (const auto& [field, value] : fields) {
                    const auto row = have.find(key);
                    const std::string found =
                        row == have.end() || !row->second.count(field) ? "" : row->second.at(field);
                    ExpectSame(value, found, what + " " + key + " " + field);
                    ++figures;
                }
            }
        }
        // Nothing counted that the reference does not count.
        for (const auto& [key, value] : summary.at("")) {
            if (key.find(':') != std::string::npos) {
                EXPECT_TRUE(e.rows.at("summary").at("").count(key)) << key << " = " << value;
            }
        }
    }
    std::cout << figures << " figures of " << cases.size() << " cases agree; worst relative error "
              << worst << "\n";
}

} // namespace
