// Corvane Tables: one window, a tab each for the Erlang B table (表), the
// curves (グラフ), the three-way solve (三方向計算), call-centre staffing
// (コールセンター) and overflow to a final group (迂回), in the main window's
// fonts and words.
//
// The window remembers every input, the tab, the last folder saved to and its
// geometry in the QSettings it is given: read as it opens (each tab then
// computes from what it read, marking what will not do) and written as they
// change and as it closes. The first window on a settings file locks it; a
// second one opened meanwhile reads it but does not write it, and says so,
// so that neither overwrites the other's settings unseen. The models
// (erlang_table.h, curves.h, three_way.h, staffing.h, overflow.h) do the work;
// the tabs (*_tab.h) only read fields and show.
#pragma once

#include "tables/tab.h"

#include <QLockFile>
#include <QMainWindow>

class QSettings;
class QTabWidget;
class QTimer;

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
    // Whether this window writes its settings (it holds the lock).
    bool remembers() const { return lock_.isLocked(); }
    TableTab* tableTab() const { return table_; }
    ChartTab* chartTab() const { return chart_; }
    OverflowTab* overflowTab() const { return overflow_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void restore();
    void save();
    void saveSoon();

    QSettings& settings_;
    QTabWidget* tabs_;
    TableTab* table_;
    ChartTab* chart_;
    ThreeWayTab* threeWay_;
    StaffingTab* staffing_;
    OverflowTab* overflow_;
    QLockFile lock_;
    QTimer* saveTimer_;
};

} // namespace tables
