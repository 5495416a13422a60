// The table over CarriedDayModel and a chart drawn from it: a bar an interval
// for the usual plan's service level carried over, or the schedule's where
// one is judged (red where it misses the target), the room's plan as a line,
// and the target as a dashed line. The table's headings on two lines, so
// that the day fits the window's width; its misses in red.
#include "tables/tabs/carried_day_view.h"

#include "tables/models/volumes.h"
#include "tables/widgets/fitted_header.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSet>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QStackedBarSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <vector>

namespace tables {

namespace {

const QColor kMissed(0xb0, 0x00, 0x20);

// The figures of a plan or a schedule red where it misses the target.
class MissesRed : public QStyledItemDelegate {
public:
    MissesRed(const CarriedDayModel* model, QObject* parent)
        : QStyledItemDelegate(parent)
        , model_(model) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const int row = index.row();
        const int column = index.column();
        if ((model_->usualColumn(column) && model_->usualMisses(row)) ||
            (model_->judgedColumn(column) && model_->judgedMisses(row))) {
            option->palette.setColor(QPalette::Text, kMissed);
            option->font.setBold(true);
        }
    }

private:
    const CarriedDayModel* model_;
};

QPushButton* Button(const char* name, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

CarriedDayView::CarriedDayView(QWidget* parent, Sources sources)
    : QWidget(parent)
    , sources_(std::move(sources))
    , model_(new CarriedDayModel(this))
    , refused_(new QLabel(this))
    , back_(Button("carriedPlan", QStringLiteral("計画に戻る"), this))
    , table_(new QTableView(this))
    , chart_(new QChartView(this)) {
    setObjectName(QStringLiteral("carriedDay"));
    refused_->setObjectName(QStringLiteral("carriedRefused"));
    refused_->setWordWrap(true);
    QPalette red = refused_->palette();
    red.setColor(QPalette::WindowText, kMissed);
    refused_->setPalette(red);
    refused_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    refused_->hide();
    back_->setToolTip(QStringLiteral("配置の評価をやめ、過渡解析の計画だけを示します"));
    back_->hide();
    QPushButton* paste = Button("pasteSchedule", QStringLiteral("配置を貼り付け"), this);
    paste->setToolTip(QStringLiteral("時刻の列と agents（または on-phones）の列を見出しと一緒に"
                                     "コピーしてから押してください"));
    QPushButton* import = Button("importSchedule", QStringLiteral("配置を読み込み…"), this);
    import->setToolTip(QStringLiteral("時刻と agents の列の CSV、または corvane-cli shifts "
                                      "--coverage の出力（on-phones の列）"));
    QPushButton* shifts = Button("shiftsSchedule", QStringLiteral("シフト作成の配置"), this);
    shifts->setToolTip(QStringLiteral("シフト作成で最後に作った配置を評価します"));
    connect(paste, &QPushButton::clicked, this, &CarriedDayView::pasteSchedule);
    connect(import, &QPushButton::clicked, this, &CarriedDayView::importSchedule);
    connect(shifts, &QPushButton::clicked, this, [this] {
        const std::optional<shifts::Schedule> made = sources_.shifts();
        ScheduleRows none;
        none.source = QStringLiteral("シフト作成");
        none.refused = QStringLiteral("シフト作成でまだ配置を作っていません。");
        setSchedule(made ? ScheduleOfShifts(*made) : none);
    });
    connect(back_, &QPushButton::clicked, this, [this] { setSchedule(std::nullopt); });
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(0, 0, 0, 0);
    for (QPushButton* button : {paste, import, shifts, back_}) {
        bar->addWidget(button);
    }
    bar->addStretch(1);
    table_->setObjectName(QStringLiteral("carriedTable"));
    table_->setAccessibleName(QStringLiteral("持ち越しの1日"));
    table_->setModel(model_);
    // Each heading as the model stacks it on two lines.
    auto* header = new FittedHeader(
        table_,
        [model = model_](int column, const QString&) {
            return model->headerData(column, Qt::Horizontal, CarriedDayModel::kStackedHeading)
                .toString();
        },
        FittedHeader::Stacking::Always);
    connect(model_, &QAbstractItemModel::modelReset, header, &FittedHeader::fit);
    table_->verticalHeader()->hide(); // the intervals' labels number the rows
    table_->setItemDelegate(new MissesRed(model_, table_));
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    chart_->setObjectName(QStringLiteral("carriedChart"));
    chart_->setAccessibleName(QStringLiteral("区間ごとの計画の持ち越しでのサービスレベル"));
    chart_->setRenderHint(QPainter::Antialiasing);
    chart_->chart()->setMargins(QMargins(4, 4, 4, 4));
    chart_->setMinimumHeight(200);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(table_);
    split->addWidget(chart_);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(bar);
    layout->addWidget(refused_);
    layout->addWidget(split, 1);
}

void CarriedDayView::setSchedule(std::optional<ScheduleRows> schedule) {
    schedule_ = std::move(schedule);
    back_->setVisible(schedule_.has_value());
    emit scheduleChanged();
}

void CarriedDayView::pasteSchedule() {
    setSchedule(ReadSchedule(QApplication::clipboard()->text(), QStringLiteral("貼り付け")));
}

void CarriedDayView::importSchedule() {
    const QString path = sources_.openPath();
    if (path.isEmpty()) {
        return;
    }
    QFile file(path);
    const QString name = QFileInfo(path).fileName();
    // A day's schedule is a few kilobytes; more is not one.
    constexpr qint64 kMostBytes = 4 << 20;
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMostBytes) {
        ScheduleRows unread;
        unread.source = name;
        unread.refused =
            QStringLiteral("%1 を読み込めませんでした。%2")
                .arg(QDir::toNativeSeparators(path),
                     file.isOpen() ? QStringLiteral("大きすぎます。") : file.errorString());
        setSchedule(unread);
        return;
    }
    setSchedule(ReadSchedule(DecodeVolumes(file.readAll()), name));
}

void CarriedDayView::show(const Day& day, CarriedDay carried, std::optional<double> target) {
    // A day not yet pasted is no fault: the page says what to do above.
    const bool untouched =
        day.rows.empty() && day.refused.isEmpty() && carried.judgedSource.isEmpty();
    refused_->setText(carried.refused);
    refused_->setVisible(!carried.refused.isEmpty() && !untouched);
    model_->setDay(day, std::move(carried));
    showChart(target);
    // The first interval that misses in sight: the schedule's, else the usual plan's.
    int first = -1;
    for (int row = 0; row < model_->rowCount() && first < 0; ++row) {
        first = model_->judgedMisses(row) ? row : -1;
    }
    for (int row = 0; row < model_->rowCount() && first < 0; ++row) {
        first = model_->usualMisses(row) ? row : -1;
    }
    if (first >= 0) {
        QTimer::singleShot(0, table_, [this, first] {
            if (first < model_->rowCount()) {
                table_->doItemsLayout(); // the scroll range for the new rows
                table_->scrollTo(model_->index(first, 0), QAbstractItemView::PositionAtCenter);
            }
        });
    }
}

void CarriedDayView::showChart(std::optional<double> target) {
    QChart* chart = chart_->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    const CarriedDay& carried = model_->carried();
    const int rows = model_->rowCount();
    // The schedule judged where there is one: the usual plan is the table's.
    const transient::DayResult& barred = carried.judged ? *carried.judged : carried.usual;
    if (rows == 0 || carried.usual.intervals.size() < static_cast<std::size_t>(rows) ||
        barred.intervals.size() < static_cast<std::size_t>(rows)) {
        chart->setTitle({});
        return;
    }
    const QString whose = carried.judged ? carried.judgedSource + QStringLiteral("の配置")
                                         : QStringLiteral("区間ごと");
    chart->setTitle(carried.judged
                        ? QStringLiteral("%1を持ち越しで評価したサービスレベル").arg(whose)
                        : QStringLiteral("区間ごとの計画を持ち越しで評価したサービスレベル"));
    auto* met = new QBarSet(whose + QStringLiteral(": 目標を満たす"));
    auto* missed = new QBarSet(whose + QStringLiteral(": 届かない"));
    met->setColor(QColor(0x4a, 0x7a, 0xb8));
    missed->setColor(QColor(0xc8, 0x30, 0x30));
    auto* plan = new QLineSeries;
    plan->setName(QStringLiteral("過渡解析"));
    QStringList labels;
    for (int row = 0; row < rows; ++row) {
        const auto at = static_cast<std::size_t>(row);
        const double level = barred.intervals[at].serviceLevel * 100;
        const bool misses = !barred.intervals[at].meetsTarget;
        // Two sets stacked in place: each interval's bar in one of them.
        *met << (misses ? 0 : level);
        *missed << (misses ? level : 0);
        plan->append(row, carried.plan.intervals[at].serviceLevel * 100);
        labels << model_->data(model_->index(row, 0), Qt::DisplayRole).toString();
    }
    auto* bars = new QStackedBarSeries;
    bars->setBarWidth(0.9);
    bars->append(met);
    bars->append(missed);
    chart->addSeries(bars);
    chart->addSeries(plan);
    auto* x = new QBarCategoryAxis;
    x->append(labels);
    // A day's many labels do not fit under the bars: the table names them.
    x->setLabelsVisible(rows <= 12);
    auto* y = new QValueAxis;
    y->setRange(0, 100);
    y->setLabelFormat(QStringLiteral("%d%"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* series : chart->series()) {
        series->attachAxis(x);
        series->attachAxis(y);
    }
    if (target) {
        auto* line = new QLineSeries;
        line->setName(QStringLiteral("目標"));
        line->setPen(QPen(Qt::black, 1.5, Qt::DashLine));
        line->append(-0.5, *target * 100);
        line->append(rows - 0.5, *target * 100);
        chart->addSeries(line);
        auto* along = new QValueAxis;
        along->setRange(-0.5, rows - 0.5);
        along->setVisible(false);
        chart->addAxis(along, Qt::AlignBottom);
        line->attachAxis(along);
        line->attachAxis(y);
        // The plan's line on the same hidden axis, so its points sit on the bars.
        plan->detachAxis(x);
        plan->attachAxis(along);
    }
}

} // namespace tables
