// The call-centre tab's day carried over: the room's plan and the usual plan
// from the tab's own inputs, a schedule judged, and the days the room cannot
// carry refused with their reason.
#include "support/print_qt.h"
#include "tables/models/carried_day.h"
#include "tables/models/day_staffing.h"
#include "tables/models/files.h"
#include "tables/models/volumes.h"
#include "tables/tabs/staffing_tab.h"

#include <QtCharts>
#include <QtTest>
#include <QtWidgets>
#include <gtest/gtest.h>

namespace {

using S = QString;
using namespace tables;

// A morning's half-hours rising to a peak and falling off after it.
S Peak() {
    return S("8:00\t40\n8:30\t120\n9:00\t300\n9:30\t420\n10:00\t150\n10:30\t60\n11:00\t40\n");
}

TEST(CarriedDay, BothPlansFromTheTabsInputs) {
    struct Case {
        const char* behaviour;
        std::optional<double> patience;
        std::optional<double> serviceLevel;
        std::optional<double> averageWait;
        double shrinkage;
    };
    const Case cases[] = {
        {"a service level, callers never hang up", {}, 0.8, {}, 0},
        {"a service level, callers hang up", 120, 0.8, {}, 0.3},
        {"an average wait", {}, {}, 15, 0},
    };
    for (const Case& c : cases) {
        StaffingInputs in;
        in.patienceSeconds = c.patience;
        in.serviceLevel = c.serviceLevel;
        in.averageWaitSeconds = c.averageWait;
        in.shrinkage = c.shrinkage;
        const Day day = StaffDay(ReadVolumes(Peak()), in);
        ASSERT_EQ(day.failed, 0) << c.behaviour;
        const CarriedDay carried = CarryDay(day);
        ASSERT_TRUE(carried.refused.isEmpty()) << c.behaviour << carried.refused;
        ASSERT_EQ(carried.plan.intervals.size(), day.rows.size()) << c.behaviour;
        ASSERT_EQ(carried.usual.intervals.size(), day.rows.size()) << c.behaviour;
        bool usualMisses = false;
        for (std::size_t i = 0; i < day.rows.size(); ++i) {
            const transient::IntervalFigures& plan = carried.plan.intervals[i];
            const transient::IntervalFigures& usual = carried.usual.intervals[i];
            // The room's usual plan is the tab's own count: the same
            // interval, handling time, patience and target reached it.
            EXPECT_EQ(plan.stationaryAgents, day.rows[i].staffing.agents)
                << c.behaviour << " row " << i;
            EXPECT_EQ(usual.agents, plan.stationaryAgents) << c.behaviour << " row " << i;
            EXPECT_EQ(plan.scheduled,
                      static_cast<std::int64_t>(
                          std::ceil(static_cast<double>(plan.agents) / (1 - c.shrinkage) - 1e-9)))
                << c.behaviour << " row " << i;
            EXPECT_TRUE(plan.meetsTarget) << c.behaviour << " row " << i;
            usualMisses = usualMisses || !usual.meetsTarget;
        }
        // The queue left by the peak is what the usual plan does not staff.
        EXPECT_TRUE(usualMisses) << c.behaviour;
    }
}

TEST(CarriedDay, AScheduleJudged) {
    const Day day = StaffDay(ReadVolumes(Peak()), StaffingInputs{});
    const CarriedDay usual = CarryDay(day);
    ASSERT_TRUE(usual.refused.isEmpty()) << usual.refused;
    // The usual plan given as a schedule is judged as the usual plan.
    std::vector<double> schedule;
    for (const DayRow& row : day.rows) {
        schedule.push_back(static_cast<double>(row.staffing.agents));
    }
    const CarriedDay judged = CarryDay(day, schedule);
    ASSERT_TRUE(judged.refused.isEmpty()) << judged.refused;
    for (std::size_t i = 0; i < day.rows.size(); ++i) {
        EXPECT_EQ(judged.plan.intervals[i].agents, usual.usual.intervals[i].agents) << i;
        EXPECT_DOUBLE_EQ(judged.plan.intervals[i].serviceLevel,
                         usual.usual.intervals[i].serviceLevel)
            << i;
    }
    // A schedule one short of the intervals is the room's refusal, said.
    schedule.pop_back();
    EXPECT_FALSE(CarryDay(day, schedule).refused.isEmpty());
}

TEST(CarriedDay, DaysTheRoomCannotCarryRefused) {
    struct Case {
        const char* behaviour;
        S text;
        double redial;
        S reason; // the start of the refusal
    };
    const Case cases[] = {
        {"a row without calls", S("8:00\t40\n8:30\t-1\n9:00\t40\n"), 0,
         S("区間 8:30 に答えがない")},
        {"a row with its own handling time", S("時刻\t呼数\taht\n8:00\t40\t\n8:30\t40\t240\n"), 0,
         S("区間 8:30 に独自の入力")},
        {"redials, which Erlang X alone answers", Peak(), 0.2, S("過渡解析は再呼")},
        {"no interval", S(""), 0, S("")},
    };
    for (const Case& c : cases) {
        StaffingInputs in;
        in.redial = c.redial;
        const CarriedDay carried = CarryDay(StaffDay(ReadVolumes(c.text), in));
        EXPECT_FALSE(carried.refused.isEmpty()) << c.behaviour;
        EXPECT_TRUE(carried.refused.startsWith(c.reason))
            << c.behaviour << ": " << carried.refused.toStdString();
        EXPECT_TRUE(carried.plan.intervals.empty()) << c.behaviour;
    }
}

// The tab's day carried over by default, off the window's thread; the
// usual plan's misses red in the chart; 区間ごと the day as before.
TEST(CarriedDay, TheTabShowsBothPlansAndTheUsualPlansMisses) {
    StaffingTab tab{Dialogs{[](QWidget*, const S&, const S&, const S&) { return S(); },
                            [](QWidget*, const S&) {}},
                    nullptr};
    tab.views()->setCurrentIndex(2); // 1日の要員計画
    tab.findChild<QPlainTextEdit*>(S("volumes"))->setPlainText(Peak());
    tab.findChild<QPushButton*>(S("dayCompute"))->click();
    auto* table = tab.findChild<QTableView*>(S("carriedTable"));
    ASSERT_NE(table, nullptr);
    QTRY_COMPARE(table->model()->rowCount(), 7);
    const Day day = StaffDay(ReadVolumes(Peak()), StaffingInputs{});
    const CarriedDay carried = CarryDay(day);
    for (int row = 0; row < 7; ++row) {
        const auto at = static_cast<std::size_t>(row);
        EXPECT_EQ(table->model()->index(row, 2).data().toLongLong(), day.rows[at].staffing.agents);
        EXPECT_EQ(table->model()->index(row, 4).data().toLongLong(),
                  carried.plan.intervals[at].agents);
    }
    QChart* chart = tab.findChild<QChartView*>(S("carriedChart"))->chart();
    auto* bars = qobject_cast<QBarSeries*>(chart->series().value(0));
    ASSERT_NE(bars, nullptr);
    ASSERT_EQ(bars->barSets().size(), 2);
    double missed = 0;
    for (int row = 0; row < 7; ++row) {
        const bool misses = !carried.usual.intervals[static_cast<std::size_t>(row)].meetsTarget;
        // Each interval's bar in the set that says whether it misses.
        EXPECT_EQ(bars->barSets()[1]->at(row) > 0, misses) << row;
        missed += bars->barSets()[1]->at(row);
    }
    EXPECT_GT(missed, 0);
    auto* carriedDay = tab.findChild<QWidget*>(S("carriedDay"));
    auto* perInterval = tab.findChild<QTableView*>(S("day"));
    EXPECT_TRUE(carriedDay->isVisibleTo(&tab));
    EXPECT_FALSE(perInterval->isVisibleTo(&tab));
    tab.findChild<QComboBox*>(S("dayMethod"))->setCurrentIndex(1);
    EXPECT_FALSE(carriedDay->isVisibleTo(&tab));
    EXPECT_TRUE(perInterval->isVisibleTo(&tab));
}

// What is saved and copied is the day as shown: carried over under 過渡解析,
// its method stated; the per-interval day under 区間ごと.
TEST(CarriedDay, SavedAndCopiedAsShown) {
    QTemporaryDir dir;
    const S path = dir.filePath(S("day.csv"));
    StaffingTab tab{Dialogs{[&](QWidget*, const S&, const S&, const S&) { return path; },
                            [](QWidget*, const S&) {}},
                    nullptr};
    tab.views()->setCurrentIndex(2);
    tab.findChild<QPlainTextEdit*>(S("volumes"))->setPlainText(Peak());
    tab.findChild<QPushButton*>(S("dayCompute"))->click();
    auto* carried = tab.findChild<QTableView*>(S("carriedTable"))->model();
    QTRY_COMPARE(carried->rowCount(), 7);
    const auto read = [&path] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    tab.findChild<QPushButton*>(S("exportDay"))->click();
    EXPECT_TRUE(read().contains("# 1日の計画の方法,過渡解析\r\n"));
    EXPECT_TRUE(read().endsWith(TableCsv(*carried).mid(3)));
    tab.findChild<QPushButton*>(S("copyDay"))->click();
    EXPECT_TRUE(QApplication::clipboard()->text().contains(S("過渡解析の要員")));

    tab.findChild<QComboBox*>(S("dayMethod"))->setCurrentIndex(1);
    tab.findChild<QPushButton*>(S("exportDay"))->click();
    EXPECT_TRUE(read().contains("# 1日の計画の方法,区間ごと\r\n"));
    EXPECT_TRUE(read().endsWith(TableCsv(*tab.findChild<QTableView*>(S("day"))->model()).mid(3)));
}

} // namespace
