// Corvane Tables: one window, a tab each for the Erlang B table (表), the
// curves (グラフ), the three-way solve (三方向計算), call-centre staffing
// (コールセンター) and overflow to a final group (迂回), in the main window's
// fonts and words.
//
// The window remembers every input, the tab and its geometry in the QSettings
// it is given, read as it opens and written as it closes; each tab computes
// from what it read. The models (erlang_table.h, curves.h, three_way.h,
// staffing.h, overflow.h) do the work; the tabs (*_tab.h) only read fields and show.
#pragma once

#include "tables/tab.h"

#include <QMainWindow>

class QSettings;
class QTabWidget;

namespace tables {

class TableTab;
class ChartTab;
class ThreeWayTab;
class StaffingTab;
class OverflowTab;

class TablesWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit TablesWindow(QSettings& settings, Dialogs dialogs = RealDialogs(),
                          QWidget* parent = nullptr);
    ~TablesWindow() override;

    QTabWidget* tabs() const { return tabs_; }
    TableTab* tableTab() const { return table_; }
    ChartTab* chartTab() const { return chart_; }
    OverflowTab* overflowTab() const { return overflow_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void restore();
    void save();

    QSettings& settings_;
    QTabWidget* tabs_;
    TableTab* table_;
    ChartTab* chart_;
    ThreeWayTab* threeWay_;
    StaffingTab* staffing_;
    OverflowTab* overflow_;
};

} // namespace tables
