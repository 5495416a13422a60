// コールセンター: the agents one interval needs, by Erlang C or, with a
// patience, by Erlang A, with shrinkage and an occupancy cap; the table around
// the answer, a chart of what each agent more buys, and a whole day's staffing
// from the calls of each interval, pasted or read from a CSV file.
#pragma once

#include "tables/day_staffing.h"
#include "tables/staffing.h"
#include "tables/tab.h"

#include <QPointF>

#include <optional>

class QChartView;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QTabWidget;

namespace tables {

class StaffingTab : public Tab {
    Q_OBJECT

public:
    StaffingTab(Dialogs dialogs, QWidget* parent);
    // The view shown: the table around the answer or the day as CSV, the
    // chart as a picture.
    void save() override;
    // The day as CSV, staffed first if its volumes changed; refused when
    // there is no interval to save.
    void saveDay();
    // The whole day, whatever is selected in it.
    void copyDay();

    QTabWidget* views() const { return views_; }
    // Reads a CSV file of interval volumes into the volumes box, then computes.
    void importVolumes();

protected:
    bool compute() override;
    // With the day's interval where its labels set it.
    QList<QStringList> statedInputs() const override;

private:
    QWidget* dayPage();
    void showTarget();
    std::optional<StaffingInputs> read();
    void showAnswer(const Staffing& staffing);
    void showChart(const Staffing& staffing);
    // Says the figures of the agent count nearest the pointer on a curve.
    void hover(QPointF at);
    void staffDay(const StaffingInputs& inputs);
    void showDayChart(const Day& day);

    InputField* calls_;
    InputField* interval_;
    InputField* aht_;
    InputField* patience_;
    QComboBox* targetKind_;
    InputField* targetTime_;
    InputField* serviceLevel_;
    InputField* averageWait_;
    InputField* shrinkage_;
    InputField* maxOccupancy_;
    QLabel* answer_;
    QLabel* detail_;
    QTabWidget* views_;
    QTableView* view_;
    StaffingModel* model_;
    QChartView* chart_;
    QPlainTextEdit* volumes_;
    QLabel* volumesError_;
    QLabel* daySummary_;
    QLabel* dayWarnings_;
    QTableView* dayView_;
    DayModel* dayModel_;
    QChartView* dayChart_;
    QPushButton* exportDay_;
    bool savingDay_ = false;
};

} // namespace tables
