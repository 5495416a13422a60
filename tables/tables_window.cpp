#include "tables/tables_window.h"

#include "tables/chart_tab.h"
#include "tables/overflow_tab.h"
#include "tables/staffing_tab.h"
#include "tables/table_tab.h"
#include "tables/three_way_tab.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QIcon>
#include <QLineEdit>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>

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
    , tabs_(new QTabWidget(this)) {
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
    for (int i = 0; i < tabs_->count(); ++i) {
        connect(static_cast<Tab*>(tabs_->widget(i)), &Tab::said, statusBar(),
                [this](const QString& text) { statusBar()->showMessage(text); });
    }
    resize(1040, 680);

    restore();
    for (int i = 0; i < tabs_->count(); ++i) {
        static_cast<Tab*>(tabs_->widget(i))->compute();
    }
}

TablesWindow::~TablesWindow() {
    table_->stop();
    chart_->stop();
}

void TablesWindow::closeEvent(QCloseEvent* event) {
    table_->stop();
    chart_->stop();
    save();
    event->accept();
}

void TablesWindow::restore() {
    for (QLineEdit* edit : Remembered<QLineEdit>(this)) {
        edit->setText(settings_.value(Key(edit), edit->text()).toString());
        edit->setCursorPosition(0); // a long list shows its start
    }
    for (QAbstractButton* button : Remembered<QAbstractButton>(this)) {
        if (button->isCheckable()) {
            button->setChecked(settings_.value(Key(button), button->isChecked()).toBool());
        }
    }
    for (QComboBox* box : Remembered<QComboBox>(this)) {
        box->setCurrentIndex(settings_.value(Key(box), box->currentIndex()).toInt());
    }
    const QVariant groups = settings_.value(QStringLiteral("inputs/overflowGroups"));
    if (groups.isValid()) {
        overflow_->groups()->setGroups(GroupsFromList(groups.toStringList()));
    }
    tabs_->setCurrentIndex(settings_.value(QStringLiteral("window/tab"), 0).toInt());
    restoreGeometry(settings_.value(QStringLiteral("window/geometry")).toByteArray());
}

void TablesWindow::save() {
    for (QLineEdit* edit : Remembered<QLineEdit>(this)) {
        settings_.setValue(Key(edit), edit->text());
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
