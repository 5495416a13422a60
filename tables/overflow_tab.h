// 迂回: first-choice groups overflowing to a final group, and the final
// group's lines by the equivalent random method, by Hayward's approximation
// and by Erlang B on the mean alone; the final group's blocking over line
// counts, its copy and its CSV file.
#pragma once

#include "tables/overflow.h"
#include "tables/tab.h"

class QLabel;
class QTableView;

namespace tables {

class OverflowTab : public Tab {
    Q_OBJECT

public:
    OverflowTab(Dialogs dialogs, QWidget* parent);
    void compute() override;

    FirstChoiceModel* groups() const { return groups_; }
    FinalGroupModel* final() const { return final_; }
    void addGroup();
    void removeSelectedGroups();
    // Copies the selected cells of the table that has the focus.
    void copySelection(QTableView* view);
    void exportCsv();

private:
    InputField* target_;
    QLabel* answer_;
    QTableView* groupsView_;
    QTableView* finalView_;
    FirstChoiceModel* groups_;
    FinalGroupModel* final_;
};

} // namespace tables
