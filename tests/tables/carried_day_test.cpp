// The call-centre tab's day carried over: the room's plan and the usual plan
// from the tab's own inputs, a schedule judged, and the days the room cannot
// carry refused with their reason.
#include "support/print_qt.h"
#include "tables/models/carried_day.h"
#include "tables/models/carried_schedule.h"
#include "tables/models/day_staffing.h"
#include "tables/models/files.h"
#include "tables/models/shift_templates.h"
#include "tables/models/volumes.h"
#include "tables/tabs/shifts_view.h"
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
    ASSERT_TRUE(judged.judged.has_value());
    for (std::size_t i = 0; i < day.rows.size(); ++i) {
        EXPECT_EQ(judged.judged->intervals[i].agents, usual.usual.intervals[i].agents) << i;
        EXPECT_DOUBLE_EQ(judged.judged->intervals[i].serviceLevel,
                         usual.usual.intervals[i].serviceLevel)
            << i;
        // The plan beside it is the room's own, not the schedule.
        EXPECT_EQ(judged.plan.intervals[i].agents, usual.plan.intervals[i].agents) << i;
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

// A schedule's rows put on the day's intervals by their time, whatever
// their order and the columns beside them.
TEST(CarriedSchedule, RowsPutByTime) {
    const S morning = S("8:00\t40\n8:30\t60\n9:00\t80\n");
    struct Case {
        const char* behaviour;
        S day;
        S text;
        std::vector<double> agents; // in the day's order
    };
    const Case cases[] = {
        {"a CSV out of order", morning, S("time,agents\n9:00,7\n08:00,5\n8:30,6\n"), {5, 6, 7}},
        {"a spreadsheet's paste with columns beside",
         morning,
         S("区間\t呼数\tagents\r\n8:00\t10\t3\r\n8:30\t20\t4\r\n9:00\t30\t0\r\n"),
         {3, 4, 0}},
        {"corvane-cli shifts --coverage, its on-phones",
         morning,
         S("start,required,on-phones,on-break,over,short,service-level\n"
           "08:00,4,5,1,1,0,\n08:30,4,4,0,0,0,\n09:00,6,5,1,0,1,\n"),
         {5, 4, 5}},
        {"a saved file, its head skipped",
         morning,
         S("# Corvane Tables\n# x,1\nstart;agents\n8:00;1\n8:30;2\n9:00;3\n"),
         {1, 2, 3}},
        {"a day in descending time",
         S("9:00\t80\n8:30\t60\n8:00\t40\n"),
         S("time,agents\n8:00,5\n8:30,6\n9:00,7\n"),
         {7, 6, 5}},
        {"a day of two dates, each row dated",
         S("5/1 23:30\t40\n5/2 0:00\t60\n5/2 0:30\t80\n"),
         S("time,agents\n5/2 0:30,3\n5/1 23:30,1\n5/2 0:00,2\n"),
         {1, 2, 3}},
        {"full-width digits and a byte-order mark",
         morning,
         S("\uFEFFtime,agents\n8:00,５\n8:30,６\n9:00,１０\n"),
         {5, 6, 10}},
        {"no time column named: the first other, as corvane-cli day",
         morning,
         S("agents,hour\n5,8:00\n6,8:30\n7,9:00\n"),
         {5, 6, 7}},
        {"a spreadsheet's total at the foot, the sum of the rows: left out",
         morning,
         S("時刻\tagents\n8:00\t5\n8:30\t6\n9:00\t7\n合計\t18\n"),
         {5, 6, 7}},
        {"a day numbered, not timed: by its labels",
         S("40\n60\n80\n"),
         S("区間,agents\n3,9\n1,7\n2,8\n"),
         {7, 8, 9}},
    };
    for (const Case& c : cases) {
        const Day day = StaffDay(ReadVolumes(c.day), StaffingInputs{});
        const ScheduleMatch match = MatchSchedule(day, ReadSchedule(c.text, S("貼り付け")));
        EXPECT_TRUE(match.refused.isEmpty()) << c.behaviour << ": " << match.refused;
        EXPECT_EQ(match.agents, c.agents) << c.behaviour;
    }
}

// Every row that does not fit is refused by name, never shifted or dropped.
TEST(CarriedSchedule, RowsThatDoNotFitRefusedByName) {
    struct Case {
        const char* behaviour;
        S text;
        S reason;
    };
    const S head = S("time,agents\n");
    const Case cases[] = {
        {"a time missing", head + S("8:00,5\n8:30,6\n"),
         S("区間 9:00: 貼り付けに人数がありません")},
        {"a time twice", head + S("8:00,5\n8:30,6\n8:30,6\n9:00,7\n"),
         S("行 4（8:30）: 区間 8:30 は行 3 にもあります")},
        {"a time beyond the day", head + S("8:00,5\n8:30,6\n9:00,7\n9:30,7\n"),
         S("行 5（9:30）: 1日にない区間です")},
        {"a time off the grid", head + S("8:00,5\n8:30,6\n8:45,6\n9:00,7\n"),
         S("行 4（8:45）: 区間の刻み（30 分）に合いません")},
        {"a count not whole", head + S("8:00,5\n8:30,6.5\n9:00,7\n"),
         S("行 3（8:30）: 人数 6.5 が整数ではありません")},
        {"a count negative", head + S("8:00,-1\n8:30,6\n9:00,7\n"),
         S("行 2（8:00）: 人数 -1 が負です")},
        {"a count blank", head + S("8:00,5\n8:30,\n9:00,7\n"), S("行 3（8:30）: 人数が空欄です")},
        {"a time blank", head + S(",5\n8:00,5\n8:30,6\n9:00,7\n"), S("行 2: 時刻が空欄です")},
        {"a count past the room's bound", head + S("8:00,2000000\n8:30,6\n9:00,7\n"),
         S("行 2（8:00）: 人数 2000000 が多すぎます")},
        {"a total that is not the rows' sum", head + S("8:00,5\n8:30,6\n9:00,7\nTotal,17\n"),
         S("行 5（Total）: 合計 17 が上の 3 行の和 18 と合いません")},
        {"no heading", S("8:00,5\n8:30,6\n9:00,7\n"), S("配置の見出しの行に")},
        {"two counts: which to judge is not said",
         S("start,agents,on-phones\n8:00,5,5\n8:30,6,6\n9:00,7,7\n"),
         S("配置の見出しに人数の列が 2 つあります（agents、on-phones）")},
    };
    const Day day = StaffDay(ReadVolumes(S("8:00\t40\n8:30\t60\n9:00\t80\n")), StaffingInputs{});
    for (const Case& c : cases) {
        const ScheduleMatch match = MatchSchedule(day, ReadSchedule(c.text, S("貼り付け")));
        EXPECT_TRUE(match.refused.contains(c.reason))
            << c.behaviour << ": " << match.refused.toStdString();
        EXPECT_TRUE(match.agents.empty()) << c.behaviour;
    }
}

// シフト作成's coverage judged where its periods are the day's intervals.
TEST(CarriedSchedule, ShiftsScheduleOnTheDaysIntervals) {
    const Day day = StaffDay(ReadVolumes(S("8:00\t40\n8:30\t60\n9:00\t80\n")), StaffingInputs{});
    shifts::Schedule made;
    made.horizon.interval = 30;
    made.horizon.first = 8 * 60;
    made.horizon.periods = 3;
    for (const int onPhones : {4, 6, 9}) {
        shifts::PeriodCoverage cover{};
        cover.start = static_cast<int>(made.coverage.size()) * 30;
        cover.onPhones = onPhones;
        made.coverage.push_back(cover);
    }
    EXPECT_EQ(MatchSchedule(day, ScheduleOfShifts(made)).agents, (std::vector<double>{4, 6, 9}));
    made.horizon.interval = 15;
    EXPECT_TRUE(MatchSchedule(day, ScheduleOfShifts(made))
                    .refused.startsWith(S("シフト作成の配置は 15 分の区間ですが、1日は 30 分")));
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
    ASSERT_TRUE(QTest::qWaitFor([&] { return table->model()->rowCount() == 7; }));
    const Day day = StaffDay(ReadVolumes(Peak()), StaffingInputs{});
    const CarriedDay carried = CarryDay(day);
    for (int row = 0; row < 7; ++row) {
        const auto at = static_cast<std::size_t>(row);
        EXPECT_EQ(table->model()->index(row, 2).data().toLongLong(), day.rows[at].staffing.agents);
        EXPECT_EQ(table->model()->index(row, 4).data().toLongLong(),
                  carried.plan.intervals[at].agents);
    }
    QChart* chart = tab.findChild<QChartView*>(S("carriedChart"))->chart();
    auto* bars = qobject_cast<QAbstractBarSeries*>(chart->series().value(0));
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
    ASSERT_TRUE(QTest::qWaitFor([&] { return carried->rowCount() == 7; }));
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

namespace {

// A schedule pasted is judged beside the plan, its misses red, its source in
// the saved file; a bad one refused by row; 計画に戻る the plan alone. The
// headline is the carried plan's.
TEST(CarriedDay, TheTabJudgesAPastedSchedule) {
    QTemporaryDir dir;
    const S path = dir.filePath(S("day.csv"));
    StaffingTab tab{Dialogs{[&](QWidget*, const S&, const S&, const S&) { return path; },
                            [](QWidget*, const S&) {}},
                    nullptr};
    tab.views()->setCurrentIndex(2);
    // A day not yet given is no fault; a schedule given to it is refused.
    auto* refused = tab.findChild<QLabel*>(S("carriedRefused"));
    tab.findChild<QPushButton*>(S("dayCompute"))->click();
    EXPECT_FALSE(QTest::qWaitFor([&] { return refused->isVisibleTo(&tab); }, 1000))
        << refused->text().toStdString();
    QApplication::clipboard()->setText(S("time\tagents\n9:00\t3\n"));
    tab.findChild<QPushButton*>(S("pasteSchedule"))->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return refused->isVisibleTo(&tab); }));
    tab.findChild<QPushButton*>(S("carriedPlan"))->click();
    tab.findChild<QPlainTextEdit*>(S("volumes"))->setPlainText(Peak());
    tab.findChild<QPushButton*>(S("dayCompute"))->click();
    auto* table = tab.findChild<QTableView*>(S("carriedTable"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return table->model()->rowCount() == 7; }));
    const Day day = StaffDay(ReadVolumes(Peak()), StaffingInputs{});
    const CarriedDay plan = CarryDay(day);
    auto* summary = tab.findChild<QLabel*>(S("daySummary"));
    EXPECT_TRUE(summary->text().startsWith(S("過渡解析の計画: 7 区間")));
    EXPECT_TRUE(summary->text().contains(
        S("延べ %1 人時").arg(plan.plan.totals.scheduledHours, 0, 'f', 1)));
    EXPECT_TRUE(summary->text().contains(
        S("%1 区間が目標に届きません").arg(plan.usual.totals.missed.size())));

    // The usual plan's agents, pasted in reverse order: judged as that plan.
    S pasted = S("time\tagents\n");
    for (std::size_t i = day.rows.size(); i-- > 0;) {
        pasted += S("%1\t%2\n").arg(day.rows[i].label).arg(day.rows[i].staffing.agents);
    }
    QApplication::clipboard()->setText(pasted);
    tab.findChild<QPushButton*>(S("pasteSchedule"))->click();
    const auto* model = static_cast<const CarriedDayModel*>(table->model());
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->carried().judged.has_value(); }));
    for (int row = 0; row < 7; ++row) {
        const auto at = static_cast<std::size_t>(row);
        EXPECT_EQ(model->index(row, 5).data().toLongLong(), day.rows[at].staffing.agents);
        EXPECT_EQ(model->judgedMisses(row), !plan.usual.intervals[at].meetsTarget) << row;
    }
    tab.findChild<QPushButton*>(S("exportDay"))->click();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    EXPECT_TRUE(saved.contains("# 評価した配置,貼り付け\r\n"));
    // The head's figures are the carried plan's, not the per-interval day's.
    EXPECT_TRUE(saved.contains(
        S("# 延べ人時,%1\r\n").arg(plan.plan.totals.scheduledHours, 0, 'f', 1).toUtf8()));
    EXPECT_TRUE(saved.contains(S("配置の持ち越し SL (%)").toUtf8()));

    QApplication::clipboard()->setText(S("time\tagents\n8:00\t5\n"));
    tab.findChild<QPushButton*>(S("pasteSchedule"))->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return refused->isVisibleTo(&tab); }));
    EXPECT_TRUE(refused->text().contains(S("区間 8:30: 貼り付けに人数がありません")));
    EXPECT_EQ(model->rowCount(), 0);

    // No shifts made yet: said, not judged as an empty schedule.
    tab.findChild<QPushButton*>(S("shiftsSchedule"))->click();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return refused->text().startsWith(S("シフト作成でまだ配置を作っていません")); }));

    tab.findChild<QPushButton*>(S("carriedPlan"))->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount() == 7; }));
    EXPECT_FALSE(model->carried().judged.has_value());
}

} // namespace

namespace {

// シフト作成's schedule and a file's are judged by time: a day pasted latest
// first is solved in time order, its coverage put back on the day's rows.
TEST(CarriedDay, TheTabJudgesShiftsAndFilesByTime) {
    QTemporaryDir dir;
    const S path = dir.filePath(S("coverage.csv"));
    QStringList warnings;
    Dialogs dialogs{[](QWidget*, const S&, const S&, const S&) { return S(); },
                    [&](QWidget*, const S& text) { warnings << text; }};
    dialogs.openPath = [&](QWidget*, const S&) { return path; };
    StaffingTab tab{dialogs, nullptr};
    S latestFirst;
    for (int hour = 16; hour >= 9; --hour) {
        latestFirst += S("%1:30\t%2\n%1:00\t%3\n").arg(hour).arg(30 + 9 * (hour % 5)).arg(50);
    }
    tab.findChild<QPlainTextEdit*>(S("volumes"))->setPlainText(latestFirst);
    tab.findChild<QPushButton*>(S("dayCompute"))->click();
    auto* table = tab.findChild<QTableView*>(S("carriedTable"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return table->model()->rowCount() == 16; }));
    ASSERT_EQ(tab.shifts()->templates().readJson(
                  S(R"([{"name": "half", "start": {"earliest": "09:00", "latest": "13:00"},
                         "length": "4:00"}])")),
              std::nullopt);
    tab.findChild<QPushButton*>(S("solveShifts"))->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !tab.shifts()->solving(); }, 60000));
    const auto& made = tab.shifts()->schedule();
    ASSERT_TRUE(made.has_value()) << tab.shifts()->note().toStdString();
    tab.findChild<QPushButton*>(S("shiftsSchedule"))->click();
    const auto* model = static_cast<const CarriedDayModel*>(table->model());
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->carried().judged.has_value(); }));
    const auto onPhones = [&](const S& label) {
        for (const shifts::PeriodCoverage& cover : made->coverage) {
            if (LabelMinutes(QString::fromStdString(made->horizon.Label(cover.start))) ==
                LabelMinutes(label)) {
                return cover.onPhones;
            }
        }
        return -1;
    };
    // シフト作成 keeps its shifts: judging them does not staff the day anew.
    ASSERT_TRUE(made.has_value());
    for (int row = 0; row < 16; ++row) {
        const S label = model->index(row, 0).data().toString();
        EXPECT_EQ(model->index(row, 5).data().toInt(), onPhones(label)) << label.toStdString();
    }

    // A coverage file with the 9:00 row left out: refused by that interval.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("start,required,on-phones\n");
    for (int row = 0; row < 16; ++row) {
        const S label = model->index(row, 0).data().toString();
        if (label != S("9:00")) {
            file.write(S("%1,1,%2\n").arg(label).arg(onPhones(label)).toUtf8());
        }
    }
    file.close();
    tab.findChild<QPushButton*>(S("importSchedule"))->click();
    auto* refused = tab.findChild<QLabel*>(S("carriedRefused"));
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return refused->text().contains(S("区間 9:00: coverage.csvに人数がありません"));
    })) << refused->text().toStdString();
    EXPECT_EQ(warnings, QStringList());
}

} // namespace
