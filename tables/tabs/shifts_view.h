// シフト作成, the day plan's sub-view: the shift templates as a table
// (shift_templates.h: a bad row red with its reason, kept in the settings and
// checked again as read back, read from and written to the room's JSON
// file), the objective, the time limit and the cycle; a solve on the room's
// own thread with its progress and 中止; a chart of the agents on the phones
// against the requirement with the shortfalls marked, and the shifts drawn
// as bars with their breaks; the answer copied, or saved as two CSV files.
#pragma once

#include "shifts/schedule.h"
#include "tables/models/day_staffing.h"
#include "tables/models/shift_plan.h"
#include "tables/widgets/tab.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class QChartView;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSettings;
class QTableView;
class QTimer;

namespace tables {

class InputField;
class ShiftTemplateTable;

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
    ShiftsView(Dialogs dialogs, QWidget* parent);
    ~ShiftsView() override;

    // The day to schedule; a schedule of another day is cleared.
    void setDay(const Day& day);
    void solve();
    void cancel();
    // The shifts and the coverage as CSV with their inputs, to the clipboard.
    void copy();
    // The same as two files, the shifts at the path `askPath` gives for the
    // name offered and the coverage beside it (CoveragePath), after `head`
    // (the day's inputs and answer); a failure said in a warning.
    void save(const QByteArray& head, const std::function<QString(const QString&)>& askPath);
    // The templates from a JSON file of the room's form, or to one.
    void importTemplates();
    void exportTemplates();
    ShiftTemplateTable& templates() const { return *table_; }
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
    void pasteTemplates();
    // Replaces the rows by the templates of `json`, or says why not.
    bool readTemplates(const QString& json, const QString& from);

    Dialogs dialogs_;
    Day day_;
    ShiftTemplateTable* table_;
    QTableView* templatesView_;
    QLabel* templatesError_;
    QPushButton* removeTemplate_;
    QPushButton* export_;
    QComboBox* objective_;
    InputField* timeLimit_;
    QCheckBox* cyclic_;
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
    ShiftInputs solved_; // the inputs of the solve last begun
};

} // namespace tables
