// The table over CarriedDayModel and a chart drawn from it: a bar an interval
// for the usual plan's service level carried over (red where it misses the
// target), the room's plan as a line, and the target as a dashed line.
#include "tables/tabs/carried_day_view.h"

#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>

namespace tables {

CarriedDayView::CarriedDayView(QWidget* parent)
    : QWidget(parent)
    , model_(new CarriedDayModel(this))
    , refused_(new QLabel(this))
    , table_(new QTableView(this))
    , chart_(new QChartView(this)) {
    setObjectName(QStringLiteral("carriedDay"));
    refused_->setObjectName(QStringLiteral("carriedRefused"));
    refused_->setWordWrap(true);
    QPalette red = refused_->palette();
    red.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x20));
    refused_->setPalette(red);
    refused_->hide();
    table_->setObjectName(QStringLiteral("carriedTable"));
    table_->setAccessibleName(QStringLiteral("持ち越しの1日"));
    table_->setModel(model_);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
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
    layout->addWidget(refused_);
    layout->addWidget(split, 1);
}

void CarriedDayView::show(const Day& day, CarriedDay carried, std::optional<double> target) {
    refused_->setText(carried.refused);
    refused_->setVisible(!carried.refused.isEmpty());
    model_->setDay(day, std::move(carried));
    showChart(target);
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
    if (rows == 0 || carried.usual.intervals.empty()) {
        chart->setTitle({});
        return;
    }
    chart->setTitle(QStringLiteral("区間ごとの計画を持ち越しで評価したサービスレベル"));
    auto* met = new QBarSet(QStringLiteral("区間ごと: 目標を満たす"));
    auto* missed = new QBarSet(QStringLiteral("区間ごと: 届かない"));
    met->setColor(QColor(0x4a, 0x7a, 0xb8));
    missed->setColor(QColor(0xc8, 0x30, 0x30));
    auto* plan = new QLineSeries;
    plan->setName(QStringLiteral("過渡解析"));
    QStringList labels;
    for (int row = 0; row < rows; ++row) {
        const auto at = static_cast<std::size_t>(row);
        const double level = carried.usual.intervals[at].serviceLevel * 100;
        // Two sets stacked in place: each interval's bar in one of them.
        *met << (model_->usualMisses(row) ? 0 : level);
        *missed << (model_->usualMisses(row) ? level : 0);
        plan->append(row, carried.plan.intervals[at].serviceLevel * 100);
        labels << model_->data(model_->index(row, 0), Qt::DisplayRole).toString();
    }
    auto* bars = new QBarSeries;
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
