#include "support/print_qt.h"
#include "tables/models/csv_export.h"
#include "tables/models/curves.h"
#include "tables/models/day_staffing.h"
#include "tables/models/engine_error.h"
#include "tables/models/files.h"
#include "tables/models/number_format.h"
#include "tables/models/overflow.h"
#include "tables/models/staffing.h"
#include "tables/models/three_way.h"
#include "tables/tables_window.h"
#include "tables/tabs/overflow_tab.h"
#include "teletraffic/erlang_b.h"
#include "teletraffic/erlang_x.h"
#include "teletraffic/overflow.h"
#include "teletraffic/staffing_factors.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QtCharts>
#include <QtTest>
#include <QtWidgets>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>

namespace {

using S = QString;
using namespace tables;

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

// Row values are decimals on the grid, never first + row * step rounded;
// counts are exact however many; cells keep their significant digits.
TEST(TableModel, RowsCellsAndHeadings) {
    const struct {
        TableSetup setup;
        S count, lastHeading, lastCell;
    } cases[] = {
        {{true, 10, 10, 1, {0.01}}, S("1"), S("10"), S("18")},
        {{true, 0.1, 0.3, 0.1, {0.5}}, S("3"), S("0.3"), S("1")}, // 3 * 0.1 is above 0.3
        {{false, 1, 1e6, 1, {0.01}}, S("1000000"), S("1000000"), {}},
        {{false, 999999999, 999999999.0005, 0.0001, {0.01}}, S("6"), S("999999999.0005"), {}},
        {{false, 1, 1, 1, {1e-6}}, S("1"), S("1"), S("1.00000e-06")},
        {{false, 1, 1, 1, {1e-300}}, S("1"), S("1"), S("1.00000e-300")},
        {{false, 0.0001, 0.0001, 1, {0.0001}}, S("1"), S("0.0001"), S("0")},
        {{false, 1, 1, 1, {0.01}, 0, 3}, S("1"), S("1"), S("0.0101")},
        {{false, 3e6, 3e6, 1, {0.01}, 0, 3}, S("1"), S("3000000"), S("3030203")},
        {{true, 0, 1e9, 0.001, {0.01}}, S("1000000000001"), {}, {}},
        {{true, 0, 1e9, 1e-10, {0.01}}, S("10000000000000000001"), {}, {}},
        {{true, 1e-300, 1e9, 1e-300, {0.01}}, S("数えきれない数"), {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count.toStdString());
        EXPECT_EQ(c.setup.rowCountText(), c.count);
        EXPECT_EQ(c.setup.tooManyRows(), c.lastHeading.isEmpty());
        if (c.lastHeading.isEmpty()) {
            continue;
        }
        ErlangTableModel model;
        model.setSetup(c.setup);
        ASSERT_EQ(S::number(model.rowCount()), c.count);
        const int last = model.rowCount() - 1;
        EXPECT_EQ(model.headerData(last, Qt::Vertical, Qt::DisplayRole).toString(), c.lastHeading);
        if (!c.lastCell.isEmpty()) {
            EXPECT_EQ(model.index(last, 0).data().toString(), c.lastCell);
        }
    }
}

TEST(TableModel, CopyTextHasHeadingsAndLeavesUnselectedCellsEmpty) {
    ErlangTableModel model;
    model.setSetup({false, 9, 12, 1, {0.01, 0.02, 0.05}});
    QItemSelection selection(model.index(0, 0), model.index(1, 0));
    selection.select(model.index(3, 2), model.index(3, 2));
    EXPECT_EQ(SelectionSize(selection), 6);
    EXPECT_EQ(SelectionText(model, selection), S("回線数 / 呼損率\t0.01\t0.05\n"
                                                 "9\t3.78254\t\n"
                                                 "10\t4.46118\t\n"
                                                 "12\t\t7.95006\n"));
}

TEST(CsvExport, WholeFileWithByteOrderMarkAndCrlf) {
    QTemporaryDir dir;
    const S path = dir.filePath(S("t.csv"));
    ASSERT_EQ(ExportCsv({true, 10, 20, 10, {0.01, 0.1}, 0.5}, path).end, ExportEnd::Saved);
    EXPECT_EQ(Contents(path), QByteArray("\xEF\xBB\xBF"
                                         "呼量(アーラン) / 呼損率,0.01,0.1\r\n"
                                         "10,18,14\r\n"
                                         "20,30,24\r\n"));
}

// Cancelled at a known row, or failing as a full disk does, the export leaves
// what was at the path and no temporary file; the failure says the system's
// reason.
TEST(CsvExport, CancelledOrFailedLeavesTheOldFile) {
    QTemporaryDir dir;
    const S path = dir.filePath(S("t.csv"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    std::atomic<qint64> done = 0;
    const Monitor cancelAt{[&] { return done >= 8192; }, [&](qint64 rows) { done = rows; }};
    EXPECT_EQ(ExportCsv({false, 1, 1e6, 1, {0.01}}, path, cancelAt).end, ExportEnd::Cancelled);
    EXPECT_EQ(done, 8192);

    // A file size limit fails a write as a full disk does, with a reason.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{4096, limit.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
    const ExportOutcome full = ExportCsv({false, 1, 10000, 1, {0.01}}, path);
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_EQ(full.end, ExportEnd::Failed);
    EXPECT_EQ(full.error, QString::fromLocal8Bit(std::strerror(EFBIG)));

    EXPECT_EQ(Contents(path), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList(S("t.csv")));
}

// One way of writing each kind of number; a figure beside its target shows
// the digits that tell the two apart (79.96 % is not the 80 % it rounds to).
TEST(NumberFormat, EachFormAndTheDigitsThatTellTheTargetApart) {
    const struct {
        S got, want;
    } cases[] = {
        {Exact(1e9), S("1000000000")},
        {Exact(0.0001), S("0.0001")},
        {Exact(1e-300), S("1e-300")},
        {Significant(1e11), S("1e+11")},
        {Aligned(5.084, 6), S("5.08400")},
        {Percent(0.7996), S("80.0")},
        {Decimals(79.96, DecimalsApart(79.96, 80, 1)), S("79.96")},
        {Decimals(80, DecimalsApart(80, 80, 1)), S("80.0")},
        {Exact(ToPercent(1e-9)), S("1e-07")},
        {Exact(ToPercent(FromPercent(14.3))), S("14.3")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.got, c.want);
    }
}

// The engine's refusals in the window's words: a percentage as typed, in %,
// with the reason a value in its range is refused; a count in full.
TEST(EngineError, ValuesAsTypedAndTheRealReason) {
    const auto text = [](auto engine) {
        try {
            engine();
        } catch (const std::exception& error) {
            return EngineErrorText(error);
        }
        return S();
    };
    const struct {
        S got, want;
    } cases[] = {
        {text([] { teletraffic::ScheduleAgents(10, 14, 0, FromPercent(1e-7)); }),
         S("計算できません: 最大稼働率 1e-07 % では必要なエージェント数が 2000000000 "
           "人を超えます")},
        {text([] { teletraffic::ScheduleAgents(10, 14, FromPercent(99.99999999999999), 1); }),
         S("計算できません: シュリンケージ 99.99999999999999 % "
           "ではスケジュールするエージェント数が "
           "2000000000 人を超えます")},
        {text([] { teletraffic::ErlangBTraffic(1999999999, 0.01); }),
         S("計算できません: この組み合わせでは回線数 1999999999 は扱えません")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.got, c.want);
    }
}

// A refusal shows the range of the rule that refused it, not one range per
// argument, and each argument in its own words: the forecast's variance is
// not the overflow's.
TEST(EngineError, EachRefusalByTheRuleThatRefused) {
    const auto text = [](auto engine) {
        try {
            engine();
        } catch (const std::exception& error) {
            return EngineErrorText(error);
        }
        return S();
    };
    teletraffic::ErlangXModel centre;
    centre.aht = 180;
    teletraffic::ErlangXModel forecast = centre;
    forecast.lines = 20;
    forecast.calls = 100;
    forecast.variance = 50;
    const struct {
        S got, want;
    } cases[] = {
        {text([&] { teletraffic::ErlangXLines(10, 12, centre, 0); }),
         S("計算できません: 呼損率が 0 になり、扱える範囲（0 より大きく 1 未満）を外れます")},
        {text([] { teletraffic::ErlangBLines(10, 0); }),
         S("計算できません: 呼損率が 0 になり、扱える範囲（1e-300 以上 1 未満）を外れます")},
        {text([&] { teletraffic::ErlangX(10, 12, forecast); }),
         S("計算できません: この組み合わせでは呼数の分散 50 は扱えません")},
        {text([] { teletraffic::OverflowEquivalentRandom(2, 1); }),
         S("計算できません: この組み合わせでは溢れ呼の分散 1 は扱えません")},
        {text([] { teletraffic::ScheduleAgents(10, 12, 0, 0); }),
         S("計算できません: 最大稼働率が 0 % になり、扱える範囲（0 % より大きく 100 % "
           "以下）を外れます")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.got, c.want);
    }
}

TEST(Inputs, ReadingsSayWhatIsWrongAndWhatIsAllowed) {
    const Range lines{1, 1e9, true};
    const Range open{0, 1, false, true, true};
    EXPECT_EQ(Read(S("１８"), lines).value, 18);
    EXPECT_EQ(Read(S("+1e1"), lines).value, 10);
    EXPECT_TRUE(Read(S("1,5"), open).error.startsWith(S("小数点には「.」を")));
    EXPECT_EQ(Read(S("2.5"), lines).error, S("範囲外です（1 以上 1000000000 以下の整数）"));
    EXPECT_EQ(ReadList(S("0.01、0.02，0.05 0.1"), open, 4).values,
              (std::vector<double>{0.01, 0.02, 0.05, 0.1}));
    EXPECT_EQ(ReadList(S("0.01, 0"), open, 4).error, S("「0」: 範囲外です（0 より大きく 1 未満）"));
    // A percentage's field takes its sign, half-width or full-width; no other does.
    const Range percent{0, 100, false, false, true, true};
    EXPECT_EQ(Read(S("30%"), percent).value, 30);
    EXPECT_EQ(Read(S(" ３０ ％"), percent).value, 30);
    EXPECT_FALSE(Read(S("30%"), lines).value);
}

// 10 erlangs at 80 % in 20 s with 180 s calls: by hand, 13 agents answer
// 79.56 % in time and 14 agents 88.84 %; 10 agents never catch up.
TEST(Staffing, WorkedCaseAndTheQueueThatGrowsWithoutEnd) {
    StaffingModel model;
    model.setStaffing(Staff(StaffingInputs{}));
    EXPECT_EQ(model.staffing().agents, 14);
    // Where the queue grows without end, the reason in a column of its own.
    const QStringList rows[] = {
        {S("10"), {}, {}, {}, {}, UnboundedQueueText()},
        {S("13"), S("79.6"), S("17.1"), S("28.5"), S("76.9"), {}},
    };
    ASSERT_EQ(model.columnCount(), 6);
    for (const QStringList& row : rows) {
        const int r = row[0].toInt() - 10;
        for (int column = 0; column < row.size(); ++column) {
            EXPECT_EQ(model.index(r, column).data().toString(), row[column]) << r << column;
        }
    }
}

// Shrinkage 30 % turns 14 agents into 20, and 25 % into 19; 7 erlangs (70
// calls) at a cap of 70 % need 10 agents where 60 % in 20 s needs 9; by Erlang
// C 13 agents wait 17.1 s on average and 12 agents 40.4 s. Callers who hang up
// after 300 s leave 13 agents 75.0 % occupied, 14 agents 70.4 % and 15 66.2 %.
TEST(Staffing, FactorsAndTheTargetOnTheAverageWait) {
    using enum teletraffic::Decided;
    constexpr bool ServiceLevel = false;
    constexpr bool AverageWait = true;
    const struct {
        double calls, serviceLevel;
        std::optional<double> patience;
        bool byWait;
        double shrinkage, cap;
        qint64 agents, scheduled;
        teletraffic::Decided decidedBy;
    } cases[] = {
        {100, 0.8, {}, ServiceLevel, 0.3, 1, 14, 20, ServiceTarget},
        {100, 0.8, {}, ServiceLevel, 0.25, 0.85, 14, 19, ServiceTarget},
        {70, 0.6, {}, ServiceLevel, 0, 0.7, 10, 10, Occupancy},
        {100, 0.8, {}, AverageWait, 0, 1, 13, 13, ServiceTarget},
        {100, 0.8, 300, ServiceLevel, 0.25, 0.85, 13, 18, ServiceTarget},
        {100, 0.8, 300, ServiceLevel, 0, 0.7, 15, 15, Occupancy},
        {0, 0.8, {}, ServiceLevel, 0.3, 1, 0, 0, ServiceTarget},
    };
    for (const auto& c : cases) {
        StaffingInputs in;
        in.calls = c.calls;
        in.serviceLevel = c.byWait ? std::nullopt : std::optional(c.serviceLevel);
        in.averageWaitSeconds = c.byWait ? std::optional(20.0) : std::nullopt;
        in.patienceSeconds = c.patience;
        in.shrinkage = c.shrinkage;
        in.maxOccupancy = c.cap;
        const Staffing s = Staff(in);
        const std::string trace = std::to_string(c.calls) + " " + std::to_string(c.cap);
        EXPECT_EQ(s.agents, c.agents) << trace;
        EXPECT_EQ(s.scheduled, c.scheduled) << trace;
        EXPECT_EQ(s.decidedBy, c.decidedBy) << trace;
    }
    // The percentages as typed, not as the division rounds them.
    for (const auto& [percent, fraction] : {std::pair{14.3, 0.143}, {0.7, 0.007}, {20.0, 0.2}}) {
        EXPECT_EQ(FromPercent(percent), fraction) << percent;
    }
}

// Targets together meet each (10 erlangs: a service level of 80 % in 20 s
// needs 14 agents, an ASA of 20 s 13 and of 5 s 15; with hang-ups after 30 s,
// 9 keep the answered calls' mean wait within 5 s, 15 within 0.5 s, and 11
// the service level)
// and the one the count is for is named; the lines bound a count that
// reaches them.
TEST(Staffing, TargetsTogetherAndWhatDecided) {
    using teletraffic::Argument;
    const struct {
        std::optional<double> patience, averageWait, answeredWait, lines;
        qint64 agents;
        std::optional<Argument> decided;
    } cases[] = {
        {{}, 20, {}, {}, 14, Argument::ServiceLevel},
        {{}, 5, {}, {}, 15, Argument::AverageWait},
        {30, {}, 5, {}, 11, Argument::ServiceLevel},
        {30, {}, 0.5, {}, 15, Argument::AnsweredWait},
        {{}, {}, {}, 5, 5, {}},
    };
    for (const auto& c : cases) {
        StaffingInputs in;
        in.patienceSeconds = c.patience;
        in.averageWaitSeconds = c.averageWait;
        in.answeredWaitSeconds = c.answeredWait;
        in.lines = c.lines;
        const Staffing s = Staff(in);
        EXPECT_EQ(s.agents, c.agents) << s.agents;
        EXPECT_EQ(s.decidingTarget, c.decided) << s.agents;
        EXPECT_EQ(s.linesBound, c.lines.has_value()) << s.agents;
    }
}

// With callers hanging up after 300 s on average, the table runs from half
// the traffic, where Erlang C has no answer, with a column of abandonment.
TEST(Staffing, WithPatienceFromHalfTheTraffic) {
    StaffingInputs in;
    in.patienceSeconds = 300;
    StaffingModel model;
    model.setStaffing(Staff(in));
    EXPECT_EQ(model.staffing().rows.front().agents, 5);
    EXPECT_EQ(model.headerData(4, Qt::Horizontal, Qt::DisplayRole).toString(), S("放棄率 (%)"));
    const int fourteen = 14 - 5;
    const QStringList row = {S("14"), S("91.7"), S("4.2"), S("14.5"), S("1.4"), S("70.4")};
    for (int column = 0; column < row.size(); ++column) {
        EXPECT_EQ(model.index(fourteen, column).data().toString(), row[column]) << column;
    }
}

// Beyond Erlang C and A, checked against the chain state by state (10
// erlangs of 180 s calls): with callers hanging up after 30 s, 9 agents keep
// the answered calls' mean wait within 5 s (4.71 s; every caller's mean, those
// who hang up counted, asks for 11). On 14 lines, callers hanging up after
// 300 s and half the lost calling again, 11 agents keep every caller's wait
// within 20 s (10.97 s, 10 agents 21.95 s), and 13 the occupancy within 75 %
// (74.0 %, 12 agents 79.4 %). On 14 lines without hang-ups, 12 agents answer
// 91.5 % within 20 s, 11 agents 79.5 %. The rows stop at the lines.
TEST(Staffing, ErlangXColumnsCountsAndRows) {
    using enum WaitBasis;
    constexpr auto none = std::nullopt;
    const struct {
        const char* behaviour;
        std::optional<double> patience, lines;
        double redial, cap;
        std::optional<WaitBasis> wait; // the target on the wait, or on the service level
        S columns;                     // beyond the agents and the service level
        qint64 agents, last;
    } cases[] = {
        {"the answered calls' mean wait", 30, none, 0, 1, Answered,
         S("平均応答時間・応答呼 (秒)|待ち確率 (%)|放棄率 (%)|稼働率 (%)|理由"), 9, 13},
        {"lines, hang-ups and redials: every loss", 300, 14, 0.5, 1, AllCallers,
         S("平均待ち時間・全呼 (秒)|待ち確率 (%)|放棄率 (%)|呼損率 (%)|最終的な放棄 (%)|"
           "稼働率 (%)|理由"),
         11, 14},
        {"the cap on the traffic carried", 300, 14, 0.5, 0.75, none, S(), 13, 14},
        {"lines alone: busy tones, no hang-ups", none, 14, 0, 1, none,
         S("平均応答時間 (秒)|待ち確率 (%)|呼損率 (%)|稼働率 (%)|理由"), 12, 14},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.behaviour);
        StaffingInputs in;
        in.patienceSeconds = c.patience;
        in.lines = c.lines;
        in.redial = c.redial;
        in.maxOccupancy = c.cap;
        in.waitBasis = c.wait.value_or(AllCallers);
        if (c.wait) {
            in.serviceLevel.reset();
            (*c.wait == Answered ? in.answeredWaitSeconds : in.averageWaitSeconds) =
                c.patience == 30 ? 5 : 20;
        }
        StaffingModel model;
        model.setStaffing(Staff(in));
        QStringList columns;
        for (int column = 2; column < model.columnCount(); ++column) {
            columns << model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        }
        EXPECT_TRUE(c.columns.isEmpty() || columns.join(u'|') == c.columns) << columns.join(u'|');
        EXPECT_EQ(model.staffing().agents, c.agents);
        EXPECT_EQ(model.staffing().decidedBy == teletraffic::Decided::Occupancy, c.cap < 1);
        EXPECT_EQ(model.staffing().rows.front().agents, 5);
        EXPECT_EQ(model.staffing().rows.back().agents, c.last);
    }
}

// Each interval as one; a row that cannot be answered says why and the day
// goes on without it.
TEST(DayStaffing, PeakAgentHoursAndRowsThatFail) {
    const struct {
        S volumes;
        QStringList labels;
        S peak;
        double agentHours, phoneHours;
        QStringList errors;
    } cases[] = {
        {S("区間,呼数\r\n08:00,100\n08:30\t200\n\n09:00,abc\n09:30,0\n\"10:00, late\",-5\n"
           "10:30,1e12\n"),
         {S("08:00"), S("08:30"), S("09:00"), S("09:30"), S("10:00, late"), S("10:30")},
         S("08:30"),
         (20 + 35) * 0.5,
         (14 + 24) * 0.5,
         {{},
          {},
          S("呼数「abc」が数値ではありません"),
          {},
          S("呼数は 0 以上にしてください"),
          S("計算できません: 呼量(アーラン)が 100000000000 になり、扱える範囲（0 以上 1000000000 "
            "以下）を外れます")}},
        {S("100\n200\n"), {S("1"), S("2")}, S("2"), (20 + 35) * 0.5, (14 + 24) * 0.5, {{}, {}}},
        {S("x;y\n"), {}, {}, 0, 0, {}},
        {S("interval,aht,Calls\n9:00,180,100\n"), {S("9:00")}, S("9:00"), 20 * 0.5, 14 * 0.5, {{}}},
    };
    StaffingInputs in;
    in.shrinkage = 0.3;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.volumes.toStdString());
        const Day day = StaffDay(ReadVolumes(c.volumes), in);
        QStringList labels, errors;
        for (const DayRow& row : day.rows) {
            labels << row.label;
            errors << row.error;
        }
        EXPECT_EQ(labels, c.labels);
        EXPECT_EQ(errors, c.errors);
        EXPECT_EQ(day.peak < 0 ? S() : day.rows[static_cast<std::size_t>(day.peak)].label, c.peak);
        EXPECT_DOUBLE_EQ(day.agentHours, c.agentHours);
        EXPECT_DOUBLE_EQ(day.phoneHours, c.phoneHours);
    }
}

// As a spreadsheet reads it: the byte-order mark, CRLF, a label with a comma
// quoted, an error in place of the figures; and a Japanese spreadsheet's file.
TEST(DayStaffing, CsvOfTheDayAndAShiftJisFile) {
    DayModel model;
    model.setDay(StaffDay(ReadVolumes(S("\"9:00, Mon\",100\n9:30,-\n")), StaffingInputs{}));
    EXPECT_EQ(TableCsv(model),
              "\xEF\xBB\xBF" +
                  S("区間,呼数,呼量,応対人数,スケジュール,SL (%),稼働 (%),ASA (秒),理由\r\n"
                    "\"9:00, Mon\",100,10.00,14,14,88.8,71.4,7.8,\r\n"
                    "9:30,,,,,,,,呼数「-」が数値ではありません\r\n")
                      .toUtf8());
    const QByteArray shiftJis("\x8b\xe6\x8a\xd4,\x8c\xc4\x90\x94\r\n\x8b\xe3\x8e\x9e,10\r\n");
    EXPECT_EQ(DecodeVolumes(shiftJis), S("区間,呼数\r\n九時,10\r\n"));
}

TEST(ThreeWay, ComparesInTheDigitsThatTellApart) {
    const struct {
        double value;
        Relation relation;
        S text;
    } cases[] = {
        {0.0100000001, Relation::Above, S("0.0100000001 > 0.01")},
        {std::nextafter(0.01, 1.0), Relation::Above, S("0.010000000000000002 > 0.01")},
        {0.01, Relation::AtMost, S("目標 0.01 と等しい")},
        // B(4.4611768575776924, 10) shows below 0.01, and 10 lines do not meet it.
        {0.00999999999999999, Relation::Above, S("目標 0.01 と丸めの範囲で等しい")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Versus(c.value, c.relation, 0.01), c.text);
    }
}

// S = 4 sources, 2 lines, beta = 1/3: by hand the carried traffic is 8/9, the
// call attempts bring beta (S - 8/9) = 28/27 erlangs and a seventh of them are
// blocked; Erlang B blocks 0.209 of 28/27 erlangs on 2 lines, so needs 3.
TEST(ThreeWay, EachUnknownByErlangBOrEngset) {
    const std::optional<double> none, four = 4;
    const double A = 28.0 / 27;
    const struct {
        ThreeWayInputs in;
        double traffic, blocking, lines;
        S model;
    } cases[] = {
        {{Unknown::Lines, 10, 0.01, 0, none}, 10, 0.01, 18, S("アーランB式")},
        {{Unknown::Traffic, 0, 0.01, 10, none}, 4.46117, 0.01, 10, S("アーランB式")},
        {{Unknown::Blocking, 10, 0, 0, none}, 10, 1, 0, S("アーランB式")},
        {{Unknown::Blocking, A, 0, 2, four}, A, 1.0 / 7, 2, S("エングセット式（呼源数 4。")},
        {{Unknown::Traffic, 0, 1.0 / 7, 2, four}, A, 1.0 / 7, 2, S("エングセット式")},
        {{Unknown::Lines, A, 0.15, 0, four}, A, 0.15, 2, S("エングセット式")},
        {{Unknown::Lines, A, 0.15, 0, none}, A, 0.15, 3, S("アーランB式")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(&c - cases));
        const ThreeWay got = SolveThreeWay(c.in);
        EXPECT_NEAR(got.traffic, c.traffic, 1e-5 * c.traffic);
        EXPECT_NEAR(got.blocking, c.blocking, 1e-12);
        EXPECT_EQ(got.lines, c.lines);
        EXPECT_TRUE(Explain(got).contains(S("で求めました。")) && Explain(got).contains(c.model))
            << Explain(got).toStdString();
    }
    EXPECT_EQ(Explain(SolveThreeWay(cases[0].in)),
              S("呼量 10 アーランの呼損率は 18 回線で 0.00714244 ≤ 0.01 ですが、17 回線では "
                "0.0129489 > 0.01 です。アーランB式（呼源数は無限）で求めました。"));
    // Both sides within rounding of the target: told apart, never "0.01 > 0.01".
    const QString large = Explain(SolveThreeWay({Unknown::Lines, 1e9, 0.01, 0, none}));
    EXPECT_FALSE(large.contains(S("0.01 > 0.01")) || large.contains(S("0.01 ≤ 0.01"))) << large;
    const ThreeWay zero = SolveThreeWay(cases[2].in);
    ASSERT_EQ(zero.around.size(), 2u); // no line count below 0, B(10, 1) beside it
    EXPECT_DOUBLE_EQ(zero.around[1].blocking, 10.0 / 11);
}

// What Engset cannot take is marked at the field that breaks it.
TEST(ThreeWay, EngsetRefusalsNameTheField) {
    const struct {
        ThreeWayInputs in;
        std::optional<Unknown> field;
    } cases[] = {
        {{Unknown::Blocking, 1, 0, 5, 4}, Unknown::Lines},   // more lines than sources
        {{Unknown::Traffic, 0, 0.01, 4, 4}, Unknown::Lines}, // nothing is ever blocked
        {{Unknown::Blocking, 4, 0, 4, 4}, Unknown::Traffic}, // no beta offers 4 erlangs
        {{Unknown::Blocking, 3.9, 0, 4, 4}, std::nullopt},   // but 3.9 erlangs will do
        {{Unknown::Blocking, 1, 0, 5, std::nullopt}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(&c - cases));
        const auto problem = CheckThreeWay(c.in);
        EXPECT_EQ(problem.has_value(), c.field.has_value());
        if (problem && c.field) {
            EXPECT_EQ(problem->field, *c.field);
        } else if (!problem) {
            EXPECT_NO_THROW(SolveThreeWay(c.in));
        }
    }
}

TEST(Curves, SampledStoppedBelowTheFloorAndAnswered) {
    const Curves wide = ComputeCurves({CurveKind::LinesByTraffic, {0.01}, 0.01, 0, 1e6});
    EXPECT_EQ(wide.curves.at(0).points.size(), kCurvePoints);
    EXPECT_EQ(wide.curves.at(0).points.back(), QPointF(1e6, teletraffic::ErlangBLines(1e6, 0.01)));
    // B(10, 28) = 1.49e-6 and B(10, 29) = 5.13e-7, across the floor of 1e-6.
    const Curves byLines = ComputeCurves({CurveKind::BlockingByLines, {10}, 0.01, 1, 40});
    const QList<QPointF>& points = byLines.curves.at(0).points;
    EXPECT_EQ(byLines.floor, 1e-6);
    EXPECT_EQ(points.size(), 29);
    EXPECT_LT(points.back().y(), byLines.floor);
    EXPECT_EQ(byLines.curves.at(0).answer->x(), 18);
    // A target of 1e-300 leaves twelve decades, its answer on the floor.
    const Curves tiny = ComputeCurves({CurveKind::BlockingByLines, {10}, 1e-300, 1, 400});
    EXPECT_EQ(tiny.floor, 1e-12);
    EXPECT_EQ(tiny.curves.at(0).answer->y(), 1e-12);
}

// The overflow of 10 erlangs on 10 lines has mean 2.145823 and variance
// 4.362447 (Riordan); two such streams add both, and their peakedness stays.
TEST(Overflow, GroupsSumOrComputeNothingWhileHalfTyped) {
    using G = std::vector<GroupText>;
    const struct {
        G groups;
        QStringList sum; // mean, variance, peakedness; empty for nothing computed
        S problem;
    } cases[] = {
        {G{{S("10"), S("10")}}, {S("2.14582"), S("4.36245"), S("2.03299")}, {}},
        {G{{S("10"), S("10")}, {S("１０"), S("10")}},
         {S("4.29165"), S("8.72489"), S("2.03299")},
         {}},
        {G{{S("10"), S("10")}, {S("6"), {}}}, {}, S("2 行目の回線数: 値を入れてください")},
        {G{{S("10"), S("1.5")}, {S("x"), S("3")}}, {}, S("1 行目の回線数: 範囲外です")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(&c - cases));
        FirstChoiceModel model;
        model.setGroups(c.groups);
        const int sum = model.groupCount();
        EXPECT_EQ(model.total().has_value(), !c.sum.isEmpty());
        EXPECT_TRUE(model.problem().startsWith(c.problem)) << model.problem().toStdString();
        for (int column = 0; column < 3; ++column) {
            EXPECT_EQ(model.index(sum, FirstChoiceModel::kMean + column).data().toString(),
                      c.sum.value(column));
            // Nothing computed for any row while one is half typed.
            EXPECT_EQ(model.index(0, FirstChoiceModel::kMean + column).data().isValid(),
                      !c.sum.isEmpty());
        }
    }
    FirstChoiceModel model;
    model.setGroups({{S("10"), S("10")}, {S("6"), S("8")}});
    EXPECT_TRUE(model.addGroup()); // a new blank group stops the sum until typed
    EXPECT_FALSE(model.total());
    EXPECT_TRUE(model.index(2, FirstChoiceModel::kTraffic).data(kErrorRole).isValid());
    model.setData(model.index(2, FirstChoiceModel::kTraffic), S("0"), Qt::EditRole);
    model.setData(model.index(2, FirstChoiceModel::kLines), S("0"), Qt::EditRole);
    ASSERT_TRUE(model.total());
    EXPECT_EQ(model.index(3, FirstChoiceModel::kMean).data().toString(), S("2.87708"));
}

// Peaked overflow needs more final lines than Erlang B gives its mean: the
// mean-only count misses the target, which ERT's count meets.
TEST(Overflow, FinalGroupByErtMeetsWhatTheMeanAloneMisses) {
    const struct {
        teletraffic::Overflow offered;
        double target;
    } cases[] = {
        {teletraffic::OverflowMoments(10, 10), 0.01},
        {teletraffic::OverflowCombine(teletraffic::OverflowMoments(10, 10),
                                      teletraffic::OverflowMoments(6, 8)),
         0.001},
        {teletraffic::OverflowMoments(30, 20), 0.05},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.offered.mean);
        const FinalGroup g = SizeFinalGroup(c.offered, c.target);
        ASSERT_TRUE(g.ert.lines && g.hayward.lines && g.meanOnly.lines);
        EXPECT_GT(*g.ert.lines, *g.meanOnly.lines);
        EXPECT_GT(g.meanOnlyBlocking, c.target);
        FinalGroupModel model;
        model.setGroup(g);
        // The rows hold each answer, marked, with its blocking either side of the target.
        int marked = 0;
        for (int row = 0; row < model.rowCount(); ++row) {
            const double lines = model.index(row, FinalGroupModel::kLines).data().toDouble();
            const double ert = model.index(row, FinalGroupModel::kErt).data().toDouble();
            const bool answer = model.index(row, FinalGroupModel::kErt).data(kAnswerRole).toBool();
            marked += answer;
            EXPECT_EQ(answer, lines == *g.ert.lines);
            EXPECT_EQ(ert <= c.target, lines >= *g.ert.lines) << lines;
        }
        EXPECT_EQ(marked, 1);
    }
}

// The real window over scratch settings; its dialogs answer with `savePath`.
class Window : public testing::Test {
protected:
    QTemporaryDir dir;
    // In a folder not made yet, as a new user's.
    QSettings settings{dir.filePath(S("config/Corvane/corvane-tables.conf")), QSettings::IniFormat};
    S savePath = dir.filePath(S("out.csv"));
    S openPath;

    QStringList warnings; // a test that expects some clears them
    std::unique_ptr<TablesWindow> window = open();

    void TearDown() override { EXPECT_EQ(warnings, QStringList()); }
    std::unique_ptr<TablesWindow> open() { return open(settings); }
    std::unique_ptr<TablesWindow> open(QSettings& from) {
        return std::make_unique<TablesWindow>(
            from, Dialogs{[this](QWidget*, const S&, const S&, const S&) { return savePath; },
                          [this](QWidget*, const S& text) { warnings << text; },
                          [this](QWidget*, const S&) { return openPath; }});
    }
    OverflowTab* overflow() { return window->findChild<OverflowTab*>(); }
    template <typename T = QWidget> T* get(const char* name) {
        auto* found = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    // The tab that holds `widget`.
    QWidget* tabOf(QWidget* widget) {
        while (widget != nullptr && window->tabs()->indexOf(widget) < 0) {
            widget = widget->parentWidget();
        }
        return widget;
    }
    S text(const char* name) {
        auto* label = window->findChild<QLabel*>(QLatin1String(name));
        return label ? label->text() : get<QLineEdit>(name)->text();
    }
    // Every line of the error `name` in sight, and every box of its tab.
    void expectLaidOutWhole(const char* name) {
        QCoreApplication::processEvents();
        auto* error = get<QLabel>(name);
        EXPECT_GE(error->visibleRegion().boundingRect().height(),
                  error->heightForWidth(error->width()))
            << name;
        for (QLineEdit* box : window->tabs()->currentWidget()->findChildren<QLineEdit*>()) {
            EXPECT_TRUE(!box->isVisible() || box->height() >= box->minimumSizeHint().height())
                << box->objectName();
        }
    }
    void enter(const char* field, const S& value) {
        window->tabs()->setCurrentWidget(tabOf(get(field)));
        get<QLineEdit>(field)->setText(value);
        get(field)->setFocus();
        QTest::keyClick(get(field), Qt::Key_Return);
    }
};

// Enter computes; Tab then goes on to the next field.
TEST_F(Window, EnterComputesOnEachTab) {
    const struct {
        const char* field;
        S value;
        const char* shown;
        S answer;
        const char* next;
    } rows[] = {
        {"rowLast", S("20"), "cellMeaning", S("セル: 運べる呼量(アーラン)　20 行 × 7 列"),
         "rowStep"},
        {"solveTraffic", S("２０"), "solveLines", S("30"), "solveBlocking"},
        {"calls", S("200"), "staffAnswer",
         S("呼量 20.00 アーラン　必要エージェント数 24　スケジュール人数 24"), "callsVariance"},
        {"curveTraffics", S("10"), "hoverText", S("呼量 10 アーラン: 18 回線で呼損率 0.00714244"),
         "curveTarget"},
    };
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    for (const auto& row : rows) {
        enter(row.field, row.value);
        QTest::keyClick(get(row.field), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), get(row.next)) << row.field;
        if (qstrcmp(row.field, "curveTraffics") == 0) {
            QChart* chart = get<QChartView>("chartView")->chart();
            ASSERT_TRUE(QTest::qWaitFor([&] { return chart->series().size() == 3; }));
            emit static_cast<QLineSeries*>(chart->series()[0])->hovered({17.6, 0.01}, true);
            for (const char* name : {"c.png", "c.jpg", "c.svg"}) {
                savePath = dir.filePath(S(name));
                get<QPushButton>("saveChart")->click();
                EXPECT_TRUE(name[2] == 's' ? Contents(savePath).contains("<svg")
                                           : !QImage(savePath).isNull())
                    << name;
            }
            // Its text names first the family it was drawn in, not a name
            // only Qt resolves ("Sans Serif", "ＭＳ Ｐゴシック"), last a generic one.
            static const QRegularExpression family(S("font-family=\"'?([^',\"]*)[^\"]*\""));
            QSet<QStringList> named;
            for (const auto& match : family.globalMatch(Contents(savePath))) {
                named << match.capturedTexts();
            }
            EXPECT_FALSE(named.isEmpty());
            for (const QStringList& each : named) {
                EXPECT_EQ(QFontInfo(QFont(each[1])).family(), each[1]);
                EXPECT_TRUE(each[0].endsWith(S("sans-serif\""))) << each[0];
            }
        }
        EXPECT_EQ(text(row.shown), row.answer) << row.field;
    }
    for (QLineEdit* edit : window->findChildren<QLineEdit*>()) {
        EXPECT_FALSE(edit->accessibleName().isEmpty()) << edit->objectName();
    }
}

TEST_F(Window, BadInputIsMarkedAndWhatWasShownStays) {
    const struct {
        const char* field;
        S value;
        const char* marked;
        S error;
        const char* shown;
    } rows[] = {
        {"rowLast", S("abc"), "rowLastError", S("数値ではありません"), "cellMeaning"},
        {"rowLast", S("2000000"), "rowStepError", S("行が 2000000 になります"), "cellMeaning"},
        {"rowStep", S("0"), "rowStepError", S("範囲外です"), "cellMeaning"},
        {"solveSources", S("0.5"), "solveSourcesError",
         S("範囲外です（1 以上 1000000000 以下の整数）"), "solveExplain"},
        // 10 erlangs of call attempts from 4 sources: no line count meets 0.01.
        {"solveSources", S("4"), "solveTrafficError",
         S("計算できません: この組み合わせでは呼量(アーラン) 10 は扱えません"), "solveExplain"},
        {"solveBlocking", S("1"), "solveBlockingError", S("範囲外です（1e-300 以上 1 未満）"),
         "solveExplain"},
        // In the field's range, but the engine cannot count the agents it asks for.
        {"maxOccupancy", S("1e-300"), "maxOccupancyError", S("計算できません"), "staffAnswer"},
        {"calls", S("1e9"), "callsError", S("呼量が 1e+12 アーランになります"), "staffAnswer"},
        {"patience", S("0"), "patienceError", S("範囲外です（0 より大きく"), "staffAnswer"},
        {"shrinkage", S("100"), "shrinkageError", S("範囲外です（0 以上 100 未満）"),
         "staffAnswer"},
        {"maxOccupancy", S("0"), "maxOccupancyError", S("範囲外です（0 より大きく 100 以下）"),
         "staffAnswer"},
        {"averageWait", S("abc"), "averageWaitError", S("数値ではありません"), "staffAnswer"},
    };
    get<QLineEdit>("interval")->setText(S("0.003"));       // 1e9 calls then bring 1e12 erlangs
    get<QComboBox>("staffTargetKind")->setCurrentIndex(1); // a target on the average wait
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    for (const auto& row : rows) {
        const S before = text(row.shown);
        enter(row.field, row.value);
        EXPECT_TRUE(text(row.marked).startsWith(row.error)) << text(row.marked).toStdString();
        EXPECT_TRUE(get(row.marked)->isVisibleTo(window.get())) << row.marked;
        EXPECT_EQ(text(row.field), row.value);
        EXPECT_EQ(text(row.shown), before) << row.field;
        expectLaidOutWhole(row.marked);
    }
}

TEST_F(Window, CtrlCCopiesTheSelectionWithHeadings) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto* view = get<QTableView>("table");
    view->setFocus();
    view->selectionModel()->select(view->model()->index(9, 3), QItemSelectionModel::Select);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), S("回線数 / 呼損率\t0.01\n10\t4.46118\n"));
}

// A day read from a file: its rows, the peak in the summary; the button copies
// the whole day whatever cell was clicked; saved as the view shows it.
TEST_F(Window, DayImportedCopiedAndSaved) {
    openPath = dir.filePath(S("day.csv"));
    QFile day(openPath);
    ASSERT_TRUE(day.open(QIODevice::WriteOnly) && day.write("8:00,100\n8:30,200\n") > 0);
    day.close();
    get<QComboBox>("dayMethod")->setCurrentIndex(1); // 区間ごと
    get<QPushButton>("importVolumes")->click();
    EXPECT_TRUE(
        text("daySummary").startsWith(S("2 区間　ピーク 8:30（応対 24 人、スケジュール 24 人）")))
        << text("daySummary").toStdString();
    auto* view = get<QTableView>("day");
    view->selectionModel()->select(view->model()->index(1, 3), QItemSelectionModel::Select);
    get<QPushButton>("copyDay")->click();
    EXPECT_TRUE(QApplication::clipboard()->text().endsWith(S("\n8:30\t200\t20.00\t24\t24\t"
                                                             "80.9\t83.3\t13.4\t\n")))
        << QApplication::clipboard()->text().toStdString();
    get<QPushButton>("exportDay")->click();
    EXPECT_TRUE(Contents(savePath).contains("8:30,200,20.00,24,24,"));
    // More intervals than a month of quarter-hours: marked, and no day shown.
    get<QPlainTextEdit>("volumes")->setPlainText(S("10\n").repeated(3001));
    get<QPushButton>("dayCompute")->click();
    EXPECT_TRUE(text("volumesError").startsWith(S("区間は 3000 までです")));
    EXPECT_EQ(view->model()->rowCount(), 0);
}

// What the engine refuses is marked at the field that led to it, restored
// from settings or typed; the window stays, its old answer greyed.
TEST_F(Window, WhatTheEngineRefusesIsMarkedAndNeverEndsTheWindow) {
    const struct {
        const char* unknown;
        const char* field;
        S value;
    } crashes[] = {
        {"solveTrafficUnknown", "solveLines", S("2000000000")},
        {"solveTrafficUnknown", "solveLines", S("1999999999")},
    };
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    for (const auto& c : crashes) {
        get<QRadioButton>(c.unknown)->setChecked(true);
        enter(c.field, c.value);
        expectLaidOutWhole("solveLinesError");
        const bool marked = !text("solveLinesError").isEmpty();
        // Refused, or answered (an engine whose domain holds the answer).
        EXPECT_NE(marked, !text("solveTraffic").isEmpty());
        EXPECT_EQ(marked, text("solveLinesError").startsWith(S("計算できません")));
        EXPECT_EQ(get<QLabel>("threeWayTabStale")->isVisibleTo(window.get()), marked);
    }
    window->close();
    settings.setValue(S("inputs/solveLines"), S("2000000000"));
    settings.setValue(S("inputs/trafficRows"), true);
    settings.setValue(S("inputs/rowFirst"), S("0"));
    settings.setValue(S("inputs/rowLast"), S("1e9"));
    settings.setValue(S("inputs/rowStep"), S("1e-10"));
    settings.setValue(S("inputs/curveKind"), 7);
    window = open();
    EXPECT_NE(text("solveLinesError").isEmpty(), text("solveTraffic").isEmpty());
    EXPECT_TRUE(text("rowStepError").startsWith(S("行が 10000000000000000001 になります")));
    EXPECT_EQ(get<QComboBox>("curveKind")->currentIndex(), 0);
}

// What the three-way solve answers, its field takes back: the traffic solved
// for, then the lines and the blocking solved from it, by Engset too (whose
// call attempts may pass 1e9 erlangs).
TEST_F(Window, ThreeWayAnswersAreTakenBackByTheirFields) {
    const struct {
        S sources, lines, blocking;
    } rows[] = {
        // 1.0101e9 erlangs of call attempts, past Erlang B's domain.
        {S("1000000000"), S("999999999"), S("0.01")},
        {S("4"), S("2"), S("0.142857")},
        {{}, S("1999"), S("0.01")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.lines.toStdString());
        get<QRadioButton>("solveTrafficUnknown")->setChecked(true);
        get<QLineEdit>("solveSources")->setText(row.sources);
        get<QLineEdit>("solveBlocking")->setText(row.blocking);
        enter("solveLines", row.lines);
        ASSERT_FALSE(text("solveTraffic").isEmpty()) << text("solveLinesError");
        get<QRadioButton>("solveLinesUnknown")->setChecked(true);
        get<QPushButton>("solveCompute")->click();
        EXPECT_EQ(text("solveLines"), row.lines);
        EXPECT_TRUE(text("solveTrafficError").isEmpty()) << text("solveTrafficError");
        get<QRadioButton>("solveBlockingUnknown")->setChecked(true);
        get<QPushButton>("solveCompute")->click();
        EXPECT_EQ(text("solveBlocking"), row.blocking);
    }
}

// A stale answer is neither saved nor copied; what was saved before stays.
TEST_F(Window, StaleAnswersAreGreyedAndRefused) {
    const struct {
        const char* field;
        const char* button;
    } rows[] = {
        {"rowLast", "exportCsv"},
        {"curveTarget", "saveChart"},
        {"solveBlocking", "solveExport"},
        {"calls", "staffExport"},
    };
    for (const auto& row : rows) {
        enter(row.field, S("abc"));
        get<QPushButton>(row.button)->click();
        EXPECT_EQ(warnings.size(), 1) << row.button;
        EXPECT_TRUE(warnings.value(0).startsWith(S("入力に誤りがあるため"))) << row.button;
        warnings.clear();
        EXPECT_FALSE(QFile::exists(savePath));
        const auto notes =
            tabOf(get(row.button))->findChildren<QLabel*>(QRegularExpression(S("Stale$")));
        ASSERT_EQ(notes.size(), 1);
        EXPECT_TRUE(notes[0]->isVisibleTo(window.get())) << row.button;
    }
}

// Greyed, a stale answer is what it was, paler: each pixel the same mix of
// itself and the ground, so that it stays legible (not old pixels under new
// ones, nor a dark ground under dark text).
TEST_F(Window, StaleAnswersStayLegible) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const struct {
        const char* field;
        const char* view;
    } rows[] = {
        {"rowLast", "table"},
        {"solveBlocking", "solveAround"},
        {"finalTarget", "finalTable"},
        {"calls", "staffing"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.field);
        auto* view = get(row.view);
        QWidget* tab = tabOf(get(row.field));
        window->tabs()->setCurrentWidget(tab);
        const auto picture = [&] {
            QCoreApplication::processEvents();
            return window->grab(QRect(view->mapTo(window.get(), QPoint(0, 0)), view->size()))
                .toImage()
                .convertToFormat(QImage::Format_Grayscale8);
        };
        const QImage fresh = picture();
        enter(row.field, S("abc"));
        const QImage stale = picture();
        // stale = k fresh + c, fitted over the rows both show: k is the
        // contrast kept, the residual what is not the same picture paler.
        const int height = std::min(fresh.height(), stale.height());
        double n = 0, f = 0, s = 0, ff = 0, fs = 0, ss = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < fresh.width(); ++x) {
                const double a = fresh.constScanLine(y)[x], b = stale.constScanLine(y)[x];
                n += 1, f += a, s += b, ff += a * a, fs += a * b, ss += b * b;
            }
        }
        const double k = (fs - f * s / n) / (ff - f * f / n);
        const double residual =
            std::sqrt(std::max(0.0, (ss - s * s / n) - k * (fs - f * s / n)) / n);
        EXPECT_GT(k, 0.3);
        EXPECT_LT(k, 0.8);
        EXPECT_LT(residual, 4);
    }
}

// The PNG holds the whole chart at twice the view's size; a name the window
// cannot write in its format is refused.
TEST_F(Window, ChartPictureIsTheWholeChart) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->tabs()->setCurrentWidget(get("chartTab"));
    auto* view = get<QChartView>("chartView");
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->chart()->series().size() == 5; }));
    savePath = dir.filePath(S("c.png"));
    get<QPushButton>("saveChart")->click();
    const QImage saved(savePath);
    ASSERT_EQ(saved.size(), view->size() * 2);
    // Beside the view as the screen shows it, both made small: alike, where
    // a quarter of the chart blown up is not.
    const QSize small = view->size() / 8;
    const QImage a = saved.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                         .convertToFormat(QImage::Format_Grayscale8);
    const QImage b = view->grab()
                         .toImage()
                         .scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                         .convertToFormat(QImage::Format_Grayscale8);
    double difference = 0;
    for (int y = 0; y < small.height(); ++y) {
        for (int x = 0; x < small.width(); ++x) {
            difference += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
        }
    }
    EXPECT_LT(difference / (small.width() * small.height()), 8);
    savePath = dir.filePath(S("c.gif"));
    get<QPushButton>("saveChart")->click();
    EXPECT_EQ(warnings.size(), 1);
    EXPECT_FALSE(QFile::exists(savePath));
    warnings.clear();
}

// Ctrl+A, Ctrl+C copies the staffing and three-way tables with headings.
TEST_F(Window, SmallTablesCopyWithHeadings) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const struct {
        const char* view;
        S first, line;
        int lines;
    } rows[] = {
        {"staffing",
         S("エージェント数\tサービスレベル (%)\t平均応答時間 (秒)\t待ち確率 (%)\t稼働率 (%)\t理由"),
         S("13\t79.6\t17.1\t28.5\t76.9\t"), 10},
        {"solveAround", S("回線数\t呼損率"), S("18\t0.00714244"), 4},
    };
    for (const auto& row : rows) {
        auto* view = get<QTableView>(row.view);
        window->tabs()->setCurrentWidget(tabOf(view));
        view->setFocus();
        QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        const QStringList lines =
            QApplication::clipboard()->text().split(u'\n', Qt::SkipEmptyParts);
        EXPECT_EQ(lines.size(), row.lines) << row.view;
        EXPECT_EQ(lines.value(0), row.first);
        EXPECT_TRUE(lines.contains(row.line)) << lines.join(u'|');
    }
}

// Tab leaves the table, Ctrl+Tab turns the tab, Enter presses the focused
// button, Ctrl+S saves the tab's answer.
TEST_F(Window, Keyboard) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto* view = get<QTableView>("table");
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), view);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(window->tabs()->currentIndex(), 1);
    window->tabs()->setCurrentIndex(3);
    auto* compute = get<QPushButton>("staffCompute");
    get<QLineEdit>("calls")->setText(S("200"));
    compute->setFocus();
    QTest::keyClick(compute, Qt::Key_Return);
    EXPECT_EQ(text("staffAnswer"),
              S("呼量 20.00 アーラン　必要エージェント数 24　スケジュール人数 24"));
    QTest::keyClick(compute, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(Contents(savePath).contains("24,"));
    EXPECT_EQ(settings.value(S("files/folder")).toString(), QFileInfo(savePath).absolutePath());
}

// An export is of the inputs as they stand. Typed without Enter, or a cell
// still being edited, they are computed first, and the file states them
// above what the screen now shows; a copy stops once computed, for the user
// to see the new answer first; a chart still being drawn is refused.
TEST_F(Window, ExportsAreOfTheInputsAsTheyStand) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const struct {
        const char* field;
        S value;
        const char* button;
        const char* view;
        QByteArray stated;
        const char* shown;
        S answer;
    } rows[] = {
        {"rowLast", S("20"), "exportCsv", nullptr, "# 回線数 終了,20\r\n", "cellMeaning",
         S("20 行")},
        {"solveTraffic", S("２０"), "solveExport", "solveAround",
         "# 求めるもの,回線数\r\n# 呼量(アーラン),20\r\n# 呼損率,0.01\r\n# 回線数,30\r\n",
         "solveLines", S("30")},
        {"finalTarget", S("0.001"), "overflowCsv", "finalTable", "# 最終群の呼損率,0.001\r\n",
         "overflowAnswer", S("呼損率 0.001 に必要")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.field);
        QFile::remove(savePath);
        window->tabs()->setCurrentWidget(tabOf(get(row.button)));
        get<QLineEdit>(row.field)->setText(row.value);
        get<QPushButton>(row.button)->click();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return window->statusBar()->currentMessage().contains(S("保存しました")); }));
        const QByteArray saved = Contents(savePath);
        EXPECT_TRUE(saved.contains(row.stated)) << saved.left(400).toStdString();
        EXPECT_TRUE(!row.view ||
                    saved.endsWith(TableCsv(*get<QTableView>(row.view)->model()).mid(3)));
        EXPECT_TRUE(text(row.shown).contains(row.answer)) << text(row.shown);
        EXPECT_TRUE(window->statusBar()->currentMessage().contains(S("計算し直してから保存")));
    }
    // A copy: computed, then copied when asked again.
    auto* around = get<QTableView>("solveAround");
    window->tabs()->setCurrentWidget(get("threeWayTab"));
    get<QLineEdit>("solveTraffic")->setText(S("10"));
    QApplication::clipboard()->setText(S("before"));
    around->setFocus();
    QTest::keyClick(around, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), S("before"));
    EXPECT_EQ(text("solveLines"), S("18"));
    QTest::keyClick(around, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(QApplication::clipboard()->text().contains(S("18\t0.00714244")));
    // A group's cell typed into and saved with Ctrl+S, the editor still open.
    window->tabs()->setCurrentWidget(overflow());
    auto* groups = get<QTableView>("overflowGroups");
    groups->setCurrentIndex(groups->model()->index(0, FirstChoiceModel::kTraffic));
    groups->edit(groups->currentIndex());
    auto* editor = groups->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(S("12"));
    QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(Contents(savePath).contains("# 1,12,10\r\n"));
    // A chart being drawn for what was typed: saved once drawn.
    window->tabs()->setCurrentWidget(get("chartTab"));
    savePath = dir.filePath(S("c.png"));
    get<QLineEdit>("curveTraffics")->setText(S("7"));
    get<QPushButton>("saveChart")->click();
    EXPECT_EQ(warnings,
              QStringList(S("計算の途中です。計算が終わってから、もう一度保存してください。")));
    warnings.clear();
    QChart* chart = get<QChartView>("chartView")->chart();
    ASSERT_TRUE(QTest::qWaitFor([&] { return chart->series().size() == 3; }));
    get<QPushButton>("saveChart")->click();
    EXPECT_FALSE(QImage(savePath).isNull());
}

// Root writes where permissions forbid; the rows that take the right to
// write away then run as nobody (real and effective, as access() asks the
// real one), root kept as the saved user to come back to.
class Unprivileged {
public:
    Unprivileged()
        : root_(geteuid() == 0) {
        EXPECT_TRUE(!root_ || setresuid(65534, 65534, 0) == 0);
    }
    ~Unprivileged() {
        if (root_) {
            EXPECT_EQ(setresuid(0, 0, 0), 0);
        }
    }

private:
    bool root_;
};

// Settings are written where they can be, their folder made when missing;
// where they cannot be, the status bar says so for as long as it holds, beside
// the passing messages, and the window works on.
TEST_F(Window, SettingsSavedOrWhyNotSaidForAsLongAsItHolds) {
    window->close();
    window.reset();
    const auto all = QFileDevice::Permissions(0x7777);
    QFile::setPermissions(dir.path(), all);
    // The program's own settings, under a configuration folder not made yet.
    qputenv("XDG_CONFIG_HOME", dir.filePath(S("new/config")).toUtf8());
    QCoreApplication::setOrganizationName(S("Corvane"));
    QCoreApplication::setApplicationName(S("corvane-tables"));
    const struct {
        const char* name;
        S home;     // the configuration folder; empty for XDG_CONFIG_HOME's
        S readOnly; // made read only, with what it holds
        QByteArray holds;
        S notice;
        QByteArray file; // what the file holds after 300 was typed
    } rows[] = {
        {"a new user", {}, {}, {}, {}, "rowLast=300"},
        {"an unwritable home", S("home/.config"), S("home"), {}, S("設定のフォルダ "), "(none)"},
        {"a read-only file", S("ro"), S("ro/Corvane/corvane-tables.conf"),
         "[inputs]\nrowLast=250\n", S("設定ファイル "), "rowLast=250"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (!row.home.isEmpty()) {
            QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                               dir.filePath(row.home));
        }
        if (!row.readOnly.isEmpty()) {
            const S path = dir.filePath(row.readOnly);
            if (row.holds.isEmpty()) {
                QDir().mkpath(path);
            } else {
                // Its folder open to all: only the file is read only.
                for (S folder = QFileInfo(path).path(); folder != dir.path();
                     folder = QFileInfo(folder).path()) {
                    QDir().mkpath(folder);
                    QFile::setPermissions(folder, all);
                }
                QFile file(path);
                ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(row.holds) > 0);
            }
            QFile::setPermissions(path, QFileDevice::Permissions(0x5555));
        }
        Unprivileged nobody;
        QSettings own;
        ASSERT_TRUE(own.fileName().startsWith(dir.path())) << own.fileName();
        window = open(own);
        auto* notice = get<QLabel>("settingsNotice");
        EXPECT_EQ(window->remembers(), row.notice.isEmpty());
        enter("rowLast", S("300"));
        window->statusBar()->showMessage(S("a passing message"));
        EXPECT_EQ(notice->isVisibleTo(window.get()), !row.notice.isEmpty());
        EXPECT_TRUE(notice->text().startsWith(row.notice)) << notice->text();
        EXPECT_TRUE(row.notice.isEmpty() || notice->text().contains(S("保存できません")));
        window->close();
        window.reset();
        EXPECT_TRUE(Contents(own.fileName()).contains(row.file)) << own.fileName();
    }
    QFile::setPermissions(dir.filePath(S("home")), all);
}

// A second window on the same settings leaves them to the first, and says so
// beside the passing messages.
TEST_F(Window, SecondWindowDoesNotOverwriteTheFirstsSettings) {
    enter("rowLast", S("300"));
    window->close();
    window = open();
    auto second = open();
    EXPECT_TRUE(window->remembers());
    EXPECT_FALSE(second->remembers());
    second->statusBar()->showMessage(S("a passing message"));
    EXPECT_TRUE(second->findChild<QLabel*>(S("settingsNotice"))
                    ->text()
                    .startsWith(S("別の Corvane Tables が開いているため")));
    second->findChild<QLineEdit*>(S("rowLast"))->setText(S("400"));
    second->close();
    second.reset();
    window->close();
    EXPECT_EQ(settings.value(S("inputs/rowLast")).toString(), S("300"));
}

// A cell typed into the list recomputes; a half-typed list gives no answer;
// the final group's table copies and saves as the other tabs' tables do.
TEST_F(Window, OverflowTabFollowsTheListAndSavesItsTable) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->tabs()->setCurrentWidget(overflow());
    auto* groups = get<QTableView>("overflowGroups");
    auto* final = get<QTableView>("finalTable");
    const auto type = [&](int row, int column, const S& value) {
        const QModelIndex cell = groups->model()->index(row, column);
        groups->setCurrentIndex(cell);
        groups->edit(cell);
        auto* editor = groups->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, value);
        QTest::keyClick(editor, Qt::Key_Return);
        // The view commits the text and closes the editor queued.
        EXPECT_TRUE(QTest::qWaitFor([&] { return groups->findChildren<QLineEdit*>().isEmpty(); }));
    };
    type(1, FirstChoiceModel::kLines, S("8x"));
    EXPECT_TRUE(overflow()->stale());
    EXPECT_TRUE(window->statusBar()->currentMessage().startsWith(
        S("第一選択群の表を埋めてください。2 行目の回線数: 数値ではありません")))
        << window->statusBar()->currentMessage().toStdString();
    EXPECT_TRUE(groups->model()->index(1, FirstChoiceModel::kLines).data(kErrorRole).isValid());
    type(1, FirstChoiceModel::kLines, S("8"));
    EXPECT_TRUE(text("overflowAnswer").contains(S("等価ランダム法 11 回線、Hayward 法 11 回線")))
        << text("overflowAnswer").toStdString();
    EXPECT_TRUE(text("overflowAnswer").contains(S("8 回線ですが")));

    final->setFocus();
    final->selectionModel()->select(final->model()->index(5, 0), QItemSelectionModel::Select);
    final->selectionModel()->select(final->model()->index(5, 3), QItemSelectionModel::Select);
    QTest::keyClick(final, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(),
              S("最終群の回線数\tアーランB (平均のみ)\n8\t0.00657441\n"));
    get<QPushButton>("overflowCsv")->click();
    // The groups it answers first, then the table.
    const QList<QByteArray> lines = Contents(savePath).split('\n');
    ASSERT_EQ(lines.size(), final->model()->rowCount() + 7);
    EXPECT_EQ(lines.mid(0, 6).join('\n'), "\xEF\xBB\xBF# Corvane Tables,迂回\r\n"
                                          "# 最終群の呼損率,0.01\r\n"
                                          "# 第一選択群,呼量(アーラン),回線数\r\n"
                                          "# 1,10,10\r\n"
                                          "# 2,6,8\r\n"
                                          "最終群の回線数,呼損率 (等価ランダム法),"
                                          "呼損率 (Hayward 法),アーランB (平均のみ)\r");
    EXPECT_EQ(lines[11], "8,0.0575142,0.0427249,0.00657441\r");

    get<QPushButton>("addGroup")->click(); // a blank group: no answer until typed
    EXPECT_TRUE(overflow()->stale());
    get<QPushButton>("removeGroups")->click(); // and away again
    EXPECT_EQ(overflow()->groups()->groupCount(), 2);
    EXPECT_FALSE(overflow()->stale());
    EXPECT_FALSE(groups->isRowHidden(1));
    EXPECT_TRUE(groups->isRowHidden(2)); // the sum's row is not among the inputs
}

TEST_F(Window, RemembersInputsTabAndGeometry) {
    // Typed, it is on disk soon, the window still open.
    auto* recall = get<QLineEdit>("recall");
    recall->selectAll();
    QTest::keyClicks(recall, S("5"));
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return QSettings(settings.fileName(), QSettings::IniFormat).value(S("inputs/recall")) ==
               S("5");
    }));
    enter("rowLast", S("300"));
    get<QCheckBox>("trafficRows")->setChecked(true);
    get<QPlainTextEdit>("volumes")->setPlainText(S("9:00,10"));
    overflow()->groups()->setGroups({{S("5"), S("3")}});
    window->tabs()->setCurrentIndex(3);
    get<QTabWidget>("staffViews")->setCurrentIndex(2);
    window->resize(900, 600);
    window->close();
    window = open();
    EXPECT_EQ(get<QTabWidget>("staffViews")->currentIndex(), 2);
    EXPECT_EQ(text("rowLast"), S("300"));
    EXPECT_TRUE(get<QCheckBox>("trafficRows")->isChecked());
    EXPECT_EQ(get<QPlainTextEdit>("volumes")->toPlainText(), S("9:00,10"));
    EXPECT_EQ(window->tabs()->currentIndex(), 3);
    EXPECT_EQ(GroupsToList(overflow()->groups()->groups()), QStringList({S("5"), S("3")}));
    EXPECT_EQ(window->size(), QSize(900, 600));
}

// Settings edited out of range mark every field and choice they reach as the
// window opens, all at once: a choice says what it fell back to, and the
// variance below the calls is marked beside a handling time that does not read.
TEST_F(Window, RestoredValuesOutOfRangeAreMarkedAtOnce) {
    window->close();
    for (const auto& [key, value] : {std::pair{"serviceLevelBasis", S("7")},
                                     {"waitBasis", S("-1")},
                                     {"callsVariance", S("50")},
                                     {"aht", S("abc")}}) {
        settings.setValue(S("inputs/") + QLatin1String(key), value);
    }
    settings.setValue(S("window/tab"), 3);
    window = open();
    const struct {
        const char* mark;
        S start;
    } marks[] = {
        {"serviceLevelBasisError", S("設定の値「7」は選択肢にないため、「着信呼基準」にしました")},
        {"waitBasisError", S("設定の値「-1」は選択肢にないため")},
        {"callsVarianceError", S("呼数（100）以上にしてください")},
        {"ahtError", S("数値ではありません")},
    };
    for (const auto& m : marks) {
        EXPECT_TRUE(text(m.mark).startsWith(m.start)) << m.mark << text(m.mark).toStdString();
        EXPECT_TRUE(get(m.mark)->isVisibleTo(window.get())) << m.mark;
    }
}

// A large day restored is staffed off the window's thread under the progress
// bar: the window opens with the answer, and the day follows.
TEST_F(Window, ALargeDayRestoredIsStaffedOffTheWindowsThread) {
    window->close();
    settings.setValue(S("inputs/staffLines"), S("400"));
    settings.setValue(S("inputs/redial"), S("50"));
    settings.setValue(S("inputs/volumes"), S("9:00,100\n").repeated(1000));
    settings.setValue(S("window/tab"), 3);
    window = open();
    EXPECT_TRUE(get("staffProgress")->isVisibleTo(window.get()));
    EXPECT_TRUE(text("staffAnswer").contains(S("必要エージェント数 14")));
    auto* day = get<QTableView>("day")->model();
    EXPECT_EQ(day->rowCount(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return day->rowCount() == 1000; }, 30000));
}

// At the window's first size the call-centre tab shows a useful day (a
// dozen rows and more, every column) with its summary's lines whole, and
// every box its placeholder and every choice its words, whichever target.
TEST_F(Window, TheCallCentreTabFitsTheWindowAsItOpens) {
    window->close();
    S day = S("区間,呼数\n");
    for (int i = 0; i < 48; ++i) {
        day += S("%1:%2,%3\n").arg(i / 2).arg(i % 2 * 30, 2, 10, QChar(u'0')).arg(50 + 4 * i);
    }
    for (const auto& [key, value] : {std::pair{"inputs/patience", S("300")},
                                     {"inputs/shrinkage", S("30")},
                                     {"inputs/volumes", day},
                                     {"views/staffViews", S("2")},
                                     {"window/tab", S("3")}}) {
        settings.setValue(QLatin1String(key), value);
    }
    window = open();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(window->size(), QSize(1040, 680));
    get<QComboBox>("dayMethod")->setCurrentIndex(1); // 区間ごと
    auto* view = get<QTableView>("day");
    QCoreApplication::processEvents();
    EXPECT_GE(view->rowAt(view->viewport()->height() - 1) - view->rowAt(0), 12);
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
    auto* summary = get<QLabel>("daySummary");
    for (const S& line : summary->text().split(u'\n')) {
        EXPECT_LE(summary->fontMetrics().horizontalAdvance(line), summary->width())
            << line.toStdString();
    }
    QWidget* tab = tabOf(view);
    auto* kind = get<QComboBox>("staffTargetKind");
    for (int target = 0; target < kind->count(); ++target) {
        kind->setCurrentIndex(target);
        QCoreApplication::processEvents();
        for (QLineEdit* box : tab->findChildren<QLineEdit*>()) {
            const S shown = box->text().isEmpty() ? box->placeholderText() : box->text();
            EXPECT_TRUE(!box->isVisible() ||
                        box->fontMetrics().horizontalAdvance(shown) < box->width() - 8)
                << target << box->objectName().toStdString();
        }
        for (QComboBox* box : tab->findChildren<QComboBox*>()) {
            QStyleOptionComboBox option;
            option.initFrom(box);
            const QRect words = box->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                             QStyle::SC_ComboBoxEditField, box);
            for (int item = 0; item < box->count(); ++item) {
                EXPECT_LE(box->fontMetrics().horizontalAdvance(box->itemText(item)), words.width())
                    << target << box->itemText(item).toStdString();
            }
        }
    }
}

} // namespace
