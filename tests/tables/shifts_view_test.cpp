// シフト作成 over the day plan: the problem the day gives the room, the solve
// on its own thread with its answer drawn, and the templates as the settings
// give them back.
#include "support/print_qt.h"
#include "tables/models/shift_plan.h"
#include "tables/models/shift_templates.h"
#include "tables/models/volumes.h"
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
    S savePath;
    S openPath;
    QTemporaryDir dir;
    StaffingTab tab{Dialogs{[this](QWidget*, const S&, const S&, const S&) { return savePath; },
                            [this](QWidget*, const S& text) { warnings << text; },
                            [this](QWidget*, const S&) { return openPath; }},
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
    void setTemplates(const S& json) {
        ASSERT_EQ(tab.shifts()->templates().readJson(json), std::nullopt);
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
    setTemplates(kTemplates);
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

    // Copied, the inputs it was solved with first (not the table's since),
    // then a line a group and a line a period.
    tab.shifts()->templates().removeTemplate(0);
    get<QPushButton>("copyShifts")->click();
    const QStringList lines = QApplication::clipboard()->text().split(S("\r\n"));
    ASSERT_EQ(lines.size(), 5 + 1 + static_cast<int>(schedule->groups.size()) + 2 + 16 + 1);
    EXPECT_EQ(lines[0], S("# 目的,必要人数を満たす"));
    EXPECT_TRUE(lines[2].startsWith(S("# シフトのひな型,\"{\"\"shifts\"\":[{")) &&
                lines[2].contains(S("\"\"name\"\":\"\"early\"\"")))
        << lines[2].toStdString();
    const S early = lines[6];
    EXPECT_TRUE(early.startsWith(S("early,")) && early.count(u',') == 6) << early.toStdString();
    EXPECT_EQ(lines[lines.size() - 2].section(u',', 0, 0), S("16:30"));

    // The day computed again as it was keeps its shifts; a day whose
    // requirement moved drops them.
    get<QComboBox>("dayMethod")->setCurrentIndex(1);
    computeDay(Volumes());
    EXPECT_TRUE(tab.shifts()->schedule().has_value());
    computeDay(Volumes().replace(S("9:00,40"), S("9:00,90")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !tab.shifts()->schedule().has_value(); }));
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
            ShiftProblem(given, {ShiftObjective::Cover, c.templates, 5});
            ADD_FAILURE() << c.behaviour;
        } catch (const shifts::InputError& error) {
            EXPECT_TRUE(std::string(error.what()).find(c.says) != std::string::npos)
                << c.behaviour << ": " << error.what();
        }
    }
    // Under the service objective, what the room's one centre cannot judge.
    Day own = day;
    own.rows[1].inputs.ahtSeconds = 300;
    Day varied = day;
    varied.inputs.callsVariance = varied.rows[0].inputs.callsVariance = 80;
    for (const auto& [given, says] : {std::pair{own, "区間 09:30 に独自の"}, {varied, "分散"}}) {
        try {
            ShiftProblem(given, {ShiftObjective::Service, kTemplates, 5});
            ADD_FAILURE() << says;
        } catch (const shifts::InputError& error) {
            EXPECT_TRUE(std::string(error.what()).find(says) != std::string::npos) << error.what();
        }
    }
    // A day staffed from a paste, its rows the fields' own: one centre.
    StaffingInputs centre;
    centre.patienceSeconds = 120;
    centre.redial = 0.2;
    EXPECT_NO_THROW(ShiftProblem(StaffDay(ReadVolumes(Volumes()), centre),
                                 {ShiftObjective::Service, kTemplates, 5}));
    const shifts::Problem problem = ShiftProblem(day, {ShiftObjective::Service, kTemplates, 5});
    EXPECT_EQ(problem.requirements.values, (std::vector<double>{50, 50}));
    EXPECT_EQ(problem.settings.centre.aht, 180);
}

// The templates come back from the settings as they were left, bad rows
// red and refused; what does not read as templates at all, even the JSON an
// older version kept, gives the default ones with a note, never a failure.
TEST_F(ShiftsPage, TemplatesFromTheSettingsAreCheckedAgain) {
    const S defaultJson = ShiftTemplateTable().json();
    const S badRow = S(R"([["x","06:00","8:00","60分 1:00–1:30","","",""]])");
    const struct {
        const char* behaviour;
        const char* key;
        S value;
        int rows;
        bool solvable;
        S note;
    } cases[] = {
        {"rows as typed", "shifts/templateRows", ShiftTemplateTable().cellsText(), 1, true, S()},
        {"a bad row kept, marked and not solved", "shifts/templateRows", badRow, 1, false, S()},
        {"rows that are no table", "shifts/templateRows", S("[[1,2]]"), 1, true,
         S("既定のひな型にしました")},
        {"an older version's JSON", "shifts/templates", kTemplates, 2, true, S()},
        {"an older version's JSON refused", "shifts/templates", S(R"([{"name": "x"}])"), 1, true,
         S("読めないため、既定のひな型にしました: x: 開始がありません")},
    };
    for (const auto& c : cases) {
        QSettings settings(dir.filePath(S("%1.ini").arg(c.behaviour)), QSettings::IniFormat);
        settings.setValue(S(c.key), c.value);
        settings.setValue(S("shifts/objective"), 7);
        ShiftsView view(Dialogs{}, nullptr);
        view.restore(settings);
        EXPECT_EQ(view.templates().rowCount(), c.rows) << c.behaviour;
        EXPECT_EQ(view.findChild<QPushButton*>(S("solveShifts"))->isEnabled(), c.solvable)
            << c.behaviour;
        EXPECT_EQ(view.findChild<QLabel*>(S("shiftTemplatesError"))->isHidden(), c.solvable)
            << c.behaviour;
        EXPECT_TRUE(c.note.isEmpty() ? view.note().isEmpty() : view.note().contains(c.note))
            << c.behaviour << ": " << view.note();
        EXPECT_EQ(view.findChild<QComboBox*>(S("shiftObjective"))->currentIndex(), 0);
    }

    // Left as they are, time limit and cycle with them.
    QSettings settings(dir.filePath(S("kept.ini")), QSettings::IniFormat);
    setTemplates(kTemplates);
    get<QComboBox>("shiftObjective")->setCurrentIndex(1);
    get<QLineEdit>("shiftTimeLimit")->setText(S("12.5"));
    get<QCheckBox>("shiftCyclic")->setChecked(true);
    tab.shifts()->remember(settings);
    ShiftsView other(Dialogs{}, nullptr);
    other.restore(settings);
    EXPECT_EQ(other.templates().json(), tab.shifts()->templates().json());
    EXPECT_EQ(other.findChild<QComboBox*>(S("shiftObjective"))->currentIndex(), 1);
    EXPECT_EQ(other.findChild<QLineEdit*>(S("shiftTimeLimit"))->text(), S("12.5"));
    EXPECT_TRUE(other.findChild<QCheckBox*>(S("shiftCyclic"))->isChecked());
}

// 書き出し… writes the file corvane-cli reads and 読み込み… reads it back,
// with a byte-order mark or without; a file in another encoding or not of
// templates is refused with a warning and leaves the table as it was.
TEST_F(ShiftsPage, TemplatesFileOutAndIn) {
    setTemplates(S(kTemplates).replace(S("\"early\""), S("\"早番\"")));
    const S written = tab.shifts()->templates().json();
    savePath = dir.filePath(S("t.json"));
    get<QPushButton>("exportShiftTemplates")->click();
    QFile exported(savePath);
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    const QByteArray json = exported.readAll();
    const struct {
        const char* behaviour;
        QByteArray bytes;
        bool read;
    } cases[] = {
        {"the file written", json, true},
        {"with a byte-order mark", "\xEF\xBB\xBF" + json, true},
        {"in Shift_JIS", QByteArray(json).replace("\xE6\x97\xA9\xE7\x95\xAA", "\x91\x81\x94\xD4"),
         false},
        {"not templates", "{\"shifts\": 3}", false},
    };
    for (const auto& c : cases) {
        tab.shifts()->templates().readJson(ShiftTemplateTable().json());
        openPath = dir.filePath(S("in.json"));
        QFile in(openPath);
        ASSERT_TRUE(in.open(QIODevice::WriteOnly | QIODevice::Truncate));
        in.write(c.bytes);
        in.close();
        get<QPushButton>("importShiftTemplates")->click();
        EXPECT_EQ(tab.shifts()->templates().json(), c.read ? written : ShiftTemplateTable().json())
            << c.behaviour;
        EXPECT_EQ(warnings.size(), c.read ? 0 : 1) << c.behaviour;
        warnings.clear();
    }
}

// The time limit is checked by the room's rule before a solve, and the cycle
// reaches the room: a day of sixteen half-hours cannot repeat.
TEST_F(ShiftsPage, TimeLimitAndCycleReachTheRoom) {
    computeDay(Volumes());
    setTemplates(kTemplates);
    get<QLineEdit>("shiftTimeLimit")->setText(S("0"));
    get<QPushButton>("solveShifts")->click();
    EXPECT_FALSE(tab.shifts()->solving());
    EXPECT_FALSE(get<QLabel>("shiftTimeLimitError")->isHidden());
    get<QLineEdit>("shiftTimeLimit")->setText(S("30"));
    get<QCheckBox>("shiftCyclic")->setChecked(true);
    ASSERT_TRUE(solved());
    EXPECT_FALSE(tab.shifts()->schedule().has_value());
    EXPECT_TRUE(tab.shifts()->note().startsWith(S("日をまたいで繰り返すには、1 日全体の 48 区間")))
        << tab.shifts()->note();
}

// 保存 writes the shifts and the coverage the screen shows, each after the
// day's inputs and the solve's, as files pandas reads with their figures as
// numbers, a name with "#" in it whole; a write that fails says so
// and is not reported saved.
TEST_F(ShiftsPage, SavedFilesAreTheScheduleShownAndReadAsNumbers) {
    if (QProcess::execute(S("/usr/bin/python3"), {S("-c"), S("import pandas")}) != 0) {
        GTEST_SKIP() << "no pandas";
    }
    computeDay(Volumes());
    setTemplates(S(kTemplates).replace(S("\"early\""), S("\"early #1\"")));
    ASSERT_TRUE(solved());
    const shifts::Schedule& schedule = *tab.shifts()->schedule();
    tab.views()->setCurrentIndex(3);
    savePath = dir.filePath(S("shifts.csv"));
    tab.save();
    QFile shiftsFile(savePath);
    QFile coverageFile(dir.filePath(S("shifts-coverage.csv")));
    ASSERT_TRUE(shiftsFile.open(QIODevice::ReadOnly) && coverageFile.open(QIODevice::ReadOnly));
    const S shiftsText = S::fromUtf8(shiftsFile.readAll());
    EXPECT_TRUE(shiftsText.endsWith(ShiftsTableCsv(schedule)));
    EXPECT_TRUE(S::fromUtf8(coverageFile.readAll())
                    .endsWith(CoverageTableCsv(schedule, ShiftObjective::Cover)));
    for (const char* stated : {"\r\n# 応答目標時間 (秒),20", "\r\n# 目的,必要人数を満たす\r\n",
                               "\r\n# 時間制限 (秒),60\r\n", "\r\n# 結果,最適解\r\n"}) {
        EXPECT_TRUE(shiftsText.contains(S(stated))) << stated;
    }
    QProcess python;
    python.start(S("/usr/bin/python3"),
                 {S("-c"),
                  S("import sys, pandas\n"
                    "shifts = pandas.read_csv(sys.argv[1], comment='#')\n"
                    "coverage = pandas.read_csv(sys.argv[2], comment='#')\n"
                    "for frame, columns in ((shifts, shifts.columns[4:]),\n"
                    "                       (coverage, coverage.columns[1:])):\n"
                    "    for column in columns:\n"
                    "        if not pandas.api.types.is_numeric_dtype(frame[column]):\n"
                    "            print(column, list(frame[column]))\n"
                    "print(sorted(set(shifts['shift'])), len(coverage))\n"),
                  savePath, coverageFile.fileName()});
    ASSERT_TRUE(python.waitForFinished(60000));
    EXPECT_EQ(python.readAllStandardOutput() + python.readAllStandardError(),
              QByteArray("['early #1', 'late'] 16\n"));

    savePath = dir.filePath(S("missing/shifts.csv"));
    tab.save();
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings.front().contains(S("保存できませんでした"))) << warnings.front();
    EXPECT_FALSE(tab.shifts()->note().contains(S("保存しました")));
    warnings.clear();
}

// 中止 ends the solve and the buttons come back; a day changed under a
// solve drops its answer.
TEST_F(ShiftsPage, CancelEndsTheSolve) {
    computeDay(Volumes());
    setTemplates(kTemplates);
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
