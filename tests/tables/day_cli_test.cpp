// The day plan and corvane-cli's batch read the same columns alike: every
// option of `agents` is a column the day reads (or refuses, for traffic),
// and a day with every one of them gets the same agents row by row.
#include "cli/commands.h"
#include "cli/run.h"
#include "tables/models/day_staffing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {

using namespace tables;

TEST(DayPlanAndCli, EveryOptionOfAgentsIsAColumnOfTheDay) {
    const auto commands = cli::Commands();
    const auto agents = std::find_if(commands.begin(), commands.end(),
                                     [](const cli::Command& c) { return c.name == "agents"; });
    ASSERT_NE(agents, commands.end());
    for (const cli::Use& use : agents->options) {
        const std::string_view name = use.name.Text();
        const bool read = std::any_of(std::begin(kDayColumns), std::end(kDayColumns),
                                      [&](teletraffic::Argument argument) {
                                          return teletraffic::About(argument).option == name;
                                      });
        EXPECT_TRUE(read || name == "calls" || name == "traffic") << name;
    }
    EXPECT_FALSE(ReadVolumes(QStringLiteral("start,traffic\n9:00,10\n")).refused.isEmpty());
}

TEST(DayPlanAndCli, TheSameAgentsRowByRow) {
    const std::string day =
        "start,calls,aht,patience,lines,redial,target-time,service-level,basis,answered-wait,"
        "average-wait,max-abandon,max-blocking,shrinkage,max-occupancy,interval,variance\n"
        "08:00,120,180,300,,,20,0.8,,,,,,0.3,,30,\n"
        "08:30,150,390,300,40,0.5,20,0.8,answered,,,0.05,,,0.85,30,\n"
        "09:00,210,180,30,,,20,0.8,,15,,,,,,30,\n"
        "09:30,180,240,300,60,,20,0.9,,,,,0.02,,,15,\n"
        "10:00,100,180,300,,,20,0.8,,,,,,,,30,400\n"
        "10:30,100,180,,,,,,,,12,,,,,30,\n";
    std::istringstream in(day);
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(cli::Run({"agents", "--input", "-"}, in, out, err), 0) << err.str();
    std::istringstream lines(out.str());
    std::string line;
    std::getline(lines, line); // the heading
    QStringList expected;
    while (std::getline(lines, line)) {
        expected << QString::fromStdString(line.substr(0, 5)) + u'=' +
                        QString::fromStdString(line.substr(line.rfind(',') + 1));
    }
    // Every target the rows' own: the fields give none.
    StaffingInputs fields;
    fields.serviceLevel.reset();
    const Day staffed = StaffDay(ReadVolumes(QString::fromStdString(day)), fields);
    QStringList rows;
    for (const DayRow& row : staffed.rows) {
        rows << row.label + u'=' +
                    (row.error.isEmpty() ? QString::number(row.staffing.scheduled) : row.error);
    }
    EXPECT_EQ(rows, expected);
}

} // namespace
