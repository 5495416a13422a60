// 表: the Erlang B table, its copy and its CSV export.
#pragma once

#include "tables/models/erlang_table.h"
#include "tables/widgets/tab.h"

class QCheckBox;
class QLabel;
class QTableView;

namespace tables {

class TableTab : public Tab {
    Q_OBJECT

public:
    TableTab(Dialogs dialogs, QWidget* parent);
    void stop() override { job_->cancelAndWait(); }
    void save() override { exportCsv(); }

    ErlangTableModel* model() const { return model_; }
    QTableView* view() const { return view_; }
    // Copies the selected cells with their headings.
    void copySelection();
    void exportCsv();

protected:
    bool compute() override;

private:
    void turn();

    InputField* first_;
    InputField* last_;
    InputField* step_;
    InputField* targets_;
    InputField* recall_;
    InputField* digits_;
    QCheckBox* trafficRows_;
    QPushButton* export_;
    JobBar* job_;
    QLabel* meaning_;
    QTableView* view_;
    ErlangTableModel* model_;
};

} // namespace tables
