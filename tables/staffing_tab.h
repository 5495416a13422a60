// コールセンター: agents needed by Erlang C.
#pragma once

#include "tables/staffing.h"
#include "tables/tab.h"

class QLabel;
class QTableView;

namespace tables {

class StaffingTab : public Tab {
    Q_OBJECT

public:
    StaffingTab(Dialogs dialogs, QWidget* parent);
    // The table as CSV.
    void save() override;

protected:
    bool compute() override;

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
