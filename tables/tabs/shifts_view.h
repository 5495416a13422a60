// シフト作成, the day plan's sub-view: the shift templates (the room's JSON,
// kept in the settings and checked again as they are read back), the
// objective, a solve on the room's own thread with its progress and 中止, a
// chart of the agents on the phones against the requirement with the
// shortfalls marked, and the shifts drawn as bars with their breaks.
#pragma once

#include "shifts/schedule.h"
#include "tables/models/day_staffing.h"
#include "tables/models/shift_plan.h"

#include <QWidget>

#include <memory>
#include <mutex>
#include <optional>

class QChartView;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSettings;
class QTimer;

namespace tables {

// The shifts one row each, a bar from start to end with its breaks cut out.
class ShiftBars : public QWidget {
public:
    explicit ShiftBars(QWidget* parent);
    void setSchedule(std::optional<shifts::Schedule> schedule);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<shifts::Schedule> schedule_;
};

class ShiftsView : public QWidget {
    Q_OBJECT

public:
    explicit ShiftsView(QWidget* parent);
    ~ShiftsView() override;

    // The day to schedule; a schedule of another day is cleared.
    void setDay(const Day& day);
    void solve();
    void cancel();
    // The shifts and the coverage as CSV with their inputs, to the clipboard.
    void copy();
    bool solving() const { return job_ != nullptr; }
    const std::optional<shifts::Schedule>& schedule() const { return schedule_; }
    QString note() const;
    QChartView* coverageChart() const { return coverage_; }

    void restore(const QSettings& settings);
    void remember(QSettings& settings) const;

private:
    void poll();
    void show(std::optional<shifts::Schedule> schedule);
    void checkTemplates();

    Day day_;
    QPlainTextEdit* templates_;
    QLabel* templatesError_;
    QComboBox* objective_;
    QPushButton* solve_;
    QPushButton* cancel_;
    QPushButton* copy_;
    QLabel* note_;
    QLabel* summary_;
    QChartView* coverage_;
    ShiftBars* bars_;
    QTimer* timer_;
    std::unique_ptr<shifts::SolveJob> job_;
    bool dayChanged_ = false; // since the solve running began
    std::mutex progressLock_;
    shifts::Progress progress_;
    std::optional<shifts::Schedule> schedule_;
    QString solvedTemplates_; // the inputs of the solve last begun
    ShiftObjective solvedObjective_ = ShiftObjective::Cover;
};

} // namespace tables
