// What the tabs share: a column of fields and buttons on the left with
// the answer on the right; Enter in any field computes; the dialogs they open
// go through a seam that tests replace; long work runs on the thread pool
// under a progress bar with a cancel button.
#pragma once

#include "tables/input_field.h"
#include "teletraffic/error.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QFormLayout;
class QLabel;
class QHBoxLayout;
class QProgressBar;
class QTableView;
class QPushButton;
class QVBoxLayout;

namespace tables {

// The modal dialogs, real by default; tests answer them instead.
struct Dialogs {
    // A path to save to, or empty if the user gave up. `suffix` is added
    // to a name typed without one.
    std::function<QString(QWidget* owner, const QString& name, const QString& filters,
                          const QString& suffix)>
        savePath;
    std::function<void(QWidget* owner, const QString& text)> warn;
    // A file to read, or empty if the user gave up.
    std::function<QString(QWidget* owner, const QString& filters)> openPath =
        [](QWidget*, const QString&) { return QString(); };
};
Dialogs RealDialogs();

// A progress bar and a cancel button for one piece of work at a time,
// hidden while there is none.
class JobBar : public QWidget {
    Q_OBJECT

public:
    JobBar(const char* name, QWidget* parent);

    bool busy() const { return watcher_ != nullptr; }
    QPushButton* cancelButton() const { return cancel_; }

    // Watches `future`, then calls done(future) on this thread when it ends,
    // cancelled from the button or not.
    template <typename T, typename Done> void run(QFuture<T> future, Done done) {
        auto* watcher = new QFutureWatcher<T>(this);
        connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, done] {
            stopWatching();
            done(watcher->future());
        });
        startWatching(watcher);
        watcher->setFuture(future);
    }

    // Cancels the work and waits for it to stop, without calling its `done`:
    // new work replaces it, or the window closes.
    void cancelAndWait();

private:
    void startWatching(QFutureWatcherBase* watcher);
    void stopWatching();

    QProgressBar* bar_;
    QPushButton* cancel_;
    QFutureWatcherBase* watcher_ = nullptr;
};

class Tab : public QWidget {
    Q_OBJECT

public:
    Tab(const char* name, Dialogs dialogs, QWidget* parent);

    // Computes through compute(); what the engine refuses is marked at the
    // field it names, or said in the status bar, and never leaves the tab.
    // While the inputs give no answer, the one shown is stale.
    void run();
    // Stops any work in the background.
    virtual void stop() {}
    // Saves the tab's answer to a file (Ctrl+S), unless it is stale.
    virtual void save() {}

    bool stale() const { return stale_; }
    // The folder the save dialogs open in.
    void setFolder(const QString& folder) { folder_ = folder; }

signals:
    // What the tab did, for the window's status bar.
    void said(const QString& text);
    // A file was written at `path`.
    void savedTo(const QString& path);

protected:
    // Reads the fields, marks the bad ones and, if none is, shows the answer
    // (or starts the work that will). False when the answer shown is not the
    // inputs' own.
    virtual bool compute() = 0;
    // The field to mark for what the engine says of `argument`.
    virtual InputField* fieldFor(teletraffic::Argument argument) const;

    // A field; `argument`, the engine's argument it gives, if any.
    InputField* addField(const char* name, const QString& label, const QString& text,
                         const Range& range,
                         std::optional<teletraffic::Argument> argument = std::nullopt);
    QPushButton* addButton(const char* name, const QString& text);
    // True, having told the user, when the answer is stale and not to be saved.
    bool refuseStale();
    // A path to save to from the save dialog, in the last folder used.
    QString askPath(const QString& name, const QString& filters, const QString& suffix);
    void setStale(bool stale);

    QFormLayout* form_;
    QVBoxLayout* side_;  // the fields, then the buttons
    QVBoxLayout* right_; // the answer
    Dialogs dialogs_;

private:
    std::vector<std::pair<teletraffic::Argument, InputField*>> arguments_;
    QLabel* note_;
    QWidget* results_;
    bool stale_ = false;
    QString folder_;
};

// Ctrl+C on `view` copies the rows and columns of its selection under their
// headings, or the whole table when nothing is selected; not while `tab`'s
// answer is stale.
void AddCopy(QTableView* view, Tab* tab);

} // namespace tables
