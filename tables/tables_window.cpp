#include "tables/tables_window.h"

#include "tables/chart_tab.h"
#include "tables/overflow_tab.h"
#include "tables/staffing_tab.h"
#include "tables/table_tab.h"
#include "tables/three_way_tab.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

namespace tables {
namespace {

QFont Gothic(qreal points) {
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPointSizeF(points);
    return font;
}

// The program's icon in every size it comes in, for dense screens too.
QIcon Icon() {
    QIcon icon;
    for (int size : {32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/corvane-%1.png").arg(size));
    }
    return icon;
}

// The controls whose state is remembered: the named ones a user sets.
template <typename Control> QList<Control*> Remembered(QWidget* window) {
    QList<Control*> found;
    for (Control* control : window->findChildren<Control*>()) {
        if (!control->objectName().isEmpty() &&
            !control->objectName().startsWith(QStringLiteral("qt_"))) {
            found << control;
        }
    }
    return found;
}

QString Key(const QObject* control) {
    return QStringLiteral("inputs/") + control->objectName();
}

} // namespace

TablesWindow::TablesWindow(QSettings& settings, Dialogs dialogs, QWidget* parent)
    : QMainWindow(parent)
    , settings_(settings)
    , tabs_(new QTabWidget(this))
    , lock_(settings.fileName() + QStringLiteral(".open")) // QSettings locks ".lock" itself
    , saveTimer_(new QTimer(this)) {
    setObjectName(QStringLiteral("tablesWindow"));
    setWindowTitle(QStringLiteral("Corvane Tables"));
    setWindowIcon(Icon());
    // The main window's face, IPAPGothic where MS PGothic is missing, a size
    // up from its 9 points for tables read at length.
    setFont(Gothic(10));

    table_ = new TableTab(dialogs, tabs_);
    chart_ = new ChartTab(dialogs, tabs_);
    threeWay_ = new ThreeWayTab(dialogs, tabs_);
    staffing_ = new StaffingTab(dialogs, tabs_);
    overflow_ = new OverflowTab(dialogs, tabs_);
    tabs_->setObjectName(QStringLiteral("tabs"));
    tabs_->addTab(table_, QStringLiteral("表"));
    tabs_->addTab(chart_, QStringLiteral("グラフ"));
    tabs_->addTab(threeWay_, QStringLiteral("三方向計算"));
    tabs_->addTab(staffing_, QStringLiteral("コールセンター"));
    tabs_->addTab(overflow_, QStringLiteral("迂回"));
    setCentralWidget(tabs_);
    statusBar()->setObjectName(QStringLiteral("status"));
    const QList<Tab*> all{table_, chart_, threeWay_, staffing_, overflow_};
    for (Tab* tab : all) {
        connect(tab, &Tab::said, statusBar(),
                [this](const QString& text) { statusBar()->showMessage(text); });
        connect(tab, &Tab::savedTo, this, [this, all](const QString& path) {
            const QString folder = QFileInfo(path).absolutePath();
            for (Tab* each : all) {
                each->setFolder(folder);
            }
            if (remembers()) {
                settings_.setValue(QStringLiteral("files/folder"), folder);
                saveSoon();
            }
        });
    }
    auto* save = new QAction(this);
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, this,
            [this] { static_cast<Tab*>(tabs_->currentWidget())->save(); });
    auto* quit = new QAction(this);
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    addActions({save, quit});
    resize(1040, 680);

    // A lock whose program is gone is taken over; one held by a running
    // program is never, however old.
    lock_.setStaleLockTime(0);
    lock_.tryLock(0);
    restore();
    for (Tab* tab : all) {
        tab->setFolder(
            settings_.value(QStringLiteral("files/folder"), QDir::homePath()).toString());
        tab->run();
    }
    if (!remembers()) {
        statusBar()->showMessage(
            QStringLiteral("別の Corvane Tables が開いているため、この窓の入力は"
                           "保存しません。"));
    }

    // Saved a moment after each change, so that a crash or a power cut keeps them.
    saveTimer_->setSingleShot(true);
    saveTimer_->setInterval(500);
    connect(saveTimer_, &QTimer::timeout, this, &TablesWindow::save);
    for (QLineEdit* edit : Remembered<QLineEdit>(this)) {
        connect(edit, &QLineEdit::textEdited, this, &TablesWindow::saveSoon);
    }
    for (QPlainTextEdit* edit : Remembered<QPlainTextEdit>(this)) {
        connect(edit, &QPlainTextEdit::textChanged, this, &TablesWindow::saveSoon);
    }
    for (QAbstractButton* button : Remembered<QAbstractButton>(this)) {
        connect(button, &QAbstractButton::toggled, this, &TablesWindow::saveSoon);
    }
    for (QComboBox* box : Remembered<QComboBox>(this)) {
        connect(box, &QComboBox::currentIndexChanged, this, &TablesWindow::saveSoon);
    }
    connect(tabs_, &QTabWidget::currentChanged, this, &TablesWindow::saveSoon);
    connect(overflow_->groups(), &QAbstractItemModel::dataChanged, this, &TablesWindow::saveSoon);
    connect(overflow_->groups(), &QAbstractItemModel::modelReset, this, &TablesWindow::saveSoon);
}

void TablesWindow::saveSoon() {
    saveTimer_->start();
}

TablesWindow::~TablesWindow() {
    table_->stop();
    chart_->stop();
}

void TablesWindow::closeEvent(QCloseEvent* event) {
    table_->stop();
    chart_->stop();
    saveTimer_->stop();
    save();
    lock_.unlock();
    event->accept();
}

void TablesWindow::restore() {
    for (QLineEdit* edit : Remembered<QLineEdit>(this)) {
        edit->setText(settings_.value(Key(edit), edit->text()).toString());
        edit->setCursorPosition(0); // a long list shows its start
    }
    for (QPlainTextEdit* edit : Remembered<QPlainTextEdit>(this)) {
        edit->setPlainText(settings_.value(Key(edit), edit->toPlainText()).toString());
    }
    for (QAbstractButton* button : Remembered<QAbstractButton>(this)) {
        if (button->isCheckable()) {
            button->setChecked(settings_.value(Key(button), button->isChecked()).toBool());
        }
    }
    // Indexes out of range (an edited file) keep what the window had.
    const auto index = [this](const QString& key, int count, int fallback) {
        bool number = false;
        const int index = settings_.value(key).toInt(&number);
        return number && index >= 0 && index < count ? index : fallback;
    };
    for (QComboBox* box : Remembered<QComboBox>(this)) {
        box->setCurrentIndex(index(Key(box), box->count(), box->currentIndex()));
    }
    const QVariant groups = settings_.value(QStringLiteral("inputs/overflowGroups"));
    if (groups.isValid()) {
        overflow_->groups()->setGroups(GroupsFromList(groups.toStringList()));
    }
    tabs_->setCurrentIndex(index(QStringLiteral("window/tab"), tabs_->count(), 0));
    restoreGeometry(settings_.value(QStringLiteral("window/geometry")).toByteArray());
}

void TablesWindow::save() {
    if (!remembers()) {
        return;
    }
    for (QLineEdit* edit : Remembered<QLineEdit>(this)) {
        settings_.setValue(Key(edit), edit->text());
    }
    for (QPlainTextEdit* edit : Remembered<QPlainTextEdit>(this)) {
        settings_.setValue(Key(edit), edit->toPlainText());
    }
    for (QAbstractButton* button : Remembered<QAbstractButton>(this)) {
        if (button->isCheckable()) {
            settings_.setValue(Key(button), button->isChecked());
        }
    }
    for (QComboBox* box : Remembered<QComboBox>(this)) {
        settings_.setValue(Key(box), box->currentIndex());
    }
    settings_.setValue(QStringLiteral("inputs/overflowGroups"),
                       GroupsToList(overflow_->groups()->groups()));
    settings_.setValue(QStringLiteral("window/tab"), tabs_->currentIndex());
    settings_.setValue(QStringLiteral("window/geometry"), saveGeometry());
    settings_.sync();
}

} // namespace tables
