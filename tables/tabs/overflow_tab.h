// 迂回: first-choice groups overflowing to a final group, and the final
// group's lines by the equivalent random method, by Hayward's approximation
// and by Erlang B on the mean alone; the final group's blocking over line
// counts, its copy and its CSV file.
//
// The groups are typed into a list among the inputs (traffic and lines); their
// overflows and the sum are shown with the answers, from the same model.
#pragma once

#include "tables/models/overflow.h"
#include "tables/widgets/tab.h"

class QLabel;
class QTableView;

namespace tables {

class OverflowTab : public Tab {
    Q_OBJECT

public:
    OverflowTab(Dialogs dialogs, QWidget* parent);
    void save() override;

    FirstChoiceModel* groups() const { return groups_; }
    FinalGroupModel* final() const { return final_; }
    void addGroup();
    void removeSelectedGroups();

protected:
    bool compute() override;
    QList<QStringList> statedInputs() const override;
    void restoreMore(const QSettings& settings) override;
    void rememberMore(QSettings& settings) const override;
    QStringList moreInputs() const override;

private:
    InputField* target_;
    QTableView* groupsView_;   // the groups as typed
    QTableView* overflowView_; // their overflows and the sum
    QLabel* answer_;
    QTableView* finalView_;
    FirstChoiceModel* groups_;
    FinalGroupModel* final_;
};

} // namespace tables
