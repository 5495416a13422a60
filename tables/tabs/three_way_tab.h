// 三方向計算: any two of traffic, blocking and lines give the third.
#pragma once

#include "tables/models/three_way.h"
#include "tables/widgets/tab.h"

class QLabel;
class QRadioButton;
class QTableWidget;

namespace tables {

class ThreeWayTab : public Tab {
    Q_OBJECT

public:
    ThreeWayTab(Dialogs dialogs, QWidget* parent);
    // The table beside the answer as CSV.
    void save() override;
    // The lines that carry `traffic` at `blocking` by Erlang B, solved as if
    // typed (a load measured elsewhere, 通話記録's).
    void solveLines(double traffic, double blocking);

protected:
    bool compute() override;
    InputField* fieldFor(teletraffic::Argument argument) const override;
    QString refusalText(const std::exception& error) const override;

private:
    void showUnknown();
    // The unknown chosen; the values are not read.
    ThreeWayInputs inputs() const;

    QRadioButton* solveFor_[kUnknowns]; // in the order of Unknown
    InputField* fields_[kUnknowns];
    InputField* sources_;
    QLabel* explain_;
    QTableWidget* around_;
};

} // namespace tables
