// グラフ: blocking against lines, or lines needed against traffic.
#pragma once

#include "tables/models/curves.h"
#include "tables/widgets/tab.h"

class QChartView;
class QComboBox;
class QLabel;

namespace tables {

class ChartTab : public Tab {
    Q_OBJECT

public:
    ChartTab(Dialogs dialogs, QWidget* parent);
    void stop() override { job_->cancelAndWait(); }
    void save() override { saveChart(view_, QStringLiteral("erlang-b.png")); }

    // Says the values under the pointer at a point of a curve.
    void hover(const Curve& curve, QPointF at);

protected:
    bool compute() override;
    bool computing() const override { return job_->busy(); }

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

} // namespace tables
