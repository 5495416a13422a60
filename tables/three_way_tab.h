// 三方向計算: any two of traffic, blocking and lines give the third.
#pragma once

#include "tables/tab.h"
#include "tables/three_way.h"

class QLabel;
class QRadioButton;
class QTableWidget;

namespace tables {

class ThreeWayTab : public Tab {
    Q_OBJECT

public:
    ThreeWayTab(Dialogs dialogs, QWidget* parent);
    void compute() override;

private:
    void showUnknown();

    QRadioButton* solveFor_[3];
    InputField* fields_[3];
    InputField* sources_;
    QLabel* explain_;
    QTableWidget* around_;
};

} // namespace tables
