// 通話記録: the heat map's grid across both clock changes, and the tab in the
// real window offscreen: read off the window's thread and stopped, each
// refusal marked at its field, the normal load sized on 三方向計算, the
// inputs kept and checked as read back, the days and the heat map saved.
#include "records/records.h"
#include "tables/models/call_records.h"
#include "tables/models/number_format.h"
#include "tables/tables_window.h"
#include "tables/tabs/records_tab.h"
#include "tables/tabs/three_way_tab.h"
#include "tables/widgets/heat_map.h"

#include <QtTest>
#include <QtWidgets>
#include <gtest/gtest.h>

#include <fstream>

namespace {

using S = QString;
using namespace tables;

S RecordsData(const char* name) {
    return S(CORVANE_RECORDS_DATA "/") + QLatin1String(name);
}

records::Report ReportOf(const char* file, const char* zone, int interval) {
    records::ReadOptions o;
    o.timezone = zone;
    o.interval = interval;
    return records::Summarize(ReadCallRecords({RecordsData(file)}, o), {});
}

// Each clock time of each day in its column: none where the clocks skipped
// it, both periods where they repeated it, the busy hour's columns marked.
TEST(RecordsHeatGrid, ClockTimesAcrossBothClockChanges) {
    const struct {
        const char* file;
        int interval;
        int skipped, repeated; // cells
    } cases[] = {{"berlin-spring.csv", 15, 4, 0}, {"berlin-autumn.csv", 30, 0, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const records::Report report = ReportOf(c.file, "Europe/Berlin", c.interval);
        const HeatGrid grid = HeatGridOf(report, c.interval);
        ASSERT_EQ(grid.rows(), static_cast<int>(report.days.size()));
        ASSERT_EQ(grid.columns, 1440 / c.interval);
        int skipped = 0, repeated = 0;
        for (const HeatCell& cell : grid.cells) {
            skipped += std::isnan(cell.first) ? 1 : 0;
            repeated += std::isnan(cell.second) ? 0 : 1;
        }
        EXPECT_EQ(skipped, c.skipped);
        EXPECT_EQ(repeated, c.repeated);
        // Every period in the cell of its day and clock time, in its order.
        std::vector<int> seen(grid.cells.size());
        for (const records::PeriodRow& p : report.periods) {
            const int row = static_cast<int>(p.day - report.days.front().day);
            const int column = p.clockMinutes / c.interval;
            const HeatCell& cell = grid.at(row, column);
            EXPECT_EQ(seen[static_cast<std::size_t>(row * grid.columns + column)]++ == 0
                          ? cell.first
                          : cell.second,
                      p.traffic)
                << p.startText;
        }
        const std::string& tcbh = report.summary.tcbh;
        EXPECT_EQ(grid.busyColumn * c.interval,
                  std::stoi(tcbh.substr(0, 2)) * 60 + std::stoi(tcbh.substr(3, 2)));
        EXPECT_EQ(grid.busyColumns * c.interval, 60);
    }
}

// The real window over scratch settings, its dialogs answered by the test.
class RecordsWindow : public testing::Test {
protected:
    QTemporaryDir dir;
    QSettings settings{dir.filePath(S("corvane-tables.conf")), QSettings::IniFormat};
    S savePath = dir.filePath(S("out.csv"));
    QStringList warnings;
    std::unique_ptr<TablesWindow> window = open();

    void TearDown() override { EXPECT_EQ(warnings, QStringList()); }
    std::unique_ptr<TablesWindow> open() {
        Dialogs dialogs{[this](QWidget*, const S&, const S&, const S&) { return savePath; },
                        [this](QWidget*, const S& text) { warnings << text; }};
        dialogs.openPaths = [](QWidget*, const S&) {
            return QStringList{RecordsData("trunk.csv")};
        };
        return std::make_unique<TablesWindow>(settings, dialogs);
    }
    RecordsTab* tab() { return window->findChild<RecordsTab*>(); }
    template <typename T = QWidget> T* get(const char* name) {
        auto* found = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    JobBar* job() {
        return qobject_cast<JobBar*>(get<QPushButton>("recordsCancel")->parentWidget());
    }
    bool idle() {
        return QTest::qWaitFor([&] { return !job()->busy(); }, 20000);
    }
    void type(const char* field, const S& text) { get<QLineEdit>(field)->setText(text); }
    void read(const QStringList& files) {
        window->tabs()->setCurrentWidget(tab());
        tab()->addFiles(files);
        ASSERT_TRUE(idle());
    }
};

// Read off the window's thread; the normal load taken to 三方向計算 needs the
// lines the summary gives for it; a dropped file is read with the others.
TEST_F(RecordsWindow, NormalLoadSizedOnThreeWayAsTheSummarySaysAndDroppedFilesRead) {
    type("recordsTimezone", S("UTC"));
    read({RecordsData("midnight.csv")});
    const records::Summary summary = tab()->days().report().summary;
    ASSERT_EQ(summary.days, 3);
    EXPECT_FALSE(tab()->stale());
    EXPECT_TRUE(
        get<QLabel>("recordsSummary")->text().contains(S("必要回線数 %1").arg(summary.lines)));
    EXPECT_TRUE(get<QLabel>("recordsReading")->text().contains(S("読めなかった行 5")));
    get<QPushButton>("recordsToThreeWay")->click();
    EXPECT_EQ(window->tabs()->currentWidget(), window->findChild<ThreeWayTab*>());
    EXPECT_EQ(get<QLineEdit>("solveLines")->text(), S::number(summary.linesNormal));
    EXPECT_EQ(get<QLineEdit>("solveTraffic")->text(), Exact(summary.normalLoad));

    window->tabs()->setCurrentWidget(tab());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(RecordsData("trunk.csv"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(tab(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(tab(), &drop);
    ASSERT_TRUE(idle());
    EXPECT_EQ(tab()->files().size(), 2);
    records::ReadOptions utc;
    utc.timezone = "UTC";
    const std::int64_t dropped = ReadCallRecords({RecordsData("trunk.csv")}, utc).calls;
    EXPECT_EQ(tab()->days().report().summary.calls, summary.calls + dropped);
}

// 中止 stops a long read: the answer shown is stale, and reading again reads
// the files whole.
TEST_F(RecordsWindow, CancelledReadStopsAndLeavesTheAnswerStale) {
    const S big = dir.filePath(S("big.csv"));
    {
        std::ofstream out(big.toStdString());
        out << "start,end\n";
        for (int i = 0; i < 400000; ++i) {
            out << 1717200000 + i << ',' << 1717200000 + i + 120 << '\n';
        }
    }
    get<QComboBox>("recordsFormat")->setCurrentIndex(4); // csv
    type("recordsStartColumn", S("start"));
    type("recordsEndColumn", S("end"));
    type("recordsTimezone", S("UTC"));
    QSignalSpy said(tab(), &Tab::said);
    window->tabs()->setCurrentWidget(tab());
    tab()->addFiles({big});
    ASSERT_TRUE(job()->busy());
    job()->cancelButton()->click();
    ASSERT_TRUE(idle());
    EXPECT_TRUE(tab()->stale());
    ASSERT_FALSE(said.isEmpty());
    EXPECT_EQ(said.last().value(0).toString(), S("読み込みを中止しました。"));
    get<QPushButton>("recordsRead")->click();
    ASSERT_TRUE(idle());
    EXPECT_FALSE(tab()->stale());
    EXPECT_EQ(tab()->days().report().summary.calls, 400000);
}

// What will not do is marked where it was given, in the window's words, and
// never ends the window.
TEST_F(RecordsWindow, EachRefusalMarkedAtItsField) {
    const struct {
        const char* name;
        const char* field; // typed into, with the format chosen
        S text;
        int format;
        const char* file;
        const char* marked;
        S says;
    } cases[] = {
        {"a zone tzdata lacks", "recordsTimezone", S("Mars/Olympus"), 0, "trunk.csv",
         "recordsTimezoneError", S("タイムゾーン「Mars/Olympus」は使えません")},
        {"csv without its columns",
         "recordsTrunk",
         {},
         4,
         "trunk.csv",
         "recordsStartColumnError",
         S("CSV 形式では開始の列が必要です")},
        {"a trunk on records that name no channels", "recordsTrunk", S("SIP/*"), 0,
         "freeswitch.csv", "recordsTrunkError", S("チャネル名がありません")},
        {"not call records",
         "recordsTrunk",
         {},
         0,
         "reference.csv",
         "recordsFilesError",
         S("通話記録として読めません")},
        {"a file gone",
         "recordsTrunk",
         {},
         0,
         "gone.csv",
         "recordsFilesError",
         S("cannot be opened")},
        {"blocking out of range", "recordsBlocking", S("1.5"), 0, "trunk.csv",
         "recordsBlockingError", S("1 未満")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window = open();
        get<QComboBox>("recordsFormat")->setCurrentIndex(c.format);
        type(c.field, c.text);
        read({RecordsData(c.file)});
        auto* error = get<QLabel>(c.marked);
        EXPECT_FALSE(error->isHidden());
        EXPECT_TRUE(error->text().contains(c.says)) << error->text().toStdString();
        EXPECT_TRUE(tab()->stale());
    }
}

// Inputs and files come back with the window; a value edited into the
// settings that will not do is marked, not taken.
TEST_F(RecordsWindow, InputsAndFilesRememberedAndCheckedAsReadBack) {
    type("recordsTimezone", S("Asia/Tokyo"));
    get<QComboBox>("recordsInterval")->setCurrentIndex(0);
    read({RecordsData("cucm.csv")});
    window->close();
    window = open();
    EXPECT_EQ(get<QLineEdit>("recordsTimezone")->text(), S("Asia/Tokyo"));
    EXPECT_EQ(get<QComboBox>("recordsInterval")->currentData().toInt(), 1);
    EXPECT_EQ(tab()->files(), QStringList{RecordsData("cucm.csv")});
    ASSERT_TRUE(idle());
    EXPECT_GT(tab()->days().report().summary.calls, 0);

    window->close();
    settings.setValue(S("inputs/recordsTimezone"), S("Nowhere/City"));
    settings.setValue(S("inputs/recordsInterval"), 99);
    settings.setValue(S("inputs/recordsFiles"), S("not a list"));
    settings.sync();
    window = open();
    EXPECT_EQ(get<QComboBox>("recordsInterval")->currentData().toInt(), 15);
    EXPECT_FALSE(get<QLabel>("recordsTimezoneError")->isHidden());
    EXPECT_TRUE(tab()->stale());
}

// The days as CSV after the inputs they answer; the heat map as a picture.
TEST_F(RecordsWindow, DaysSavedWithTheirInputsAndTheHeatMapAsAPicture) {
    type("recordsTimezone", S("UTC"));
    get<QPushButton>("recordsAdd")->click();
    ASSERT_TRUE(idle());
    tab()->views()->setCurrentIndex(1);
    tab()->save();
    QFile csv(savePath);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const S text = S::fromUtf8(csv.readAll());
    EXPECT_TRUE(text.contains(S("# ファイル,") + RecordsData("trunk.csv")));
    EXPECT_TRUE(text.contains(S("# タイムゾーン,UTC\r\n")));
    EXPECT_TRUE(
        text.contains(S("日付,呼数,同時最大,最繁時,最繁時呼量(アーラン)\r\n2024-06-01 (土),")));
    tab()->views()->setCurrentIndex(0);
    for (const char* name : {"heat.png", "heat.svg"}) {
        savePath = dir.filePath(S(name));
        tab()->save();
        QFile picture(savePath);
        ASSERT_TRUE(picture.open(QIODevice::ReadOnly)) << name;
        const QByteArray bytes = picture.readAll();
        EXPECT_TRUE(name[5] == 's' ? bytes.contains("<svg") : !QImage::fromData(bytes).isNull());
    }
}

} // namespace
