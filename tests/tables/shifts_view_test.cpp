// シフト作成 over the day plan: the problem the day gives the room, the solve
// on its own thread with its answer drawn, and the templates as the settings
// give them back.
#include "support/print_qt.h"
#include "tables/models/shift_plan.h"
#include "tables/tabs/shifts_view.h"
#include "tables/tabs/staffing_tab.h"

#include <QtTest>
#include <QtWidgets>
#include <gtest/gtest.h>

namespace {

using S = QString;
using namespace tables;

// Half-hours from 9:00 to 16:30 with calls rising to midday.
S Volumes() {
    S text;
    for (int i = 0; i < 16; ++i) {
        text += S("%1:%2,%3\n")
                    .arg(9 + i / 2)
                    .arg(i % 2 * 30, 2, 10, QChar(u'0'))
                    .arg(40 + 10 * std::min(i, 15 - i));
    }
    return text;
}

const S kTemplates = S(R"([{"name": "early", "start": {"earliest": "09:00", "latest": "10:00"},
  "length": "4:00", "breaks": [{"length": 30, "after": "1:00", "before": "3:00"}]},
 {"name": "late", "start": {"earliest": "12:00", "latest": "13:00"}, "length": "4:00"}])");

class ShiftsPage : public testing::Test {
protected:
    QStringList warnings;
    StaffingTab tab{Dialogs{[](QWidget*, const S&, const S&, const S&) { return S(); },
                            [this](QWidget*, const S& text) { warnings << text; }},
                    nullptr};

    void TearDown() override { EXPECT_EQ(warnings, QStringList()); }
    template <typename T = QWidget> T* get(const char* name) {
        auto* found = tab.findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void computeDay(const S& volumes) {
        get<QPlainTextEdit>("volumes")->setPlainText(volumes);
        get<QPushButton>("dayCompute")->click();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return tab.findChild<QTableView*>(S("day"))->model()->rowCount() > 0; }));
    }
    bool solved() {
        get<QPushButton>("solveShifts")->click();
        return QTest::qWaitFor([&] { return !tab.shifts()->solving(); }, 60000);
    }
};

// Each interval's requirement is the day's own agents on the phones; the
// shifts cover them, every break inside its shift, and what the chart marks
// short is what the coverage says.
TEST_F(ShiftsPage, CoverTheDaysAgentsWithBreaksInsideTheShifts) {
    computeDay(Volumes());
    get<QPlainTextEdit>("shiftTemplates")->setPlainText(kTemplates);
    ASSERT_TRUE(solved());
    const auto& schedule = tab.shifts()->schedule();
    ASSERT_TRUE(schedule.has_value()) << tab.shifts()->note().toStdString();
    const QAbstractItemModel* day = get<QTableView>("day")->model();
    ASSERT_EQ(schedule->coverage.size(), 16U);
    const int agentsColumn = [&] {
        for (int column = 0; column < day->columnCount(); ++column) {
            if (day->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString() ==
                S("応対人数")) {
                return column;
            }
        }
        return -1;
    }();
    ASSERT_GE(agentsColumn, 0);
    for (std::size_t period = 0; period < schedule->coverage.size(); ++period) {
        const shifts::PeriodCoverage& cover = schedule->coverage[period];
        EXPECT_EQ(cover.required,
                  day->index(static_cast<int>(period), agentsColumn).data().toDouble())
            << period;
        EXPECT_EQ(cover.shortBy, std::max(0, static_cast<int>(cover.required) - cover.onPhones));
    }
    for (const shifts::Group& group : schedule->groups) {
        for (const shifts::BreakTime& pause : group.breaks) {
            EXPECT_GE(pause.start, group.start + 60) << group.shift;
            EXPECT_LE(pause.start + pause.length, group.start + 180) << group.shift;
        }
    }
    EXPECT_FALSE(get<QLabel>("shiftSummary")->text().isEmpty());

    // Copied, the inputs first, then a line a group and a line a period.
    get<QPlainTextEdit>("shiftTemplates")->setPlainText(S("[]"));
    get<QPushButton>("copyShifts")->click();
    const QStringList lines = QApplication::clipboard()->text().split(S("\r\n"));
    ASSERT_EQ(lines.size(), 2 + 1 + static_cast<int>(schedule->groups.size()) + 2 + 16 + 1);
    EXPECT_EQ(lines[0], S("# 目的,必要人数を満たす"));
    EXPECT_TRUE(lines[1].startsWith(S("# シフトのひな型,\"[{\"\"name\"\": \"\"early\"\"")))
        << lines[1].toStdString();
    const S early = lines[3];
    EXPECT_TRUE(early.startsWith(S("early,")) && early.count(u',') == 6) << early.toStdString();
    EXPECT_EQ(lines[lines.size() - 2].section(u',', 0, 0), S("16:30"));
}

// What the room refuses, the view says with the room's words and does not
// solve: templates that do not read, a day with an interval unanswered.
TEST(ShiftPlan, RefusedBeforeTheSolve) {
    Day day;
    day.inputs.intervalMinutes = 30;
    DayRow row;
    row.label = S("09:00");
    row.calls = 50;
    row.staffing.agents = 8;
    day.rows = {row, row};
    day.rows[1].label = S("09:30");
    const struct {
        const char* behaviour;
        S templates;
        int failedRow;
        const char* says;
    } cases[] = {
        {"a template without a length",
         S(R"([{"name": "a", "start": {"earliest": "09:00", "latest": "09:00"}}])"), -1, "length"},
        {"text that is not JSON", S("[{"), -1, "シフトのひな型"},
        {"an interval without an answer", kTemplates, 1, "09:30"},
        {"no interval", kTemplates, -2, "区間がありません"},
    };
    for (const auto& c : cases) {
        Day given = day;
        if (c.failedRow >= 0) {
            given.rows[static_cast<std::size_t>(c.failedRow)].error = S("答えなし");
        } else if (c.failedRow == -2) {
            given.rows.clear();
        }
        try {
            ShiftProblem(given, c.templates, ShiftObjective::Cover, 5);
            ADD_FAILURE() << c.behaviour;
        } catch (const shifts::InputError& error) {
            EXPECT_TRUE(std::string(error.what()).find(c.says) != std::string::npos)
                << c.behaviour << ": " << error.what();
        }
    }
    const shifts::Problem problem = ShiftProblem(day, kTemplates, ShiftObjective::Service, 5);
    EXPECT_EQ(problem.requirements.values, (std::vector<double>{50, 50}));
    EXPECT_EQ(problem.settings.centre.aht, 180);
}

// Templates come back from the settings as they were left; ones that no
// longer read are shown with the reason and refused at the solve, never
// solved nor dropped for the default.
TEST_F(ShiftsPage, TemplatesFromTheSettingsAreCheckedAgain) {
    QTemporaryDir dir;
    QSettings settings(dir.filePath(S("s.ini")), QSettings::IniFormat);
    const S bad = S(R"([{"name": "x", "length": "4:00"}])");
    settings.setValue(S("shifts/templates"), bad);
    settings.setValue(S("shifts/objective"), 7);
    tab.shifts()->restore(settings);
    EXPECT_EQ(get<QPlainTextEdit>("shiftTemplates")->toPlainText(), bad);
    EXPECT_EQ(get<QComboBox>("shiftObjective")->currentIndex(), 0);
    EXPECT_FALSE(get<QLabel>("shiftTemplatesError")->isHidden());
    computeDay(Volumes());
    ASSERT_TRUE(solved());
    EXPECT_FALSE(tab.shifts()->schedule().has_value());
    EXPECT_TRUE(tab.shifts()->note().contains(S("x"))) << tab.shifts()->note().toStdString();

    get<QPlainTextEdit>("shiftTemplates")->setPlainText(kTemplates);
    get<QComboBox>("shiftObjective")->setCurrentIndex(1);
    tab.shifts()->remember(settings);
    ShiftsView other(nullptr);
    other.restore(settings);
    EXPECT_EQ(other.findChild<QPlainTextEdit*>(S("shiftTemplates"))->toPlainText(), kTemplates);
    EXPECT_EQ(other.findChild<QComboBox*>(S("shiftObjective"))->currentIndex(), 1);
}

// 中止 ends the solve and the buttons come back; a day changed under a
// solve drops its answer.
TEST_F(ShiftsPage, CancelEndsTheSolve) {
    computeDay(Volumes());
    get<QPlainTextEdit>("shiftTemplates")->setPlainText(kTemplates);
    get<QPushButton>("solveShifts")->click();
    get<QPushButton>("cancelShifts")->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !tab.shifts()->solving(); }, 60000));
    EXPECT_TRUE(get<QPushButton>("solveShifts")->isEnabled());
    EXPECT_FALSE(get<QPushButton>("cancelShifts")->isEnabled());

    // The day recomputed under a solve: its shifts would be another day's.
    get<QPushButton>("solveShifts")->click();
    computeDay(Volumes().replace(S(",40\n"), S(",90\n")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !tab.shifts()->solving(); }, 60000));
    EXPECT_FALSE(tab.shifts()->schedule().has_value());
    EXPECT_TRUE(tab.shifts()->note().startsWith(S("1日が変わった")));
}

} // namespace
