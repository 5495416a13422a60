#include "tables/tables_window.h"

#include "tables/tabs/chart_tab.h"
#include "tables/tabs/overflow_tab.h"
#include "tables/tabs/records_tab.h"
#include "tables/tabs/staffing_tab.h"
#include "tables/tabs/table_tab.h"
#include "tables/tabs/three_way_tab.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
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

template <typename T> Tab* Make(const Dialogs& dialogs, QWidget* parent) {
    return new T(dialogs, parent);
}

// The tabs in their order.
const struct {
    Tab* (*make)(const Dialogs&, QWidget*);
    const char16_t* title;
} kTabs[] = {
    {Make<TableTab>, u"表"},
    {Make<ChartTab>, u"グラフ"},
    {Make<ThreeWayTab>, u"三方向計算"},
    {Make<StaffingTab>, u"コールセンター"},
    {Make<OverflowTab>, u"迂回"},
    {Make<RecordsTab>, u"通話記録"},
};

} // namespace

TablesWindow::TablesWindow(QSettings& settings, Dialogs dialogs, QWidget* parent)
    : QMainWindow(parent)
    , settings_(settings)
    , tabs_(new QTabWidget(this))
    , lock_(settings.fileName() + QStringLiteral(".open")) // QSettings locks ".lock" itself
    , saveTimer_(new QTimer(this))
    , notice_(new QLabel(this)) {
    setObjectName(QStringLiteral("tablesWindow"));
    setWindowTitle(QStringLiteral("Corvane Tables"));
    setWindowIcon(Icon());
    // The main window's face, IPAPGothic where MS PGothic is missing, a size
    // up from its 9 points for tables read at length.
    setFont(Gothic(10));

    tabs_->setObjectName(QStringLiteral("tabs"));
    for (const auto& entry : kTabs) {
        Tab* tab = entry.make(dialogs, tabs_);
        const QString title = QString::fromUtf16(entry.title);
        tab->setWindowTitle(title); // named in the files it saves
        tabs_->addTab(tab, title);
        all_ << tab;
    }
    setCentralWidget(tabs_);
    // 通話記録's normal load sized on 三方向計算.
    auto* threeWay = findChild<ThreeWayTab*>();
    connect(findChild<RecordsTab*>(), &RecordsTab::normalLoad, this,
            [this, threeWay](double erlangs, double blocking) {
                threeWay->solveLines(erlangs, blocking);
                tabs_->setCurrentWidget(threeWay);
            });
    statusBar()->setObjectName(QStringLiteral("status"));
    // Said for as long as it holds, where the passing messages do not reach.
    notice_->setObjectName(QStringLiteral("settingsNotice"));
    // Half the bar at most, the passing messages keeping the rest.
    notice_->setWordWrap(true);
    notice_->setMinimumWidth(420);
    notice_->setMaximumWidth(560);
    statusBar()->addPermanentWidget(notice_);
    for (Tab* tab : all_) {
        connect(tab, &Tab::said, statusBar(),
                [this](const QString& text) { statusBar()->showMessage(text); });
        connect(tab, &Tab::savedTo, this, [this](const QString& path) {
            const QString folder = QFileInfo(path).absolutePath();
            for (Tab* each : all_) {
                each->setFolder(folder);
            }
            settings_.setValue(QStringLiteral("files/folder"), folder);
            saveSoon();
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

    lock();
    // Saved a moment after each change, so that a crash or a power cut keeps them.
    saveTimer_->setSingleShot(true);
    saveTimer_->setInterval(500);
    connect(saveTimer_, &QTimer::timeout, this, &TablesWindow::save);
    const QString folder =
        settings_.value(QStringLiteral("files/folder"), QDir::homePath()).toString();
    for (Tab* tab : all_) {
        tab->restore(settings_);
        connect(tab, &Tab::edited, this, &TablesWindow::saveSoon);
    }
    // An index out of range (an edited file) keeps the first tab.
    bool number = false;
    const int index = settings_.value(QStringLiteral("window/tab")).toInt(&number);
    tabs_->setCurrentIndex(number && index >= 0 && index < tabs_->count() ? index : 0);
    restoreGeometry(settings_.value(QStringLiteral("window/geometry")).toByteArray());
    for (Tab* tab : all_) {
        tab->setFolder(folder);
        tab->run();
    }
    connect(tabs_, &QTabWidget::currentChanged, this, &TablesWindow::saveSoon);
    showNotice();
}

// The settings' folder made if missing, then the lock: held by another window
// (which then writes the settings), or not to be had because nothing can be
// written there.
void TablesWindow::lock() {
    const QFileInfo file(settings_.fileName());
    const QString folder = QDir::toNativeSeparators(file.absolutePath());
    if (!QDir().mkpath(file.absolutePath())) {
        unwritable_ = QStringLiteral("設定のフォルダ %1 を作れない").arg(folder);
        return;
    }
    // A lock whose program is gone is taken over; one held by a running
    // program is never, however old.
    lock_.setStaleLockTime(0);
    if (lock_.tryLock(0)) {
        if (file.exists() && !file.isWritable()) {
            unwritable_ = QStringLiteral("設定ファイル %1 に書き込めない")
                              .arg(QDir::toNativeSeparators(file.absoluteFilePath()));
        }
    } else if (lock_.error() == QLockFile::LockFailedError) {
        second_ = true;
    } else {
        unwritable_ = QStringLiteral("設定のフォルダ %1 に書き込めない").arg(folder);
    }
}

QString TablesWindow::notice() const {
    if (second_) {
        return QStringLiteral("別の Corvane Tables が開いているため、この窓の入力は保存しません。");
    }
    if (!unwritable_.isEmpty()) {
        return QStringLiteral("%1ため、入力を保存できません（次に開くときには残りません）。")
            .arg(unwritable_);
    }
    return {};
}

void TablesWindow::showNotice() {
    notice_->setText(notice());
    notice_->setVisible(!notice_->text().isEmpty());
    QPalette red = notice_->palette();
    red.setColor(QPalette::WindowText,
                 second_ ? palette().color(QPalette::WindowText) : QColor(0xb0, 0x00, 0x20));
    notice_->setPalette(red);
}

void TablesWindow::saveSoon() {
    saveTimer_->start();
}

TablesWindow::~TablesWindow() {
    for (Tab* tab : all_) {
        tab->stop();
    }
}

void TablesWindow::closeEvent(QCloseEvent* event) {
    for (Tab* tab : all_) {
        tab->stop();
    }
    saveTimer_->stop();
    save();
    lock_.unlock();
    event->accept();
}

void TablesWindow::save() {
    if (!lock_.isLocked()) {
        return;
    }
    for (Tab* tab : all_) {
        tab->remember(settings_);
    }
    settings_.setValue(QStringLiteral("window/tab"), tabs_->currentIndex());
    settings_.setValue(QStringLiteral("window/geometry"), saveGeometry());
    settings_.sync();
    // Said until a write goes through.
    unwritable_ = settings_.status() == QSettings::AccessError
                      ? QStringLiteral("設定ファイル %1 に書き込めない")
                            .arg(QDir::toNativeSeparators(settings_.fileName()))
                      : QString();
    showNotice();
}

} // namespace tables
