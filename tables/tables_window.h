// Corvane Tables: one window, a tab each for the Erlang B table (表), the
// curves (グラフ), the three-way solve (三方向計算), call-centre staffing
// (コールセンター), overflow to a final group (迂回) and call records read into
// the busy hour and its circuits (通話記録), in the main window's
// fonts and words. The window holds them as a list and treats them alike: a
// new tab is a line in the list (tables_window.cpp) and its own files.
//
// The window remembers every input, the tab, the last folder saved to and its
// geometry in the QSettings it is given: read as it opens (each tab then
// computes from what it read, marking what will not do) and written as they
// change and as it closes. The folder the settings go in is made if it is
// missing (a new user's configuration folder has none yet). The first window
// on a settings file locks it; a second one opened meanwhile reads it but
// does not write it, so that neither overwrites the other's settings unseen.
// Either, and settings that cannot be written (a folder that cannot be made,
// a file that is read only), is said for as long as it holds, in the status
// bar beside the passing messages. The models (erlang_table.h, curves.h,
// three_way.h, staffing.h, day_staffing.h over volumes.h, overflow.h) do the
// work; the tabs (*_tab.h) only read fields and show.
#pragma once

#include "tables/widgets/tab.h"

#include <QLockFile>
#include <QMainWindow>

class QLabel;
class QSettings;
class QTabWidget;
class QTimer;

namespace tables {

class TablesWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit TablesWindow(QSettings& settings, Dialogs dialogs = RealDialogs(),
                          QWidget* parent = nullptr);
    ~TablesWindow() override;

    QTabWidget* tabs() const { return tabs_; }
    // Whether this window writes its settings: it holds the lock, and the
    // last write, if any, went through.
    bool remembers() const { return lock_.isLocked() && unwritable_.isEmpty(); }
    // What the status bar says for as long as it holds (a second window,
    // settings that cannot be written), or empty.
    QString notice() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void lock();
    void save();
    void saveSoon();
    void showNotice();

    QSettings& settings_;
    QTabWidget* tabs_;
    QList<Tab*> all_;
    QLockFile lock_;
    QTimer* saveTimer_;
    QLabel* notice_;
    bool second_ = false; // another window holds the lock
    QString unwritable_;  // why the settings cannot be written
};

} // namespace tables
