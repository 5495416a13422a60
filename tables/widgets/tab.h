// What the tabs share: a column of fields and buttons on the left with
// the answer on the right; Enter in any field computes; their inputs kept in
// the settings; exports of exactly what is shown; the dialogs they open go
// through a seam that tests replace; long work runs on the thread pool under
// a progress bar with a cancel button.
#pragma once

#include "tables/widgets/input_field.h"
#include "teletraffic/error.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QAbstractItemModel;
class QChartView;
class QComboBox;
class QFormLayout;
class QLabel;
class QHBoxLayout;
class QProgressBar;
class QTableView;
class QPushButton;
class QScrollArea;
class QSettings;
class QVBoxLayout;

namespace tables {

// A view inside a tab that keeps its own inputs in the settings and answers
// from them (シフト作成) sets this property true: its controls are then
// not the tab's inputs, and changing them leaves the tab's answer current.
inline constexpr char kOwnInputs[] = "corvaneOwnInputs";

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
    // Files to read, or none.
    std::function<QStringList(QWidget* owner, const QString& filters)> openPaths =
        [](QWidget*, const QString&) { return QStringList(); };
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
        run(future, done, [](T) {});
    }
    // The same, and each(result) for each result on this thread as it comes,
    // in their order, every one before done; none once the work is stopped.
    template <typename T, typename Done, typename Each>
    void run(QFuture<T> future, Done done, Each each) {
        auto* watcher = new QFutureWatcher<T>(this);
        auto shown = std::make_shared<int>(0);
        const auto showUpTo = [watcher, each, shown](int end) {
            for (; *shown < end; ++*shown) {
                each(watcher->future().resultAt(*shown));
            }
        };
        connect(watcher, &QFutureWatcherBase::resultReadyAt, this,
                [showUpTo](int at) { showUpTo(at + 1); });
        connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, done, showUpTo] {
            // A result of work stopped comes no later than this, or not at all.
            watcher->disconnect(this);
            stopWatching();
            showUpTo(watcher->future().isCanceled() ? 0 : watcher->future().resultCount());
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

// What an export is for: a file (the answer with the inputs it answers) or
// the clipboard (what is selected of it).
enum class Export { Save, Copy };

// What the answer shown is to the inputs as they stand: theirs, or not yet
// because they give none (marked in their fields), because it is being
// computed, or because its computation was stopped. Only a current one is
// saved or copied; the others are greyed under a note saying which.
enum class AnswerState { Current, Stale, Recomputing, Stopped };

class Veil;

// A tab: inputs in a column on the left, the answer on the right.
//
// Its inputs are its named controls (line edits, text boxes, check and radio
// buttons, choice boxes), kept in the settings under "inputs/<name>", and
// whatever a tab adds (restoreMore, rememberMore, moreInputs). The window
// treats every tab alike through run, stop, save, restore and remember.
//
// Exports (Ctrl+S, a save button, Ctrl+C) go through readyToExport, so that
// what is exported is always what the screen shows for the inputs as they
// stand: a field typed into without Enter, or inputs changed and not
// computed, are computed first (a copy then stops there, for the user to see
// the new answer before copying it); an answer that is stale, or still being
// computed, is refused with the reason. saveTable and saveChart do the rest
// of a save: a CSV file opens with the inputs it answers, as lines that begin
// with "#" (csvHead), and a chart is saved as PNG, JPEG or SVG as its name
// says.
class Tab : public QWidget {
    Q_OBJECT

public:
    Tab(const char* name, Dialogs dialogs, QWidget* parent);

    // Computes through compute(); what the engine refuses is marked at the
    // field it names, or said in the status bar, and never leaves the tab.
    // While the inputs give no answer, the one shown is stale: greyed, still
    // legible, neither saved nor copied; so while it is being recomputed, or
    // once stopped, each said in the note above it.
    void run();
    // Stops any work in the background.
    virtual void stop() {}
    // Saves the tab's answer to a file (Ctrl+S).
    virtual void save() {}

    // Reads every input from `settings` (each value is checked when the tab
    // next computes, like a typed one), then reports each change by edited().
    void restore(const QSettings& settings);
    void remember(QSettings& settings) const;

    // True when the answer shown may be exported as `kind`; otherwise false,
    // the user told why (a dialog for a save, the status bar for a copy).
    bool readyToExport(Export kind);

    bool stale() const { return state_ != AnswerState::Current; }
    AnswerState answerState() const { return state_; }
    // The folder the save dialogs open in.
    void setFolder(const QString& folder) { folder_ = folder; }

signals:
    // What the tab did, for the window's status bar.
    void said(const QString& text);
    // A file was written at `path`.
    void savedTo(const QString& path);
    // An input changed.
    void edited();

protected:
    // Reads the fields, marks the bad ones and, if none is, shows the answer
    // (or starts the work that will). False when the answer shown is not the
    // inputs' own.
    virtual bool compute() = 0;
    // True while compute's work runs off this thread.
    virtual bool computing() const { return false; }
    // The field to mark for what the engine says of `argument`.
    virtual InputField* fieldFor(teletraffic::Argument argument) const;
    // What the engine's refusal says, in the window's words (engine_error.h).
    virtual QString refusalText(const std::exception& error) const;
    // Marks what the engine refused at its field, or says it in the status
    // bar: as run() does, for work that ended off this thread.
    void refuse(const std::exception& error);
    // Scrolls the mark of the field being typed into into sight.
    void revealMark();
    // Marks a choice whose restored value is none of its items ("7"),
    // beneath it, until it is chosen again.
    void markChoice(QComboBox* box, const QString& error);
    // Inputs that are not named controls (a list in a model).
    virtual void restoreMore(const QSettings&) {}
    virtual void rememberMore(QSettings&) const {}
    virtual QStringList moreInputs() const { return {}; }

    InputField* addField(const char* name, const QString& label, const QString& text,
                         const Range& range,
                         std::optional<teletraffic::Argument> argument = std::nullopt);
    QPushButton* addButton(const char* name, const QString& text);
    void setStale(bool stale) { setAnswerState(stale ? AnswerState::Stale : AnswerState::Current); }
    // For work off this thread: once it ends, what it left (Current, Stopped
    // or Stale) in place of Recomputing.
    void setAnswerState(AnswerState state);
    // Why an answer in `state` is not saved or copied; empty for a current one.
    static QString ExportRefusal(AnswerState state, Export kind);
    // Inputs shown among the results (a box of volumes) stay unwashed while
    // the results are stale.
    void keepClear(QWidget* input);

    // The inputs a saved file states, a line each: a label, then its values.
    // By default the form's rows in sight: each field with its numbers as
    // read (or its empty text's meaning), each choice as chosen.
    virtual QList<QStringList> statedInputs() const;
    // The answer a saved file states beneath its inputs, as the screen says
    // it above the table (the agents, what decided), a line each.
    virtual QList<QStringList> statedAnswer() const { return {}; }
    // The start of a CSV file: the byte-order mark, then a line naming the
    // program and the tab, a line for each stated input, then the answer,
    // each line beginning with "#" (pandas: read_csv(path, comment="#")).
    QByteArray csvHead() const;
    // Saves `table` (after readyToExport, which may recompute it) as CSV to a
    // path the user chooses, `name` offered, and says so.
    void saveTable(const QAbstractItemModel& table, const QString& name);
    // Saves `view`'s chart (after readyToExport) as PNG, JPEG or SVG, as the
    // name chosen says; text in an SVG names the font it was drawn with
    // first, then the one asked for and a generic family.
    void saveChart(QChartView* view, const QString& name);
    // The same for any widget that draws a picture of its own.
    void savePicture(QWidget* view, const QString& name);
    // A path to save to from the save dialog, in the last folder used.
    QString askPath(const QString& name, const QString& filters, const QString& suffix);
    // After a save: savedTo(path), and `text` in the status bar.
    void reportSaved(const QString& path, const QString& text);

    QFormLayout* form_;
    QVBoxLayout* side_;  // the fields, then the buttons
    QVBoxLayout* right_; // the answer
    Dialogs dialogs_;

private:
    // Every input, as text, to tell whether any changed since the last run.
    QString inputsText() const;
    // Commits a table cell being edited, as Enter would.
    void commitEditor();

    std::vector<std::pair<teletraffic::Argument, InputField*>> arguments_;
    QScrollArea* sideScroll_;
    QLabel* note_;
    QWidget* results_;
    Veil* veil_; // greys the results while not current
    AnswerState state_ = AnswerState::Current;
    bool refusalSaid_ = false; // the status bar holds a refusal of this tab's
    QString computedFor_;      // inputsText() at the last run
    bool recomputed_ = false;  // by the last readyToExport
    QString folder_;
};

// Ctrl+C on `view` copies the rows and columns of its selection under their
// headings, or the whole table when nothing is selected; only what
// `tab`'s readyToExport lets through, or `ready` where given.
void AddCopy(QTableView* view, Tab* tab, std::function<bool()> ready = {});

} // namespace tables
