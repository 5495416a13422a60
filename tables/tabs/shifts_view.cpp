// The view polls the room's SolveJob from a timer, so that the window's
// thread never waits on the solver; the progress the job reports on its own
// thread is kept under a lock and shown by the same timer.
#include "tables/tabs/shifts_view.h"

#include "tables/models/shift_plan.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScatterSeries>
#include <QScrollArea>
#include <QSettings>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <utility>

namespace tables {

namespace {

constexpr int kRowHeight = 14;
const QString kTemplatesKey = QStringLiteral("shifts/templates");
const QString kObjectiveKey = QStringLiteral("shifts/objective");

} // namespace

ShiftBars::ShiftBars(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("shiftBars"));
    setAccessibleName(QStringLiteral("シフトと休憩"));
}

void ShiftBars::setSchedule(std::optional<shifts::Schedule> schedule) {
    schedule_ = std::move(schedule);
    updateGeometry();
    update();
}

QSize ShiftBars::sizeHint() const {
    int rows = 0;
    if (schedule_) {
        for (const shifts::Group& group : schedule_->groups) {
            rows += group.agents;
        }
    }
    return {400, std::max(1, rows) * kRowHeight + 20};
}

void ShiftBars::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    if (!schedule_ || schedule_->coverage.empty()) {
        return;
    }
    const shifts::Schedule& schedule = *schedule_;
    int end = schedule.coverage.back().start + schedule.horizon.interval;
    for (const shifts::Group& group : schedule.groups) {
        end = std::max(end, group.start + group.length);
    }
    const double scale = (width() - 8) / static_cast<double>(std::max(1, end));
    const auto x = [&](int minute) { return 4 + minute * scale; };
    // The hours across the top, a thin line each.
    painter.setPen(palette().mid().color());
    for (int hour = 0; hour * 60 <= end; ++hour) {
        painter.drawLine(QPointF(x(hour * 60), 0), QPointF(x(hour * 60), height()));
        if (hour % 3 == 0) {
            painter.drawText(QPointF(x(hour * 60) + 2, 12),
                             QString::fromStdString(schedule.horizon.Label(hour * 60)));
        }
    }
    int row = 0;
    for (const shifts::Group& group : schedule.groups) {
        for (int agent = 0; agent < group.agents; ++agent, ++row) {
            const double top = 18 + row * kRowHeight;
            painter.fillRect(QRectF(x(group.start), top, group.length * scale, kRowHeight - 3),
                             QColor(0x3a, 0x6e, 0xa5));
            for (const shifts::BreakTime& pause : group.breaks) {
                painter.fillRect(QRectF(x(pause.start), top, pause.length * scale, kRowHeight - 3),
                                 QColor(0xf0, 0xc0, 0x40));
            }
        }
    }
}

ShiftsView::ShiftsView(QWidget* parent)
    : QWidget(parent)
    , templates_(new QPlainTextEdit(this))
    , templatesError_(new QLabel(this))
    , objective_(new QComboBox(this))
    , solve_(new QPushButton(QStringLiteral("シフトを作成"), this))
    , cancel_(new QPushButton(QStringLiteral("中止"), this))
    , copy_(new QPushButton(QStringLiteral("コピー"), this))
    , note_(new QLabel(this))
    , summary_(new QLabel(this))
    , coverage_(new QChartView(this))
    , bars_(new ShiftBars(this))
    , timer_(new QTimer(this)) {
    templates_->setObjectName(QStringLiteral("shiftTemplates"));
    templates_->setAccessibleName(QStringLiteral("シフトのひな型 (JSON)"));
    templates_->setLineWrapMode(QPlainTextEdit::NoWrap);
    templates_->setTabChangesFocus(true);
    templates_->setPlainText(DefaultShiftTemplates());
    templatesError_->setObjectName(QStringLiteral("shiftTemplatesError"));
    templatesError_->setWordWrap(true);
    QPalette red = templatesError_->palette();
    red.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x20));
    templatesError_->setPalette(red);
    templatesError_->hide();
    objective_->setObjectName(QStringLiteral("shiftObjective"));
    objective_->addItem(QStringLiteral("必要人数を満たす"));
    objective_->addItem(QStringLiteral("サービスレベルを満たす"));
    // Wide enough for its words before the page is first laid out.
    objective_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    objective_->resize(objective_->sizeHint());
    solve_->setObjectName(QStringLiteral("solveShifts"));
    cancel_->setObjectName(QStringLiteral("cancelShifts"));
    cancel_->setEnabled(false);
    note_->setObjectName(QStringLiteral("shiftNote"));
    note_->setWordWrap(true);
    summary_->setObjectName(QStringLiteral("shiftSummary"));
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    coverage_->setObjectName(QStringLiteral("shiftCoverage"));
    coverage_->setAccessibleName(QStringLiteral("電話に出る人数と必要人数"));
    coverage_->setRenderHint(QPainter::Antialiasing);
    coverage_->chart()->setMargins(QMargins(4, 4, 4, 4));
    coverage_->setMinimumHeight(160);

    auto* inputs = new QWidget(this);
    auto* left = new QVBoxLayout(inputs);
    left->setContentsMargins(0, 0, 0, 0);
    left->addWidget(new QLabel(QStringLiteral("シフトのひな型 (JSON)"), inputs));
    left->addWidget(templates_, 1);
    left->addWidget(templatesError_);
    left->addWidget(objective_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(solve_);
    buttons->addWidget(cancel_);
    left->addLayout(buttons);
    copy_->setObjectName(QStringLiteral("copyShifts"));
    copy_->setToolTip(
        QStringLiteral("シフトと区間ごとの人数を、目的とひな型と一緒に CSV でコピーします"));
    left->addWidget(copy_);
    left->addWidget(note_);
    inputs->setFixedWidth(260);

    auto* scroll = new QScrollArea(this);
    scroll->setWidget(bars_);
    scroll->setWidgetResizable(true);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(coverage_);
    split->addWidget(scroll);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    auto* right = new QVBoxLayout;
    right->addWidget(summary_);
    right->addWidget(split, 1);
    auto* body = new QHBoxLayout(this);
    body->addWidget(inputs, 0);
    body->addLayout(right, 1);

    connect(templates_, &QPlainTextEdit::textChanged, this, &ShiftsView::checkTemplates);
    connect(solve_, &QPushButton::clicked, this, &ShiftsView::solve);
    connect(copy_, &QPushButton::clicked, this, &ShiftsView::copy);
    connect(cancel_, &QPushButton::clicked, this, &ShiftsView::cancel);
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &ShiftsView::poll);
    show(std::nullopt);
}

// The job's destructor cancels it and waits for its thread.
ShiftsView::~ShiftsView() = default;

void ShiftsView::setDay(const Day& day) {
    day_ = day;
    // A solve of the day before would show shifts for requirements no longer
    // on the screen: it is cancelled and its answer, if any, dropped.
    if (job_) {
        job_->Cancel();
        dayChanged_ = true;
    }
    if (schedule_) {
        show(std::nullopt);
        note_->setText(QStringLiteral("1日が変わりました。もう一度作成してください。"));
    }
}

QString ShiftsView::note() const {
    return note_->text();
}

void ShiftsView::checkTemplates() {
    const std::optional<QString> error = TemplatesError(templates_->toPlainText());
    templatesError_->setText(error.value_or(QString()));
    templatesError_->setVisible(error.has_value());
}

void ShiftsView::solve() {
    if (job_) {
        return;
    }
    shifts::Problem problem;
    try {
        problem = ShiftProblem(day_, templates_->toPlainText(),
                               static_cast<ShiftObjective>(objective_->currentIndex()), 60);
    } catch (const std::exception& error) {
        note_->setText(QString::fromStdString(error.what()));
        return;
    }
    {
        const std::lock_guard lock(progressLock_);
        progress_ = {};
    }
    solvedTemplates_ = templates_->toPlainText();
    solvedObjective_ = static_cast<ShiftObjective>(objective_->currentIndex());
    job_ = std::make_unique<shifts::SolveJob>(std::move(problem),
                                              [this](const shifts::Progress& progress) {
                                                  const std::lock_guard lock(progressLock_);
                                                  progress_ = progress;
                                              });
    solve_->setEnabled(false);
    cancel_->setEnabled(true);
    note_->setText(QStringLiteral("作成しています…"));
    timer_->start();
}

void ShiftsView::copy() {
    // Only the shifts shown, of the templates and objective they were made
    // with: none while a solve runs or after the day changed.
    if (!schedule_ || job_) {
        note_->setText(QStringLiteral("コピーするシフトがありません。"));
        return;
    }
    QApplication::clipboard()->setText(ScheduleCsv(*schedule_, solvedObjective_, solvedTemplates_));
    note_->setText(QStringLiteral("シフトと区間ごとの人数をコピーしました。"));
}

void ShiftsView::cancel() {
    if (job_) {
        job_->Cancel();
        note_->setText(QStringLiteral("中止しています…"));
    }
}

void ShiftsView::poll() {
    if (!job_) {
        timer_->stop();
        return;
    }
    if (!job_->Done()) {
        shifts::Progress progress;
        {
            const std::lock_guard lock(progressLock_);
            progress = progress_;
        }
        note_->setText(QStringLiteral("作成しています… %1 秒、%2 節点")
                           .arg(progress.seconds, 0, 'f', 1)
                           .arg(progress.nodes));
        return;
    }
    timer_->stop();
    std::unique_ptr<shifts::SolveJob> job = std::move(job_);
    solve_->setEnabled(true);
    cancel_->setEnabled(false);
    if (std::exchange(dayChanged_, false)) {
        job.reset();
        note_->setText(QStringLiteral("1日が変わったため、作成を中止しました。"));
        show(std::nullopt);
        return;
    }
    try {
        shifts::Schedule schedule = job->Get();
        note_->setText(QString());
        show(std::move(schedule));
    } catch (const std::exception& error) {
        note_->setText(QString::fromStdString(error.what()));
        show(std::nullopt);
    }
}

void ShiftsView::show(std::optional<shifts::Schedule> schedule) {
    schedule_ = std::move(schedule);
    QChart* chart = coverage_->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    summary_->setText(schedule_ ? ShiftSummary(*schedule_)
                                : QStringLiteral("1日を計算してから、シフトを作成してください。"));
    bars_->setSchedule(schedule_);
    if (!schedule_) {
        return;
    }
    const shifts::Schedule& shown = *schedule_;
    auto* phones = new QBarSet(QStringLiteral("電話に出る人数"));
    phones->setColor(QColor(0x3a, 0x6e, 0xa5));
    auto* required = new QLineSeries;
    required->setName(QStringLiteral("必要人数"));
    auto* shortfalls = new QScatterSeries;
    shortfalls->setName(QStringLiteral("不足"));
    shortfalls->setColor(QColor(0xc0, 0x10, 0x20));
    shortfalls->setMarkerSize(9);
    QStringList labels;
    double top = 1;
    for (std::size_t period = 0; period < shown.coverage.size(); ++period) {
        const shifts::PeriodCoverage& cover = shown.coverage[period];
        *phones << cover.onPhones;
        required->append(static_cast<double>(period), cover.required);
        if (cover.shortBy > 0) {
            shortfalls->append(static_cast<double>(period), cover.required);
        }
        labels << QString::fromStdString(shown.horizon.Label(cover.start));
        top = std::max({top, cover.required, static_cast<double>(cover.onPhones)});
    }
    auto* bars = new QBarSeries;
    bars->append(phones);
    bars->setBarWidth(0.9);
    chart->addSeries(bars);
    chart->addSeries(required);
    chart->addSeries(shortfalls);
    auto* periods = new QBarCategoryAxis;
    periods->append(labels);
    // Too many periods to name under their bars: the shifts below carry the clock.
    periods->setLabelsVisible(false);
    auto* agents = new QValueAxis;
    agents->setRange(0, top * 1.1);
    agents->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(periods, Qt::AlignBottom);
    chart->addAxis(agents, Qt::AlignLeft);
    // The line and the marks over the bars' categories: a value axis of
    // their own, hidden, offset by half a bar.
    auto* across = new QValueAxis;
    across->setRange(-0.5, static_cast<double>(shown.coverage.size()) - 0.5);
    across->setVisible(false);
    chart->addAxis(across, Qt::AlignTop);
    bars->attachAxis(periods);
    bars->attachAxis(agents);
    for (QXYSeries* series :
         {static_cast<QXYSeries*>(required), static_cast<QXYSeries*>(shortfalls)}) {
        series->attachAxis(across);
        series->attachAxis(agents);
    }
}

void ShiftsView::restore(const QSettings& settings) {
    const QString saved = settings.value(kTemplatesKey).toString();
    // Templates saved by another version, or edited by hand, are read as the
    // room reads them: refused ones are shown with their reason, not solved.
    if (!saved.isEmpty()) {
        templates_->setPlainText(saved);
    }
    bool number = false;
    const int objective = settings.value(kObjectiveKey).toInt(&number);
    if (number && objective >= 0 && objective < objective_->count()) {
        objective_->setCurrentIndex(objective);
    }
    checkTemplates();
}

void ShiftsView::remember(QSettings& settings) const {
    settings.setValue(kTemplatesKey, templates_->toPlainText());
    settings.setValue(kObjectiveKey, objective_->currentIndex());
}

} // namespace tables
