#include "support/print_qt.h"
#include "tables/csv_export.h"
#include "tables/curves.h"
#include "tables/staffing.h"
#include "tables/tables_window.h"
#include "tables/three_way.h"
#include "teletraffic/erlang.h"

#include <QtCharts>
#include <QtTest>
#include <QtWidgets>
#include <gtest/gtest.h>

namespace {

using S = QString;
using namespace tables;

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

TEST(TableModel, RowsCellsAndHeadings) {
    const struct {
        TableSetup setup;
        qint64 rows;
        S lastHeading, lastCell;
    } cases[] = {
        {{true, 10, 10, 1, {0.01}}, 1, S("10"), S("18")},
        {{true, 0.1, 0.3, 0.1, {0.5}}, 3, S("0.3"), S("1")}, // 3 * 0.1 is above 0.3
        {{false, 1, 1e6, 1, {0.01}}, 1'000'000, S("1000000"), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rows);
        ErlangTableModel model;
        model.setSetup(c.setup);
        ASSERT_EQ(model.rowCount(), c.rows);
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
                                                 "9\t3.7825\t\n"
                                                 "10\t4.4612\t\n"
                                                 "12\t\t7.9501\n"));
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

TEST(Inputs, ReadingsSayWhatIsWrongAndWhatIsAllowed) {
    const Range lines{1, 1e9, true};
    const Range open{0, 1, false, true, true};
    EXPECT_EQ(Read(S("１８"), lines).value, 18);
    EXPECT_EQ(Read(S("2.5"), lines).error, S("範囲外です（1 以上 1000000000 以下の整数）"));
    EXPECT_EQ(ReadList(S("0.01、0.02，0.05 0.1"), open, 4).values,
              (std::vector<double>{0.01, 0.02, 0.05, 0.1}));
    EXPECT_EQ(ReadList(S("0.01, 0"), open, 4).error, S("「0」: 範囲外です（0 より大きく 1 未満）"));
}

// 10 erlangs at 80 % in 20 s with 180 s calls: by hand, 13 agents answer
// 79.56 % in time and 14 agents 88.84 %; 10 agents never catch up.
TEST(Staffing, WorkedCaseAndTheQueueThatGrowsWithoutEnd) {
    StaffingModel model;
    model.setStaffing(Staff({100, 30, 180, 20, 0.8}));
    EXPECT_EQ(model.staffing().agents, 14);
    const QStringList rows[] = {
        {S("10"), UnboundedQueueText(), {}, {}, {}},
        {S("13"), S("79.6"), S("17.1"), S("28.5"), S("76.9")},
    };
    for (const QStringList& row : rows) {
        const int r = row[0].toInt() - 10;
        for (int column = 0; column < row.size(); ++column) {
            EXPECT_EQ(model.index(r, column).data().toString(), row[column]) << r << column;
        }
    }
}

TEST(ThreeWay, EachUnknownWithTheBlockingBesideIt) {
    EXPECT_EQ(Explain(SolveThreeWay({Unknown::Lines, 10, 0.01, 0})),
              S("呼量 10 アーランの呼損率は 18 回線で 0.00714244 ≤ 0.01 ですが、17 回線では "
                "0.0129489 > 0.01 です。"));
    EXPECT_NEAR(SolveThreeWay({Unknown::Traffic, 0, 0.01, 10}).traffic, 4.4612, 5e-5);
    const ThreeWay none = SolveThreeWay({Unknown::Blocking, 10, 0, 0});
    EXPECT_EQ(none.blocking, 1);
    ASSERT_EQ(none.around.size(), 2u); // no line count below 0, B(10, 1) beside it
    EXPECT_DOUBLE_EQ(none.around[1].blocking, 10.0 / 11);
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
}

// The real window over scratch settings; its dialogs answer with `savePath`.
class Window : public testing::Test {
protected:
    QTemporaryDir dir;
    QSettings settings{dir.filePath(S("settings.ini")), QSettings::IniFormat};
    S savePath = dir.filePath(S("out.csv"));
    std::unique_ptr<TablesWindow> window = open();

    std::unique_ptr<TablesWindow> open() {
        return std::make_unique<TablesWindow>(
            settings, Dialogs{[this](QWidget*, const S&, const S&, const S&) { return savePath; },
                              [](QWidget*, const S& text) { ADD_FAILURE() << text; }});
    }
    template <typename T = QWidget> T* get(const char* name) {
        auto* found = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    S text(const char* name) {
        auto* label = window->findChild<QLabel*>(QLatin1String(name));
        return label ? label->text() : get<QLineEdit>(name)->text();
    }
    void enter(const char* field, const S& value) {
        window->tabs()->setCurrentWidget(
            get(field)->parentWidget()->parentWidget()->parentWidget());
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
        {"calls", S("200"), "staffAnswer", S("呼量 20 アーラン　必要エージェント数 24"),
         "interval"},
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
            for (const char* name : {"c.png", "c.svg"}) {
                savePath = dir.filePath(S(name));
                get<QPushButton>("saveChart")->click();
                EXPECT_TRUE(name[3] == 's' ? Contents(savePath).contains("<svg")
                                           : !QImage(savePath).isNull());
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
        {"solveBlocking", S("1"), "solveBlockingError", S("範囲外です（1e-300 以上 1 未満）"),
         "solveLines"},
        {"calls", S("1e9"), "callsError", S("呼量が 1e+12 アーランになります"), "staffAnswer"},
    };
    get<QLineEdit>("interval")->setText(S("0.003")); // 1e9 calls then bring 1e12 erlangs
    for (const auto& row : rows) {
        const S before = text(row.shown);
        enter(row.field, row.value);
        EXPECT_TRUE(text(row.marked).startsWith(row.error)) << text(row.marked).toStdString();
        EXPECT_TRUE(get(row.marked)->isVisibleTo(window.get())) << row.marked;
        EXPECT_EQ(text(row.field), row.value);
        EXPECT_EQ(text(row.shown), before) << row.field;
    }
}

TEST_F(Window, CtrlCCopiesTheSelectionWithHeadings) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto* view = get<QTableView>("table");
    view->setFocus();
    view->selectionModel()->select(view->model()->index(9, 3), QItemSelectionModel::Select);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), S("回線数 / 呼損率\t0.01\n10\t4.4612\n"));
}

// What was at the path stays, and no temporary file is left beside it.
TEST_F(Window, CancelledExportLeavesNoPartialFile) {
    QFile old(savePath);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    enter("rowLast", S("1000000"));
    get<QPushButton>("exportCsv")->click();
    get<QPushButton>("exportCancel")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return get<QPushButton>("exportCsv")->isEnabled(); }));
    EXPECT_EQ(Contents(savePath), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList(S("out.csv")));
    EXPECT_TRUE(window->statusBar()->currentMessage().startsWith(S("保存を中止しました")));
}

TEST_F(Window, RemembersInputsTabAndGeometry) {
    enter("rowLast", S("300"));
    get<QCheckBox>("trafficRows")->setChecked(true);
    window->tabs()->setCurrentIndex(3);
    window->resize(900, 600);
    window->close();
    window = open();
    EXPECT_EQ(text("rowLast"), S("300"));
    EXPECT_TRUE(get<QCheckBox>("trafficRows")->isChecked());
    EXPECT_EQ(window->tabs()->currentIndex(), 3);
    EXPECT_EQ(window->size(), QSize(900, 600));
}

} // namespace
