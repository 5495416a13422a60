// The four tabs of Corvane Tables. Each reads its fields, has the models of
// this folder compute, and shows what they give.
#pragma once

#include "tables/curves.h"
#include "tables/erlang_table.h"
#include "tables/staffing.h"
#include "tables/tab.h"
#include "tables/three_way.h"

class QCheckBox;
class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTableView;
class QTableWidget;

namespace tables {

// 表: the Erlang B table, its copy and its CSV export.
class TableTab : public Tab {
public:
    TableTab(Dialogs dialogs, QWidget* parent);
    void compute() override;
    void stop() override { job_->cancelAndWait(); }

    ErlangTableModel* model() const { return model_; }
    QTableView* view() const { return view_; }
    // Copies the selected cells with their headings.
    void copySelection();
    void exportCsv();

private:
    void turn();

    InputField* first_;
    InputField* last_;
    InputField* step_;
    InputField* targets_;
    InputField* recall_;
    QCheckBox* trafficRows_;
    QPushButton* export_;
    JobBar* job_;
    QLabel* meaning_;
    QTableView* view_;
    ErlangTableModel* model_;
};

// グラフ: blocking against lines, or lines needed against traffic.
class ChartTab : public Tab {
public:
    ChartTab(Dialogs dialogs, QWidget* parent);
    void compute() override;
    void stop() override { job_->cancelAndWait(); }

    // Says the values under the pointer at a point of a curve.
    void hover(const Curve& curve, QPointF at);
    void saveImage();

private:
    void showKind();
    void show(const Curves& curves);

    QComboBox* kind_;
    InputField* traffics_;
    InputField* target_;
    InputField* firstLines_;
    InputField* lastLines_;
    InputField* targets_;
    InputField* firstTraffic_;
    InputField* lastTraffic_;
    JobBar* job_;
    QChartView* view_;
    QLabel* hover_;
    Curves curves_;
};

// 三方向計算: any two of traffic, blocking and lines give the third.
class ThreeWayTab : public Tab {
public:
    ThreeWayTab(Dialogs dialogs, QWidget* parent);
    void compute() override;

private:
    void showUnknown();

    QRadioButton* solveFor_[3];
    InputField* fields_[3];
    QLabel* explain_;
    QTableWidget* around_;
};

// コールセンター: agents needed by Erlang C.
class StaffingTab : public Tab {
public:
    StaffingTab(Dialogs dialogs, QWidget* parent);
    void compute() override;

private:
    InputField* calls_;
    InputField* interval_;
    InputField* aht_;
    InputField* targetTime_;
    InputField* serviceLevel_;
    QLabel* answer_;
    QTableView* view_;
    StaffingModel* model_;
};

} // namespace tables
