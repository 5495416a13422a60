// The view polls the room's SolveJob from a timer, so that the window's
// thread never waits on the solver; the progress the job reports on its own
// thread is kept under a lock and shown by the same timer.
#include "tables/tabs/shifts_view.h"

#include "tables/models/files.h"
#include "tables/models/shift_error.h"
#include "tables/models/shift_plan.h"
#include "tables/models/shift_templates.h"
#include "tables/widgets/input_field.h"

#include <QAction>
#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPainter>
#include <QPushButton>
#include <QScatterSeries>
#include <QScrollArea>
#include <QSettings>
#include <QSplitter>
#include <QStringDecoder>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <utility>

namespace tables {

namespace {

constexpr int kRowHeight = 14;
// The room's JSON, as versions before the table kept the templates (and
// still written, for them); the table's cells as typed, bad rows and all.
const QString kTemplatesKey = QStringLiteral("shifts/templates");
const QString kRowsKey = QStringLiteral("shifts/templateRows");
const QString kObjectiveKey = QStringLiteral("shifts/objective");
const QString kTimeLimitKey = QStringLiteral("shifts/timeLimit");
const QString kCyclicKey = QStringLiteral("shifts/cyclic");
// A templates file is a few templates: anything far larger is not one, and
// is not read into memory whole.
constexpr qint64 kMostTemplateBytes = 4 << 20;
const QColor kBadRow(0xb0, 0x00, 0x20);

// A row the room refuses in red, its reason in the tool tip (the model's).
class BadRows : public QStyledItemDelegate {
public:
    BadRows(const ShiftTemplateTable& table, QObject* parent)
        : QStyledItemDelegate(parent)
        , table_(table) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!table_.rowError(index.row()).isEmpty()) {
            option->palette.setColor(QPalette::Text, kBadRow);
            option->palette.setColor(QPalette::HighlightedText, QColor(0xff, 0xd0, 0xd0));
            option->backgroundBrush = QColor(0xfb, 0xe4, 0xe6);
        }
    }

private:
    const ShiftTemplateTable& table_;
};

// Each column as wide as its heading and cells, within a share of the
// view, but the breaks', which stretch.
void fitColumns(QTableView* view) {
    QHeaderView* header = view->horizontalHeader();
    const int breaks = static_cast<int>(TemplateColumn::Breaks);
    header->setSectionResizeMode(QHeaderView::Interactive);
    view->resizeColumnsToContents();
    for (int column = 0; column < view->model()->columnCount(); ++column) {
        view->setColumnWidth(column, std::min(view->columnWidth(column), 200));
    }
    header->setSectionResizeMode(breaks, QHeaderView::Stretch);
}

// What a schedule of the day answers: each interval's label, answer, agents
// and calls, and the centre the service objective judges by. A day
// recomputed with these unchanged (the method of the day view switched, the
// shrinkage changed) keeps its schedule.
QString RequirementKey(const Day& day) {
    const StaffingInputs& centre = day.inputs;
    const auto number = [](double x) { return QString::number(x, 'g', 17); };
    QStringList key{number(centre.intervalMinutes),
                    number(centre.ahtSeconds),
                    number(centre.targetSeconds),
                    number(centre.patienceSeconds.value_or(-1)),
                    number(centre.lines.value_or(-1)),
                    number(centre.redial),
                    number(centre.serviceLevel.value_or(-1)),
                    QString::number(static_cast<int>(centre.basis))};
    for (const DayRow& row : day.rows) {
        key << row.label << row.error << QString::number(row.staffing.agents)
            << (row.calls ? number(*row.calls) : QString());
    }
    return key.join(QChar(0x1f));
}

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

ShiftsView::ShiftsView(Dialogs dialogs, QWidget* parent)
    : QWidget(parent)
    , dialogs_(std::move(dialogs))
    , table_(new ShiftTemplateTable(this))
    , templatesView_(new QTableView(this))
    , templatesError_(new QLabel(this))
    , removeTemplate_(new QPushButton(QStringLiteral("削除"), this))
    , export_(new QPushButton(QStringLiteral("書き出し…"), this))
    , objective_(new QComboBox(this))
    , cyclic_(new QCheckBox(ShiftArgumentLabel(shifts::Argument::Cyclic), this))
    , solve_(new QPushButton(QStringLiteral("シフトを作成"), this))
    , cancel_(new QPushButton(QStringLiteral("中止"), this))
    , copy_(new QPushButton(QStringLiteral("コピー"), this))
    , note_(new QLabel(this))
    , summary_(new QLabel(this))
    , coverage_(new QChartView(this))
    , bars_(new ShiftBars(this))
    , timer_(new QTimer(this)) {
    // Its inputs are its own (restore, remember), not the day's.
    setProperty(kOwnInputs, true);
    templatesView_->setObjectName(QStringLiteral("shiftTemplates"));
    templatesView_->setAccessibleName(QStringLiteral("シフトのひな型"));
    templatesView_->setModel(table_);
    templatesView_->setItemDelegate(new BadRows(*table_, templatesView_));
    templatesView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    templatesView_->setSelectionMode(QAbstractItemView::SingleSelection);
    templatesView_->setEditTriggers(QAbstractItemView::AllEditTriggers);
    templatesView_->setWordWrap(false);
    templatesView_->verticalHeader()->setDefaultSectionSize(templatesView_->fontMetrics().height() +
                                                            6);
    // The breaks take what width the others leave, cut where they must
    // (the tool tip holds the whole cell).
    templatesView_->horizontalHeader()->setStretchLastSection(false);
    templatesView_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    templatesView_->setMinimumHeight(templatesView_->fontMetrics().height() * 7);
    // Ctrl+V with the room's JSON on the clipboard replaces the templates.
    auto* paste = new QAction(templatesView_);
    paste->setShortcut(QKeySequence::Paste);
    paste->setShortcutContext(Qt::WidgetShortcut);
    templatesView_->addAction(paste);
    connect(paste, &QAction::triggered, this, &ShiftsView::pasteTemplates);
    templatesError_->setObjectName(QStringLiteral("shiftTemplatesError"));
    templatesError_->setWordWrap(true);
    QPalette red = templatesError_->palette();
    red.setColor(QPalette::WindowText, kBadRow);
    templatesError_->setPalette(red);
    templatesError_->hide();

    auto* add = new QPushButton(QStringLiteral("追加"), this);
    add->setObjectName(QStringLiteral("addShiftTemplate"));
    add->setToolTip(QStringLiteral("選んだ行（なければ最後の行）を写した行を加えます"));
    removeTemplate_->setObjectName(QStringLiteral("removeShiftTemplate"));
    removeTemplate_->setToolTip(QStringLiteral("選んだ行を除きます"));
    auto* import = new QPushButton(QStringLiteral("読み込み…"), this);
    import->setObjectName(QStringLiteral("importShiftTemplates"));
    import->setToolTip(QStringLiteral(
        "corvane-cli shifts --shifts が読む JSON ファイルからひな型を読み込みます（表で Ctrl+V で"
        "貼り付けも）"));
    export_->setObjectName(QStringLiteral("exportShiftTemplates"));
    export_->setToolTip(QStringLiteral("ひな型を corvane-cli shifts --shifts が読む JSON ファイルに"
                                       "書き出します"));
    for (QPushButton* button : {add, removeTemplate_, import, export_}) {
        button->setAutoDefault(false);
    }

    objective_->setObjectName(QStringLiteral("shiftObjective"));
    objective_->addItem(QStringLiteral("必要人数を満たす"));
    objective_->addItem(QStringLiteral("サービスレベルを満たす"));
    // The day view may show the carried plan; the requirement is still this.
    objective_->setItemData(0,
                            QStringLiteral("各区間で、区間ごとの計画の応対人数（「区間ごと要員」）"
                                           "以上が電話に出るシフトのうち、費用が最小のもの"),
                            Qt::ToolTipRole);
    objective_->setItemData(1,
                            QStringLiteral("呼数で重み付けた1日のサービスレベルが目標以上、"
                                           "呼のある区間はどれも目標の半分以上になる"
                                           "シフトのうち、費用が最小のもの"),
                            Qt::ToolTipRole);
    // Wide enough for its words before the page is first laid out.
    objective_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    objective_->resize(objective_->sizeHint());
    cyclic_->setObjectName(QStringLiteral("shiftCyclic"));
    cyclic_->setToolTip(
        QStringLiteral("1日が繰り返すものとして、終わりを過ぎるシフトが1日の初めを受け持ちます"
                       "（1日全体の区間が要ります）"));
    solve_->setObjectName(QStringLiteral("solveShifts"));
    cancel_->setObjectName(QStringLiteral("cancelShifts"));
    cancel_->setEnabled(false);
    copy_->setObjectName(QStringLiteral("copyShifts"));
    copy_->setToolTip(
        QStringLiteral("シフトと区間ごとの人数を、目的とひな型と一緒に CSV でコピーします"));
    note_->setObjectName(QStringLiteral("shiftNote"));
    note_->setWordWrap(true);
    summary_->setObjectName(QStringLiteral("shiftSummary"));
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    coverage_->setObjectName(QStringLiteral("shiftCoverage"));
    coverage_->setAccessibleName(QStringLiteral("電話に出る人数と必要人数"));
    coverage_->setRenderHint(QPainter::Antialiasing);
    coverage_->chart()->setMargins(QMargins(2, 2, 2, 2));
    coverage_->chart()->legend()->setAlignment(Qt::AlignBottom);
    coverage_->setMinimumHeight(140);

    auto* templateButtons = new QHBoxLayout;
    templateButtons->addWidget(new QLabel(QStringLiteral("シフトのひな型"), this));
    templateButtons->addStretch(1);
    for (QPushButton* button : {add, removeTemplate_, import, export_}) {
        templateButtons->addWidget(button);
    }
    // The time limit in a form of its own, so that its mark goes beneath it.
    auto* limitForm = new QFormLayout;
    limitForm->setContentsMargins(0, 0, 0, 0);
    timeLimit_ =
        new InputField(limitForm, "shiftTimeLimit", ShiftArgumentLabel(shifts::Argument::TimeLimit),
                       QStringLiteral("60"), RangeOf(shifts::rules::kTimeLimit));
    timeLimit_->edit()->setMaximumWidth(70);
    auto* controls = new QHBoxLayout;
    controls->addWidget(objective_);
    controls->addLayout(limitForm);
    controls->addWidget(cyclic_);
    controls->addStretch(1);
    auto* actions = new QHBoxLayout;
    actions->addWidget(solve_);
    actions->addWidget(cancel_);
    actions->addWidget(copy_);
    actions->addWidget(note_, 1);

    auto* scroll = new QScrollArea(this);
    scroll->setWidget(bars_);
    scroll->setWidgetResizable(true);
    auto* answers = new QSplitter(Qt::Horizontal, this);
    answers->addWidget(coverage_);
    answers->addWidget(scroll);
    answers->setStretchFactor(0, 1);
    answers->setStretchFactor(1, 1);
    answers->setChildrenCollapsible(false);
    coverage_->setMinimumWidth(240);
    auto* templatesBox = new QWidget(this);
    auto* templatesColumn = new QVBoxLayout(templatesBox);
    templatesColumn->setContentsMargins(0, 0, 0, 0);
    templatesColumn->addLayout(templateButtons);
    templatesColumn->addWidget(templatesView_, 1);
    templatesColumn->addWidget(templatesError_);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(templatesBox);
    auto* answerBox = new QWidget(this);
    auto* answerColumn = new QVBoxLayout(answerBox);
    answerColumn->setContentsMargins(0, 0, 0, 0);
    answerColumn->addLayout(controls);
    answerColumn->addLayout(actions);
    answerColumn->addWidget(summary_);
    answerColumn->addWidget(answers, 1);
    split->addWidget(answerBox);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 5);
    split->setChildrenCollapsible(false);
    auto* body = new QVBoxLayout(this);
    body->setContentsMargins(4, 4, 4, 4);
    body->addWidget(split);

    connect(table_, &QAbstractItemModel::dataChanged, this, &ShiftsView::checkTemplates);
    connect(table_, &QAbstractItemModel::rowsInserted, this, &ShiftsView::checkTemplates);
    connect(table_, &QAbstractItemModel::rowsRemoved, this, &ShiftsView::checkTemplates);
    connect(table_, &QAbstractItemModel::modelReset, this, &ShiftsView::checkTemplates);
    connect(table_, &QAbstractItemModel::modelReset, templatesView_,
            [view = templatesView_] { fitColumns(view); });
    connect(add, &QPushButton::clicked, this, [this] {
        const QModelIndex current = templatesView_->currentIndex();
        table_->addRow(current.isValid() ? std::optional(current.row()) : std::nullopt);
        templatesView_->setCurrentIndex(table_->index(table_->rowCount() - 1, 0));
    });
    connect(removeTemplate_, &QPushButton::clicked, this, [this] {
        const QModelIndex current = templatesView_->currentIndex();
        table_->removeTemplate(current.isValid() ? current.row() : table_->rowCount() - 1);
    });
    connect(import, &QPushButton::clicked, this, &ShiftsView::importTemplates);
    connect(export_, &QPushButton::clicked, this, &ShiftsView::exportTemplates);
    connect(solve_, &QPushButton::clicked, this, &ShiftsView::solve);
    connect(copy_, &QPushButton::clicked, this, &ShiftsView::copy);
    connect(cancel_, &QPushButton::clicked, this, &ShiftsView::cancel);
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &ShiftsView::poll);
    fitColumns(templatesView_);
    checkTemplates();
    show(std::nullopt);
}

// The job's destructor cancels it and waits for its thread.
ShiftsView::~ShiftsView() = default;

void ShiftsView::setDay(const Day& day) {
    const bool same = RequirementKey(day) == RequirementKey(day_);
    day_ = day;
    if (same) {
        return;
    }
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
    const QString error = table_->error();
    templatesError_->setText(error);
    templatesError_->setVisible(!error.isEmpty());
    solve_->setEnabled(error.isEmpty() && !job_);
    solve_->setToolTip(error);
    export_->setEnabled(error.isEmpty());
    removeTemplate_->setEnabled(table_->rowCount() > 0);
}

bool ShiftsView::readTemplates(const QString& json, const QString& from) {
    if (const std::optional<QString> error = table_->readJson(json)) {
        dialogs_.warn(
            this,
            QStringLiteral("%1のひな型を読み込めません。表はそのままです。\n%2").arg(from, *error));
        return false;
    }
    note_->setText(
        QStringLiteral("%1から %2 個のひな型を読み込みました。").arg(from).arg(table_->rowCount()));
    return true;
}

void ShiftsView::importTemplates() {
    const QString path =
        dialogs_.openPath(this, QStringLiteral("JSON ファイル (*.json);;すべてのファイル (*)"));
    if (path.isEmpty()) {
        return;
    }
    QFile file(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (!file.open(QIODevice::ReadOnly)) {
        dialogs_.warn(this, QStringLiteral("%1 を開けません。\n%2").arg(shown, file.errorString()));
        return;
    }
    if (file.size() > kMostTemplateBytes) {
        dialogs_.warn(this, QStringLiteral("%1 はシフトのひな型にしては大きすぎます（%2 MB 超）。")
                                .arg(shown)
                                .arg(kMostTemplateBytes >> 20));
        return;
    }
    const QByteArray bytes = file.read(kMostTemplateBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        dialogs_.warn(this, QStringLiteral("%1 を読めません。\n%2").arg(shown, file.errorString()));
        return;
    }
    // UTF-8 as corvane-cli reads it, its byte-order mark or none; other
    // bytes refused, not read as replacement characters in the names.
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        dialogs_.warn(this, QStringLiteral("%1 は UTF-8 ではありません。UTF-8 で保存し直して"
                                           "ください。")
                                .arg(shown));
        return;
    }
    readTemplates(text, shown + QStringLiteral(" "));
}

void ShiftsView::pasteTemplates() {
    const QString text = QApplication::clipboard()->text().trimmed();
    if (text.startsWith(u'{') || text.startsWith(u'[')) {
        readTemplates(text, QStringLiteral("クリップボード"));
    } else {
        note_->setText(QStringLiteral("貼り付けられるのは、corvane-cli shifts --shifts が読む"
                                      " JSON のひな型です。"));
    }
}

void ShiftsView::exportTemplates() {
    if (const QString error = table_->error(); !error.isEmpty()) {
        dialogs_.warn(this, QStringLiteral("ひな型を書き出せません。\n%1").arg(error));
        return;
    }
    const QString path =
        dialogs_.savePath(this, QStringLiteral("shifts.json"),
                          QStringLiteral("JSON ファイル (*.json)"), QStringLiteral("json"));
    if (path.isEmpty()) {
        return;
    }
    const QByteArray json = QJsonDocument::fromJson(table_->json().toUtf8()).toJson();
    if (const QString error = SaveFile(path, json); !error.isEmpty()) {
        dialogs_.warn(this, QStringLiteral("%1 に書き出せませんでした。\n%2")
                                .arg(QDir::toNativeSeparators(path), error));
        return;
    }
    note_->setText(
        QStringLiteral("ひな型を %1 に書き出しました。").arg(QDir::toNativeSeparators(path)));
}

void ShiftsView::solve() {
    if (job_) {
        return;
    }
    if (const QString error = table_->error(); !error.isEmpty()) {
        note_->setText(error);
        return;
    }
    const std::optional<double> timeLimit = timeLimit_->read();
    if (!timeLimit) {
        note_->setText(QStringLiteral("%1を直してください。").arg(timeLimit_->label()->text()));
        return;
    }
    const ShiftInputs inputs{static_cast<ShiftObjective>(objective_->currentIndex()),
                             table_->json(), *timeLimit, cyclic_->isChecked()};
    shifts::Problem problem;
    try {
        problem = ShiftProblem(day_, inputs);
    } catch (const std::exception& error) {
        note_->setText(ShiftErrorText(error));
        return;
    }
    {
        const std::lock_guard lock(progressLock_);
        progress_ = {};
    }
    solved_ = inputs;
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
    // Only the shifts shown, of the inputs they were made with: none while a
    // solve runs or after the day changed.
    if (!schedule_ || job_) {
        note_->setText(QStringLiteral("コピーするシフトがありません。"));
        return;
    }
    QApplication::clipboard()->setText(ScheduleCsv(*schedule_, solved_));
    note_->setText(QStringLiteral("シフトと区間ごとの人数をコピーしました。"));
}

void ShiftsView::save(const QByteArray& head,
                      const std::function<QString(const QString&)>& askPath) {
    if (!schedule_ || job_) {
        dialogs_.warn(this, job_ ? QStringLiteral("シフトを作成しています。作成が終わってから"
                                                  "保存してください。")
                                 : QStringLiteral("保存するシフトがありません。「シフトを作成」で"
                                                  "作成してください。"));
        return;
    }
    const QString path = askPath(QStringLiteral("shifts.csv"));
    if (path.isEmpty()) {
        return;
    }
    if (const QString error = SaveSchedule(path, head, *schedule_, solved_); !error.isEmpty()) {
        // Not beside an earlier save's note, which would read as this one's.
        note_->setText(error);
        dialogs_.warn(this, error);
        return;
    }
    note_->setText(
        QStringLiteral("シフトを %1 に、区間ごとの人数を %2 に保存しました。")
            .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(CoveragePath(path))));
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
    cancel_->setEnabled(false);
    checkTemplates(); // 作成 again, unless the templates were made bad meanwhile
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
        note_->setText(ShiftErrorText(error));
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
    auto* phones = new QBarSet(QStringLiteral("応対人数"));
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
    // Read back as typed and checked again as typed ones are: a bad row red
    // with its reason. What does not read as templates at all gives the
    // default ones, saying so; the setting stays until the next is written.
    const QString rows = settings.value(kRowsKey).toString();
    const QString json = settings.value(kTemplatesKey).toString();
    QString lost;
    if (settings.contains(kRowsKey)) {
        if (!table_->readCellsText(rows)) {
            lost = QStringLiteral("保存されていたシフトのひな型が読めないため、既定のひな型に"
                                  "しました。");
        }
    } else if (!json.isEmpty()) {
        if (const std::optional<QString> error = table_->readJson(json)) {
            lost = QStringLiteral("保存されていたシフトのひな型（JSON）が読めないため、既定の"
                                  "ひな型にしました: %1")
                       .arg(*error);
        }
    }
    if (!lost.isEmpty()) {
        table_->readJson(DefaultShiftTemplates());
    }
    bool number = false;
    const int objective = settings.value(kObjectiveKey).toInt(&number);
    if (number && objective >= 0 && objective < objective_->count()) {
        objective_->setCurrentIndex(objective);
    }
    if (settings.contains(kTimeLimitKey)) {
        timeLimit_->edit()->setText(settings.value(kTimeLimitKey).toString());
    }
    cyclic_->setChecked(settings.value(kCyclicKey).toString() == QStringLiteral("true"));
    checkTemplates();
    note_->setText(lost);
}

void ShiftsView::remember(QSettings& settings) const {
    settings.setValue(kRowsKey, table_->cellsText());
    if (table_->error().isEmpty()) {
        settings.setValue(kTemplatesKey, table_->json());
    }
    settings.setValue(kObjectiveKey, objective_->currentIndex());
    settings.setValue(kTimeLimitKey, timeLimit_->edit()->text());
    settings.setValue(kCyclicKey, cyclic_->isChecked());
}

} // namespace tables
