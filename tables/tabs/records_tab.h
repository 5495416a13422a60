// 通話記録: a switch's call records, opened or dropped on the tab, read off
// the window's thread under a progress bar with 中止, into a heat map of
// each period's traffic (days down, clock time across) with the
// time-consistent busy hour marked, a table of the days, and the summary
// with the circuits; 三方向計算へ takes the normal load there. Its inputs are
// the room's options (records/options.h) in the window's words, each refusal
// marked at its field; the files read are kept, so that a change of the
// summary's inputs does not read them again.
#pragma once

#include "tables/models/call_records.h"
#include "tables/widgets/tab.h"

#include <optional>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableView;
class QTabWidget;

namespace tables {

class HeatMap;

class RecordsTab : public Tab {
    Q_OBJECT

public:
    RecordsTab(Dialogs dialogs, QWidget* parent);
    void stop() override;
    // The view shown: the days as CSV, the heat map as a picture.
    void save() override;

    // Adds files to those read, then reads them all.
    void addFiles(const QStringList& paths);
    void openFiles();
    QStringList files() const;

    HeatMap* heatMap() const { return heat_; }
    const RecordsDaysModel& days() const { return *days_; }
    QTabWidget* views() const { return views_; }

signals:
    // 三方向計算へ: the normal load and the blocking it is to meet.
    void normalLoad(double erlangs, double blocking);

protected:
    bool compute() override;
    bool computing() const override;
    void restoreMore(const QSettings& settings) override;
    void rememberMore(QSettings& settings) const override;
    QStringList moreInputs() const override;
    QList<QStringList> statedInputs() const override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The options the fields give, each refused one marked; none if any is.
    std::optional<records::Options> read();
    void mark(const std::exception& error);
    void showCsvFields();
    void show(const records::Tally& tally, const records::Options& options);
    void clearFiles();
    void sendNormalLoad();
    InputField* fieldOf(records::Option option) const;
    // The read options and the files as they stand on disk: a reading of
    // the same key need not be done again.
    QString readKey(const records::Options& options) const;

    QListWidget* files_;
    QLabel* filesError_;
    QComboBox* format_;
    InputField* timezone_;
    QComboBox* interval_;
    InputField* trunk_;
    QComboBox* holding_;
    std::vector<std::pair<records::Option, InputField*>> fields_;
    InputField* blocking_;
    InputField* highBlocking_;
    InputField* normalDays_;
    InputField* highDays_;
    InputField* lines_;
    QLabel* summary_;
    QLabel* reading_;
    QTabWidget* views_;
    HeatMap* heat_;
    QTableView* daysView_;
    RecordsDaysModel* days_;
    QPushButton* toThreeWay_;
    JobBar* job_;

    std::optional<records::Tally> tally_;
    QString tallyFor_;
    records::SummaryOptions shownFor_;
};

} // namespace tables
