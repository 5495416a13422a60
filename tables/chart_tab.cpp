#include "tables/chart_tab.h"

#include "tables/three_way.h"

#include "teletraffic/erlang.h"

#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPromise>
#include <QPushButton>
#include <QSaveFile>
#include <QSvgGenerator>
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

QString Number(double value) {
    return QString::number(value, 'g', 10);
}

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
        compute();
    });
    showKind();

    connect(addButton("chartCompute", QStringLiteral("計算")), &QPushButton::clicked, this,
            &ChartTab::compute);
    connect(addButton("saveChart", QStringLiteral("画像を保存")), &QPushButton::clicked, this,
            &ChartTab::saveImage);
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

void ChartTab::compute() {
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
        return;
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
        promise.addResult(ComputeCurves(
            setup,
            {[&promise] { return promise.isCanceled(); },
             [&promise](qint64 done) { promise.setProgressValue(static_cast<int>(done)); }}));
    });
    job_->run(future, [this](const QFuture<Curves>& done) {
        if (done.isCanceled() || done.resultCount() == 0 || done.result().curves.empty()) {
            emit said(QStringLiteral("グラフの計算を中止しました。"));
            return;
        }
        show(done.result());
    });
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
        series->setName(byLines ? QStringLiteral("呼量 %1 アーラン").arg(Number(curve.value))
                                : QStringLiteral("呼損率 %1").arg(Number(curve.value)));
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
        auto* target = new QLineSeries;
        target->setName(QStringLiteral("目標呼損率 %1").arg(Number(setup.target)));
        target->append(setup.first, setup.target);
        target->append(setup.last, setup.target);
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
                      .arg(Number(curve.value), Number(nearest->x()), BlockingText(nearest->y()))
                : QStringLiteral("呼損率 %1: 呼量 %2 アーランに %3 回線")
                      .arg(Number(curve.value), Number(nearest->x()), Number(nearest->y()));
    hover_->setText(text);
    QToolTip::showText(QCursor::pos(), text, view_);
}

void ChartTab::saveImage() {
    const QString path = dialogs_.savePath(
        this, QDir::home().filePath(QStringLiteral("erlang-b.png")),
        QStringLiteral("PNG 画像 (*.png);;SVG 画像 (*.svg)"), QStringLiteral("png"));
    if (path.isEmpty()) {
        return;
    }
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok && path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(view_->size());
        svg.setViewBox(view_->rect());
        svg.setTitle(QStringLiteral("Corvane Tables"));
        QPainter painter(&svg);
        view_->render(&painter);
    } else if (ok) {
        // Twice the screen's pixels, so the picture stays sharp when printed.
        QImage image(view_->size() * 2, QImage::Format_ARGB32);
        image.setDevicePixelRatio(2);
        image.fill(Qt::white);
        QPainter painter(&image);
        view_->render(&painter);
        painter.end();
        ok = image.save(&file, "PNG");
    }
    if (!ok || !file.commit()) {
        dialogs_.warn(this, QStringLiteral("%1 に保存できませんでした。\n%2")
                                .arg(QDir::toNativeSeparators(path), file.errorString()));
        return;
    }
    emit said(QStringLiteral("グラフを %1 に保存しました。").arg(QDir::toNativeSeparators(path)));
}

} // namespace tables
