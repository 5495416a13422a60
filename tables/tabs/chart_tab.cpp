#include "tables/tabs/chart_tab.h"

#include "tables/models/engine_error.h"
#include "tables/models/number_format.h"

#include "teletraffic/domain.h"

#include <QComboBox>
#include <QCursor>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPromise>
#include <QPushButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QLogValueAxis>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace tables {
namespace {

constexpr int kMaxCurves = 8;

const Range kTraffic{0, teletraffic::kMaxTraffic};
const Range kTarget{teletraffic::kMinBlocking, 1, false, false, true};
const Range kLines{0, teletraffic::kMaxLines, true};

QValueAxis* LinearAxis(const QString& title, double from, double to) {
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    axis->setRange(from, to);
    axis->applyNiceNumbers();
    axis->setLabelFormat(QStringLiteral("%.10g"));
    return axis;
}

} // namespace

ChartTab::ChartTab(Dialogs dialogs, QWidget* parent)
    : Tab("chartTab", std::move(dialogs), parent)
    , kind_(new QComboBox(this)) {
    kind_->setObjectName(QStringLiteral("curveKind"));
    kind_->addItems({QStringLiteral("呼損率 対 回線数"), QStringLiteral("必要回線数 対 呼量")});
    kind_->setAccessibleName(QStringLiteral("グラフの種類"));
    form_->addRow(QStringLiteral("グラフの種類"), kind_);
    traffics_ = addField("curveTraffics", QStringLiteral("呼量(アーラン)（曲線ごと）"),
                         QStringLiteral("5, 10, 20"), kTraffic);
    target_ =
        addField("curveTarget", QStringLiteral("目標呼損率"), QStringLiteral("0.01"), kTarget);
    firstLines_ =
        addField("curveFirstLines", QStringLiteral("回線数 開始"), QStringLiteral("1"), kLines);
    lastLines_ =
        addField("curveLastLines", QStringLiteral("回線数 終了"), QStringLiteral("40"), kLines);
    targets_ = addField("curveTargets", QStringLiteral("呼損率（曲線ごと）"),
                        QStringLiteral("0.001, 0.01, 0.05"), kTarget);
    firstTraffic_ =
        addField("curveFirstTraffic", QStringLiteral("呼量 開始"), QStringLiteral("0"), kTraffic);
    lastTraffic_ =
        addField("curveLastTraffic", QStringLiteral("呼量 終了"), QStringLiteral("100"), kTraffic);
    for (InputField* list : {traffics_, targets_}) {
        list->edit()->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    connect(kind_, &QComboBox::currentIndexChanged, this, [this] {
        showKind();
        run();
    });
    showKind();

    connect(addButton("chartCompute", QStringLiteral("計算")), &QPushButton::clicked, this,
            &Tab::run);
    connect(addButton("saveChart", QStringLiteral("画像を保存")), &QPushButton::clicked, this,
            &ChartTab::save);
    job_ = new JobBar("chart", this);
    side_->addWidget(job_);
    side_->addStretch(1);

    view_ = new QChartView(this);
    view_->setObjectName(QStringLiteral("chartView"));
    view_->setAccessibleName(QStringLiteral("グラフ"));
    view_->setRenderHint(QPainter::Antialiasing);
    view_->chart()->legend()->setAlignment(Qt::AlignBottom);
    hover_ = new QLabel(this);
    hover_->setObjectName(QStringLiteral("hoverText"));
    right_->addWidget(view_, 1);
    right_->addWidget(hover_);
}

void ChartTab::showKind() {
    const bool byLines = kind_->currentIndex() == 0;
    for (InputField* field : {traffics_, target_, firstLines_, lastLines_}) {
        form_->setRowVisible(field, byLines);
    }
    for (InputField* field : {targets_, firstTraffic_, lastTraffic_}) {
        form_->setRowVisible(field, !byLines);
    }
}

bool ChartTab::compute() {
    CurveSetup setup;
    const bool byLines = kind_->currentIndex() == 0;
    setup.kind = byLines ? CurveKind::BlockingByLines : CurveKind::LinesByTraffic;
    InputField* first = byLines ? firstLines_ : firstTraffic_;
    InputField* last = byLines ? lastLines_ : lastTraffic_;
    const auto values = (byLines ? traffics_ : targets_)->readList(kMaxCurves);
    const auto target = byLines ? target_->read() : std::optional<double>(0.01);
    const auto from = first->read();
    const auto to = last->read();
    if (from && to && *to <= *from) {
        last->mark(QStringLiteral("開始（%1）より大きくしてください").arg(first->edit()->text()));
    }
    if (!values || !target || !from || !to || !last->error().isEmpty()) {
        return false;
    }
    setup.values = *values;
    setup.target = *target;
    setup.first = *from;
    setup.last = *to;
    if (job_->busy()) {
        job_->cancelAndWait();
    }
    auto future = QtConcurrent::run([setup](QPromise<Curves>& promise) {
        promise.setProgressRange(0, static_cast<int>(setup.values.size()) * kCurvePoints);
        try {
            promise.addResult(ComputeCurves(
                setup,
                {[&promise] { return promise.isCanceled(); },
                 [&promise](qint64 done) { promise.setProgressValue(static_cast<int>(done)); }}));
        } catch (const std::exception& error) {
            // Off this thread the tab cannot catch it.
            Curves refused{setup, {}, 0, EngineErrorText(error)};
            promise.addResult(std::move(refused));
        }
    });
    job_->run(future, [this](const QFuture<Curves>& done) {
        if (done.resultCount() != 0 && !done.result().error.isEmpty()) {
            emit said(done.result().error);
            setStale(true);
        } else if (done.isCanceled() || done.resultCount() == 0 || done.result().curves.empty()) {
            emit said(QStringLiteral("グラフの計算を中止しました。"));
            setAnswerState(AnswerState::Stopped);
        } else {
            show(done.result());
            setAnswerState(AnswerState::Current);
        }
    });
    return true;
}

void ChartTab::show(const Curves& curves) {
    curves_ = curves;
    const CurveSetup& setup = curves.setup;
    const bool byLines = setup.kind == CurveKind::BlockingByLines;
    QChart* chart = view_->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    QAbstractAxis* x =
        LinearAxis(byLines ? QStringLiteral("回線数") : QStringLiteral("呼量(アーラン)"),
                   setup.first, setup.last);
    QAbstractAxis* y = nullptr;
    double top = 0;
    for (const Curve& curve : curves_.curves) {
        for (const QPointF& p : curve.points) {
            top = std::max(top, p.y());
        }
    }
    if (byLines) {
        auto* log = new QLogValueAxis;
        log->setTitleText(QStringLiteral("呼損率"));
        log->setBase(10);
        log->setLabelFormat(QStringLiteral("%g"));
        log->setRange(curves.floor, 1);
        log->setMinorTickCount(-1);
        y = log;
    } else {
        y = LinearAxis(QStringLiteral("必要回線数"), 0, std::max(1.0, top * 1.05));
    }
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);

    const auto add = [&](QXYSeries* series) {
        chart->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
    };
    auto* answers = new QScatterSeries;
    answers->setName(QStringLiteral("必要回線数"));
    answers->setMarkerSize(9);
    for (std::size_t i = 0; i < curves_.curves.size(); ++i) {
        const Curve& curve = curves_.curves[i];
        auto* series = new QLineSeries;
        series->setName(byLines ? QStringLiteral("呼量 %1 アーラン").arg(Exact(curve.value))
                                : QStringLiteral("呼損率 %1").arg(Exact(curve.value)));
        series->replace(curve.points);
        add(series);
        connect(series, &QLineSeries::hovered, this, [this, i](QPointF at, bool entered) {
            if (entered) {
                hover(curves_.curves[i], at);
            }
        });
        if (curve.answer) {
            answers->append(*curve.answer);
        }
    }
    if (byLines) {
        // A target below the axis is drawn on its floor and named so.
        const bool below = setup.target < curves.floor;
        const double at = below ? curves.floor : setup.target;
        auto* target = new QLineSeries;
        target->setName(below ? QStringLiteral("目標呼損率 %1（軸の下）").arg(Exact(setup.target))
                              : QStringLiteral("目標呼損率 %1").arg(Exact(setup.target)));
        target->append(setup.first, at);
        target->append(setup.last, at);
        target->setPen(QPen(Qt::darkGray, 1.5, Qt::DashLine));
        add(target);
        add(answers);
    } else {
        delete answers;
    }
    hover_->setText(QStringLiteral("曲線にマウスを重ねると、その点の値を表示します。"));
}

void ChartTab::hover(const Curve& curve, QPointF at) {
    if (curve.points.isEmpty()) {
        return;
    }
    // The sampled point nearest the pointer: its values are exact, the line
    // between two points is not.
    auto nearest = std::lower_bound(curve.points.begin(), curve.points.end(), at.x(),
                                    [](const QPointF& p, double x) { return p.x() < x; });
    if (nearest == curve.points.end() ||
        (nearest != curve.points.begin() && at.x() - (nearest - 1)->x() < nearest->x() - at.x())) {
        --nearest;
    }
    const bool byLines = curves_.setup.kind == CurveKind::BlockingByLines;
    const QString text =
        byLines ? QStringLiteral("呼量 %1 アーラン: %2 回線で呼損率 %3")
                      .arg(Exact(curve.value), Exact(nearest->x()), Significant(nearest->y()))
                : QStringLiteral("呼損率 %1: 呼量 %2 アーランに %3 回線")
                      .arg(Exact(curve.value), Significant(nearest->x()), Exact(nearest->y()));
    hover_->setText(text);
    QToolTip::showText(QCursor::pos(), text, view_);
}

} // namespace tables
