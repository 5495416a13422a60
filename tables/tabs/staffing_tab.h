// コールセンター: the agents one interval needs, by Erlang C or, with a
// patience, by Erlang A, with shrinkage and an occupancy cap; by Erlang X
// with lines, redials, a forecast's variance or another definition of the
// service level or the wait. The table around the answer, a chart of what
// each agent more buys, and a whole day's staffing from the calls of each
// interval, pasted or read from a CSV file. Erlang X with a forecast's
// variance takes milliseconds a figure: it runs off the window's thread.
#pragma once

#include "tables/models/carried_day.h"
#include "tables/models/day_staffing.h"
#include "tables/models/staffing.h"
#include "tables/tabs/shifts_view.h"
#include "tables/widgets/tab.h"
#include "tables/widgets/veil.h"

#include <QPointF>

#include <optional>

class QChartView;
class QSplitter;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QTabWidget;

namespace tables {

class CarriedDayView;

class StaffingTab : public Tab {
    Q_OBJECT

public:
    StaffingTab(Dialogs dialogs, QWidget* parent);
    void stop() override;
    // The view shown: the table around the answer or the day as CSV, the
    // chart as a picture.
    void save() override;
    // The day as CSV, staffed first if its volumes changed; refused when
    // there is no interval to save.
    void saveDay();
    // The whole day, whatever is selected in it.
    void copyDay();

    QTabWidget* views() const { return views_; }
    ShiftsView* shifts() const { return shifts_; }
    // Reads a CSV file of interval volumes into the volumes box, then computes.
    void importVolumes();

protected:
    bool compute() override;
    bool computing() const override;
    InputField* fieldFor(teletraffic::Argument argument) const override;
    QString refusalText(const std::exception& error) const override;
    // With the day's interval where its labels set it.
    QList<QStringList> statedInputs() const override;
    // The view shown (表, グラフ, 1日の要員計画) across a restart.
    void restoreMore(const QSettings& settings) override;
    void rememberMore(QSettings& settings) const override;
    // The headline's figures, or the day's summary for the day's file.
    QList<QStringList> statedAnswer() const override;

private:
    QWidget* dayPage();
    void showTarget();
    void fitLabels();
    std::optional<StaffingInputs> read();
    // Mark what will not do together, each from the fields it needs
    // (none where one of them does not read); false if anything.
    bool checkTraffic(std::optional<double> traffic);
    // `queueEnds`: a patience or lines given.
    bool checkVariance(std::optional<double> calls, std::optional<double> variance,
                       std::optional<bool> queueEnds);
    void showStaffing(Staffing staffing);
    void showAnswer(const Staffing& staffing);
    void showChart(const Staffing& staffing);
    // Says the figures of the agent count nearest the pointer on a curve.
    void hover(QPointF at);
    void showDay(Day day);
    void showDayChart(const Day& day);
    // The day carried over shown (過渡解析), or the usual day alone (区間ごと).
    void showCarried(const Day& day, CarriedDay carried);
    bool carryOver() const;
    // The day shown carried over again with the schedule to judge.
    void judgeSchedule();

    InputField* calls_;
    InputField* variance_;
    InputField* interval_;
    InputField* aht_;
    InputField* patience_;
    InputField* lines_;
    InputField* redial_;
    QComboBox* targetKind_;
    InputField* targetTime_;
    QComboBox* basis_;
    InputField* serviceLevel_;
    QComboBox* waitBasis_;
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
    QLabel* dayNote_;
    Veil* dayVeil_;
    QComboBox* dayMethod_;
    QSplitter* daySplit_;
    CarriedDayView* carriedView_;
    ShiftsView* shifts_;
    JobBar* job_;
    bool savingDay_ = false;
    // The answer shown is not yet the inputs' own: its work runs.
    bool answerPending_ = false;
    // The day, which may be computed after the answer, on its own: a stop
    // leaves the answer current and greys the day alone.
    enum class DayState { Current, Computing, Stopped };
    DayState dayState_ = DayState::Current;
    void setDayState(DayState state);
    // readyToExport, and the day current.
    bool dayReady(Export kind);
};

} // namespace tables
