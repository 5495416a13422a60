#include "tables/staffing_tab.h"

#include "tables/files.h"
#include "tables/number_format.h"

#include "teletraffic/staffing_factors.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtCharts/QAreaSeries>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChartView>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tables {
namespace {

const Range kSeconds{0, 86400, false, true};
const Range kPercentBelow100{0, 100, false, false, true};

QString Number(double value) {
    return QString::number(value, 'g', 10);
}

QTableView* TableView(const char* name, const QString& accessibleName, QAbstractItemModel* model,
                      QWidget* parent) {
    auto* view = new QTableView(parent);
    view->setObjectName(QLatin1String(name));
    view->setAccessibleName(accessibleName);
    view->setModel(model);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    return view;
}

QChartView* ChartView(const char* name, const QString& accessibleName, QWidget* parent) {
    auto* view = new QChartView(parent);
    view->setObjectName(QLatin1String(name));
    view->setAccessibleName(accessibleName);
    view->setRenderHint(QPainter::Antialiasing);
    view->chart()->legend()->setAlignment(Qt::AlignBottom);
    return view;
}

void Clear(QChart* chart) {
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
}

QValueAxis* Axis(const QString& title, double from, double to, bool whole) {
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    axis->setRange(from, to);
    axis->applyNiceNumbers();
    axis->setLabelFormat(whole ? QStringLiteral("%d") : QStringLiteral("%.10g"));
    return axis;
}

// Agents from `from` to `to` exactly, ticked at whole steps of 1, 2 or 5 times
// a power of ten: nice numbers would widen the range past the rows.
QValueAxis* AgentAxis(double from, double to) {
    auto* axis = new QValueAxis;
    axis->setTitleText(QStringLiteral("エージェント数"));
    axis->setRange(from, std::max(to, from + 1));
    const double raw = std::max(1.0, (to - from) / 8);
    const double power = std::pow(10, std::floor(std::log10(raw)));
    const double step = raw <= power       ? power
                        : raw <= 2 * power ? 2 * power
                        : raw <= 5 * power ? 5 * power
                                           : 10 * power;
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(std::ceil(from / step) * step);
    axis->setTickInterval(step);
    axis->setLabelFormat(QStringLiteral("%d"));
    return axis;
}

QLineSeries* Line(const QString& name, const QColor& colour, Qt::PenStyle style = Qt::SolidLine) {
    auto* series = new QLineSeries;
    series->setName(name);
    series->setPen(QPen(colour, 2, style));
    return series;
}

QPushButton* Button(const char* name, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

// The models, plain Qt Core, have no fonts or colours: the row of the answer
// (or the day's peak) in bold, a row that has no answer in red.
class RowStyle : public QStyledItemDelegate {
    Q_OBJECT

public:
    // A failed row's error spans the columns from `spanFrom`.
    RowStyle(std::function<bool(int)> bold, std::function<bool(int)> failed, int spanFrom,
             QObject* parent)
        : QStyledItemDelegate(parent)
        , bold_(std::move(bold))
        , failed_(std::move(failed))
        , spanFrom_(spanFrom) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->font.setBold(bold_(index.row()));
        if (failed_(index.row())) {
            option->palette.setColor(QPalette::Text, QColor(0xb0, 0x00, 0x20));
        }
    }

    // A row's error spans the figures' columns: it is not to widen the first.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize size = QStyledItemDelegate::sizeHint(option, index);
        const bool error = failed_(index.row()) && index.column() >= spanFrom_;
        return error ? QSize(0, size.height()) : size;
    }

private:
    std::function<bool(int)> bold_;
    std::function<bool(int)> failed_;
    int spanFrom_;
};

} // namespace

StaffingTab::StaffingTab(Dialogs dialogs, QWidget* parent)
    : Tab("staffingTab", std::move(dialogs), parent)
    , calls_(addField("calls", QStringLiteral("呼数（区間あたり）"), QStringLiteral("100"),
                      {0, teletraffic::kMaxTraffic}, teletraffic::Argument::Traffic))
    , interval_(addField("interval", QStringLiteral("区間の長さ (分)"), QStringLiteral("30"),
                         {0, 10080, false, true}))
    , aht_(addField("aht", QStringLiteral("平均処理時間 (秒)"), QStringLiteral("180"), kSeconds,
                    teletraffic::Argument::Aht))
    , patience_(addField("patience", QStringLiteral("平均放棄時間 (秒)"), QString(), kSeconds,
                         teletraffic::Argument::Patience))
    , targetKind_(new QComboBox(this))
    , targetTime_(addField("targetTime", QStringLiteral("応答目標時間 (秒)"), QStringLiteral("20"),
                           {0, 86400}, teletraffic::Argument::TargetTime))
    , serviceLevel_(addField("serviceLevel", QStringLiteral("サービスレベル目標 (%)"),
                             QStringLiteral("80"), kPercentBelow100,
                             teletraffic::Argument::ServiceLevel))
    , averageWait_(addField("averageWait", QStringLiteral("平均応答時間目標 (秒)"),
                            QStringLiteral("20"), kSeconds, teletraffic::Argument::AverageWait))
    , shrinkage_(addField("shrinkage", QStringLiteral("シュリンケージ (%)"), QStringLiteral("0"),
                          kPercentBelow100, teletraffic::Argument::Shrinkage))
    , maxOccupancy_(addField("maxOccupancy", QStringLiteral("最大稼働率 (%)"),
                             QStringLiteral("100"), {0, 100, false, true},
                             teletraffic::Argument::MaxOccupancy))
    , answer_(new QLabel(this))
    , detail_(new QLabel(this))
    , views_(new QTabWidget(this))
    , model_(new StaffingModel(this))
    , chart_(ChartView("staffChart", QStringLiteral("エージェント数ごとのサービスレベルと放棄率"),
                       this))
    , dayModel_(new DayModel(this)) {
    patience_->edit()->setPlaceholderText(QStringLiteral("空欄: 放棄しない（アーランC）"));
    targetKind_->setObjectName(QStringLiteral("staffTargetKind"));
    targetKind_->setAccessibleName(QStringLiteral("目標の種類"));
    targetKind_->addItems({QStringLiteral("サービスレベル"), QStringLiteral("平均応答時間 (ASA)")});
    // Above the fields it chooses between.
    int targetRow = 0;
    form_->getWidgetPosition(targetTime_, &targetRow, nullptr);
    form_->insertRow(targetRow, QStringLiteral("目標の種類"), targetKind_);
    connect(targetKind_, &QComboBox::currentIndexChanged, this, [this] {
        showTarget();
        run();
    });
    // The wait's words follow the model: with hang-ups it is no longer the ASA.
    connect(patience_->edit(), &QLineEdit::textChanged, this, &StaffingTab::showTarget);
    showTarget();
    connect(addButton("staffCompute", QStringLiteral("計算")), &QPushButton::clicked, this,
            &Tab::run);
    // Saves the view shown: a table as CSV, a chart as a picture.
    QPushButton* saveButton = addButton("staffExport", QStringLiteral("CSV に保存"));
    connect(saveButton, &QPushButton::clicked, this, &StaffingTab::save);
    // The field marks take the boxes' tips, so the help stands beneath them.
    auto* help = new QLabel(
        QStringLiteral("平均放棄時間: 呼が切らずに待てる時間の平均。ACD レポートの「放棄呼の"
                       "平均待ち時間」ではありません（それは待ちきれずに切った呼だけの平均で、"
                       "短めに出ます）。空欄なら誰も切らずに待ちます（アーランC）。\n"
                       "平均待ち時間（全呼）: 放棄した呼も切るまでの待ちに数えた平均。応答した"
                       "呼だけの平均（ACD の ASA）とは別の量です。\n"
                       "シュリンケージ: 休憩や研修で電話に出ない時間の割合。\n"
                       "シュリンケージと最大稼働率は入力した10進の値どおりに計算します"
                       "（84 人に 20 % なら 105 人、7 アーランに 70 % なら 10 人）。"),
        this);
    help->setObjectName(QStringLiteral("staffHelp"));
    help->setWordWrap(true);
    help->setForegroundRole(QPalette::PlaceholderText);
    side_->addSpacing(8);
    side_->addWidget(help);
    side_->addStretch(1);

    answer_->setObjectName(QStringLiteral("staffAnswer"));
    QFont big = answer_->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    answer_->setFont(big);
    answer_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    detail_->setObjectName(QStringLiteral("staffDetail"));
    detail_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    view_ = TableView("staffing", QStringLiteral("エージェント数ごとの応答"), model_, this);
    view_->setTabKeyNavigation(false);
    view_->setItemDelegate(new RowStyle(
        [this](int row) {
            const auto& rows = model_->staffing().rows;
            return rows.at(static_cast<std::size_t>(row)).agents == model_->staffing().agents;
        },
        [](int) { return false; }, 1, view_));
    AddCopy(view_, this);

    views_->setObjectName(QStringLiteral("staffViews"));
    views_->addTab(view_, QStringLiteral("表"));
    views_->addTab(chart_, QStringLiteral("グラフ"));
    views_->addTab(dayPage(), QStringLiteral("1日の要員計画"));
    connect(views_, &QTabWidget::currentChanged, saveButton, [saveButton](int view) {
        saveButton->setText(view == 1 ? QStringLiteral("グラフを保存")
                                      : QStringLiteral("CSV に保存"));
    });
    right_->addWidget(answer_);
    right_->addWidget(detail_);
    right_->addWidget(views_, 1);
}

QWidget* StaffingTab::dayPage() {
    auto* page = new QWidget(this);
    volumes_ = new QPlainTextEdit(page);
    volumes_->setObjectName(QStringLiteral("volumes"));
    volumes_->setAccessibleName(QStringLiteral("区間ごとの呼数"));
    volumes_->setPlaceholderText(QStringLiteral(
        "区間と呼数を表計算ソフトから貼り付けてください。\n例:\n09:00,120\n09:30,150"));
    volumes_->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab goes on to the buttons, as in a field; a pasted tab stays a tab.
    volumes_->setTabChangesFocus(true);
    volumes_->setFixedWidth(128);
    volumesError_ = new QLabel(page);
    volumesError_->setObjectName(QStringLiteral("volumesError"));
    volumesError_->setWordWrap(true);
    volumesError_->setFixedWidth(128);
    QPalette red = volumesError_->palette();
    red.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x20));
    volumesError_->setPalette(red);
    volumesError_->hide();
    auto* heading = new QLabel(QStringLiteral("区間, 呼数"), page);
    heading->setBuddy(volumes_);
    QPushButton* import = Button("importVolumes", QStringLiteral("CSV を読み込む"), page);
    connect(import, &QPushButton::clicked, this, &StaffingTab::importVolumes);
    QPushButton* dayCompute = Button("dayCompute", QStringLiteral("1日を計算"), page);
    connect(dayCompute, &QPushButton::clicked, this, &Tab::run);
    QPushButton* copyButton = Button("copyDay", QStringLiteral("コピー"), page);
    // The button beside the volumes copies the day they make, whatever cell
    // was clicked last; Ctrl+C in the table copies what is selected there.
    copyButton->setToolTip(QStringLiteral("1日の表をすべてコピーします（選んだ範囲だけなら、"
                                          "表で Ctrl+C）"));
    connect(copyButton, &QPushButton::clicked, this, &StaffingTab::copyDay);
    exportDay_ = Button("exportDay", QStringLiteral("CSV に保存"), page);
    connect(exportDay_, &QPushButton::clicked, this, &StaffingTab::saveDay);
    QPushButton* dayPicture = Button("saveDayChart", QStringLiteral("グラフを保存"), page);
    connect(dayPicture, &QPushButton::clicked, this,
            [this] { saveChart(dayChart_, QStringLiteral("staffing-day.png")); });

    daySummary_ = new QLabel(page);
    daySummary_->setObjectName(QStringLiteral("daySummary"));
    daySummary_->setWordWrap(true);
    daySummary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    dayWarnings_ = new QLabel(page);
    dayWarnings_->setObjectName(QStringLiteral("dayWarnings"));
    dayWarnings_->setWordWrap(true);
    dayWarnings_->setPalette(red);
    dayWarnings_->hide();
    dayView_ = TableView("day", QStringLiteral("区間ごとの要員"), dayModel_, page);
    dayView_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    dayView_->horizontalHeader()->setStretchLastSection(true);
    dayView_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    dayView_->verticalHeader()->setDefaultSectionSize(dayView_->fontMetrics().height() + 6);
    dayView_->setTabKeyNavigation(false);
    dayView_->setItemDelegate(new RowStyle(
        [this](int row) { return row == dayModel_->day().peak; },
        [this](int row) {
            return !dayModel_->day().rows.at(static_cast<std::size_t>(row)).error.isEmpty();
        },
        dayModel_->errorColumn(), dayView_));
    AddCopy(dayView_, this);
    dayChart_ = ChartView("dayChart", QStringLiteral("1日のエージェント数と呼数"), page);
    dayChart_->chart()->setMargins(QMargins(4, 4, 4, 4));
    auto* split = new QSplitter(Qt::Vertical, page);
    split->addWidget(dayView_);
    split->addWidget(dayChart_);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    dayChart_->setMinimumHeight(240);

    auto* inputs = new QWidget(page);
    auto* left = new QVBoxLayout(inputs);
    left->setContentsMargins(0, 0, 0, 0);
    left->addWidget(heading);
    left->addWidget(volumes_, 1);
    left->addWidget(volumesError_);
    for (QPushButton* button : {import, dayCompute, copyButton, exportDay_, dayPicture}) {
        left->addWidget(button);
    }
    auto* right = new QVBoxLayout;
    right->addWidget(daySummary_);
    right->addWidget(dayWarnings_);
    right->addWidget(split, 1);
    auto* body = new QHBoxLayout(page);
    body->addWidget(inputs, 0);
    keepClear(inputs);
    body->addLayout(right, 1);
    return page;
}

void StaffingTab::showTarget() {
    const bool byWait = targetKind_->currentIndex() == 1;
    form_->setRowVisible(serviceLevel_, !byWait);
    form_->setRowVisible(averageWait_, byWait);
    const WaitWords words =
        WaitWording(WaitBasis::AllCallers, !patience_->edit()->text().trimmed().isEmpty());
    averageWait_->setLabel(words.target);
    // On the label: the box's tip is its error's.
    averageWait_->label()->setToolTip(words.explanation);
    targetKind_->setItemText(1, words.choice);
}

std::optional<StaffingInputs> StaffingTab::read() {
    const bool byWait = targetKind_->currentIndex() == 1;
    const auto calls = calls_->read();
    const auto interval = interval_->read();
    const auto aht = aht_->read();
    // Empty: callers never hang up.
    const bool forEver = patience_->edit()->text().trimmed().isEmpty();
    const auto patience = forEver ? std::nullopt : patience_->read();
    if (forEver) {
        patience_->mark({});
    }
    const auto targetTime = targetTime_->read();
    // The hidden target keeps its text, but not a mark for it.
    (byWait ? serviceLevel_ : averageWait_)->mark({});
    const auto serviceLevel = byWait ? std::optional(80.0) : serviceLevel_->read();
    const auto averageWait = byWait ? averageWait_->read() : std::optional(20.0);
    const auto shrinkage = shrinkage_->read();
    const auto maxOccupancy = maxOccupancy_->read();
    if (!calls || !interval || !aht || !(forEver || patience) || !targetTime || !serviceLevel ||
        !averageWait || !shrinkage || !maxOccupancy) {
        return std::nullopt;
    }
    StaffingInputs in;
    in.calls = *calls;
    in.intervalMinutes = *interval;
    in.ahtSeconds = *aht;
    in.patienceSeconds = patience;
    in.target = byWait ? StaffingTarget::AverageWait : StaffingTarget::ServiceLevel;
    in.targetSeconds = *targetTime;
    in.serviceLevel = FromPercent(*serviceLevel);
    in.averageWaitSeconds = *averageWait;
    in.shrinkage = FromPercent(*shrinkage);
    in.maxOccupancy = FromPercent(*maxOccupancy);
    if (in.traffic() > teletraffic::kMaxTraffic) {
        calls_->mark(QStringLiteral("呼量が %1 アーランになります。%2 アーランまでにしてください")
                         .arg(in.traffic(), 0, 'g', 6)
                         .arg(teletraffic::kMaxTraffic, 0, 'g', 6));
        return std::nullopt;
    }
    return in;
}

bool StaffingTab::compute() {
    const std::optional<StaffingInputs> in = read();
    if (!in) {
        return false;
    }
    model_->setStaffing(Staff(*in));
    showAnswer(model_->staffing());
    showChart(model_->staffing());
    staffDay(*in);
    return true;
}

void StaffingTab::showAnswer(const Staffing& s) {
    answer_->setText(QStringLiteral("呼量 %1 アーラン　必要エージェント数 %2　スケジュール人数 %3")
                         .arg(TrafficText(s.traffic))
                         .arg(s.agents)
                         .arg(s.scheduled));
    QStringList detail;
    if (s.agents > 0) {
        detail << QStringLiteral("サービスレベル %1 %")
                      .arg(FigureText(s.inputs, Shown::ServiceLevel, s.answer.serviceLevel));
        if (s.inputs.patienceSeconds) {
            detail << QStringLiteral("放棄率 %1 %")
                          .arg(FigureText(s.inputs, Shown::Share, s.answer.abandonment));
        }
        detail
            << QStringLiteral("稼働率 %1 %")
                   .arg(FigureText(s.inputs, Shown::Occupancy, s.answer.occupancy))
            << QStringLiteral("%1 %2 秒")
                   .arg(WaitWording(s.inputs.waitBasis, s.inputs.patienceSeconds.has_value()).name)
                   .arg(FigureText(s.inputs, Shown::Wait, s.answer.averageWait));
    }
    if (s.decidedBy == teletraffic::Decided::Occupancy) {
        detail << QStringLiteral("（最大稼働率で決まりました）");
    }
    detail_->setText(detail.join(QStringLiteral("　")));
    // The columns share the width, but the service level's and the wait's
    // headings are whole (the wait's names what it averages).
    for (int column : {1, 2}) {
        view_->horizontalHeader()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    view_->clearSpans();
    for (int row = 0; row < model_->rowCount(); ++row) {
        if (s.rows[static_cast<std::size_t>(row)].unbounded) {
            view_->setSpan(row, 1, 1, model_->columnCount() - 1);
        }
    }
    const auto answerRow = std::find_if(s.rows.begin(), s.rows.end(),
                                        [&](const StaffingRow& r) { return r.agents == s.agents; });
    if (answerRow != s.rows.end()) {
        view_->scrollTo(model_->index(static_cast<int>(answerRow - s.rows.begin()), 0),
                        QAbstractItemView::PositionAtCenter);
    }
}

void StaffingTab::showChart(const Staffing& s) {
    QChart* chart = chart_->chart();
    Clear(chart);
    if (s.rows.empty()) {
        return;
    }
    auto* x = AgentAxis(static_cast<double>(s.rows.front().agents),
                        static_cast<double>(s.rows.back().agents));
    auto* y = Axis(QStringLiteral("%"), 0, 100, false);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    const auto add = [&](QXYSeries* series) {
        chart->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
    };
    auto* level = Line(QStringLiteral("サービスレベル (%)"), QColor(0x1f, 0x5f, 0xa8));
    auto* abandon = Line(QStringLiteral("放棄率 (%)"), QColor(0xc0, 0x39, 0x2b));
    for (const StaffingRow& row : s.rows) {
        if (!row.unbounded) {
            const auto n = static_cast<double>(row.agents);
            level->append(n, row.serviceLevel * 100);
            abandon->append(n, row.abandonment * 100);
        }
    }
    add(level);
    if (s.inputs.patienceSeconds) {
        add(abandon);
    } else {
        delete abandon;
        abandon = nullptr;
    }
    for (QLineSeries* series : {level, abandon}) {
        if (series != nullptr) {
            connect(series, &QLineSeries::hovered, this, [this](QPointF at, bool entered) {
                if (entered) {
                    hover(at);
                }
            });
        }
    }
    if (s.inputs.target == StaffingTarget::ServiceLevel) {
        auto* target = Line(QStringLiteral("目標 %1 %").arg(Number(s.inputs.serviceLevel * 100)),
                            Qt::darkGray, Qt::DashLine);
        target->append(static_cast<double>(s.rows.front().agents), s.inputs.serviceLevel * 100);
        target->append(static_cast<double>(s.rows.back().agents), s.inputs.serviceLevel * 100);
        add(target);
    }
    auto* answer = new QScatterSeries;
    answer->setName(QStringLiteral("必要エージェント数 %1").arg(s.agents));
    answer->setMarkerSize(10);
    answer->setColor(QColor(0x1f, 0x5f, 0xa8));
    answer->append(static_cast<double>(s.agents), s.answer.serviceLevel * 100);
    add(answer);
}

void StaffingTab::hover(QPointF at) {
    const Staffing& s = model_->staffing();
    const auto n = static_cast<qint64>(std::lround(at.x()));
    const auto row = std::find_if(s.rows.begin(), s.rows.end(),
                                  [n](const StaffingRow& r) { return r.agents == n; });
    if (row == s.rows.end() || row->unbounded) {
        return;
    }
    QString text = QStringLiteral("%1 人: サービスレベル %2 %")
                       .arg(n)
                       .arg(FigureText(s.inputs, Shown::ServiceLevel, row->serviceLevel));
    if (s.inputs.patienceSeconds) {
        text += QStringLiteral("、放棄率 %1 %")
                    .arg(FigureText(s.inputs, Shown::Share, row->abandonment));
    }
    text += QStringLiteral("、%1 %2 秒")
                .arg(WaitWording(s.inputs.waitBasis, s.inputs.patienceSeconds.has_value()).name)
                .arg(FigureText(s.inputs, Shown::Wait, row->averageWait));
    QToolTip::showText(QCursor::pos(), text, chart_);
}

void StaffingTab::staffDay(const StaffingInputs& inputs) {
    Day day = StaffDay(ReadVolumes(volumes_->toPlainText()), inputs);
    volumesError_->setText(day.refused);
    volumesError_->setVisible(!day.refused.isEmpty());
    daySummary_->setText(DaySummary(day));
    const QStringList warnings = DayWarnings(day);
    dayWarnings_->setText(warnings.join(u'\n'));
    dayWarnings_->setVisible(!warnings.isEmpty());
    dayModel_->setDay(std::move(day));
    const Day& shown = dayModel_->day();
    dayView_->clearSpans();
    for (int row = 0; row < dayModel_->rowCount(); ++row) {
        if (!shown.rows[static_cast<std::size_t>(row)].error.isEmpty()) {
            const int from = dayModel_->errorColumn();
            dayView_->setSpan(row, from, 1, dayModel_->columnCount() - from);
        }
    }
    // A row that failed first: it is what needs the planner. Once the page
    // is laid out with the summary's new lines, or the view's centre is not
    // yet where it will be.
    const int first = shown.firstFailed >= 0 ? shown.firstFailed : shown.peak;
    if (first >= 0) {
        QTimer::singleShot(0, dayView_, [this, first] {
            if (first < dayModel_->rowCount()) {
                dayView_->doItemsLayout(); // the scroll range for the new rows
                dayView_->scrollTo(dayModel_->index(first, 0), QAbstractItemView::PositionAtCenter);
            }
        });
    }
    showDayChart(shown);
}

void StaffingTab::showDayChart(const Day& day) {
    QChart* chart = dayChart_->chart();
    Clear(chart);
    if (day.peak < 0) {
        return;
    }
    double mostCalls = 1;
    const auto last = static_cast<double>(day.rows.size() - 1);
    auto* x = new QCategoryAxis;
    x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    x->setRange(0, std::max(1.0, last));
    x->setTitleText(QStringLiteral("区間"));
    const auto every = std::max<std::size_t>(1, day.rows.size() / 8);
    for (std::size_t i = 0; i < day.rows.size(); ++i) {
        if (i % every == 0) {
            x->append(day.rows[i].label, static_cast<double>(i));
        }
        if (day.rows[i].error.isEmpty()) {
            mostCalls = std::max(mostCalls, day.rows[i].staffing.inputs.calls);
        }
    }
    const double peak =
        static_cast<double>(day.rows[static_cast<std::size_t>(day.peak)].staffing.scheduled);
    auto* agents = Axis(QStringLiteral("エージェント数"), 0, std::max(1.0, peak * 1.1), true);
    auto* callAxis = Axis(QStringLiteral("呼数"), 0, mostCalls * 1.1, false);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(agents, Qt::AlignLeft);
    chart->addAxis(callAxis, Qt::AlignRight);
    // A run of answered intervals at a time: a failed one is a gap, not a
    // line drawn across it. Each name in the legend once.
    const QColor callColour(0x99, 0x99, 0x99);
    const QColor phoneColour(0x1f, 0x5f, 0xa8);
    const QColor scheduleColour(0xe0, 0x7b, 0x00);
    bool named = false;
    for (std::size_t i = 0; i < day.rows.size();) {
        if (!day.rows[i].error.isEmpty()) {
            ++i;
            continue;
        }
        auto* calls = Line(QStringLiteral("呼数"), callColour);
        auto* onPhones = Line(QStringLiteral("応対エージェント数"), phoneColour);
        auto* scheduled = Line(QStringLiteral("スケジュール人数"), scheduleColour);
        for (; i < day.rows.size() && day.rows[i].error.isEmpty(); ++i) {
            const Staffing& s = day.rows[i].staffing;
            const auto at = static_cast<double>(i);
            calls->append(at, s.inputs.calls);
            onPhones->append(at, static_cast<double>(s.agents));
            scheduled->append(at, static_cast<double>(s.scheduled));
        }
        // The calls as a shaded area behind the agents, whose lines follow them.
        auto* callArea = new QAreaSeries(calls);
        calls->setParent(callArea); // an area series does not own the line it fills below
        callArea->setName(calls->name());
        callArea->setPen(calls->pen());
        callArea->setBrush(QColor(0xdd, 0xdd, 0xdd));
        chart->addSeries(callArea);
        callArea->attachAxis(x);
        callArea->attachAxis(callAxis);
        for (QLineSeries* series : {onPhones, scheduled}) {
            series->setPointsVisible(series->count() == 1); // a lone interval as a dot
            chart->addSeries(series);
            series->attachAxis(x);
            series->attachAxis(agents);
        }
        if (std::exchange(named, true)) {
            for (QAbstractSeries* series :
                 {static_cast<QAbstractSeries*>(callArea), static_cast<QAbstractSeries*>(onPhones),
                  static_cast<QAbstractSeries*>(scheduled)}) {
                chart->legend()->markers(series).value(0)->setVisible(false);
            }
        }
    }
}

void StaffingTab::importVolumes() {
    const QString path =
        dialogs_.openPath(this, QStringLiteral("CSV ファイル (*.csv *.txt);;すべてのファイル (*)"));
    if (path.isEmpty()) {
        return;
    }
    QFile file(path);
    // A day is a few kilobytes; more is not a file of volumes.
    constexpr qint64 kMostBytes = 4 << 20;
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMostBytes) {
        dialogs_.warn(
            this, QStringLiteral("%1 を読み込めませんでした。\n%2")
                      .arg(QDir::toNativeSeparators(path),
                           file.isOpen() ? QStringLiteral("大きすぎます") : file.errorString()));
        return;
    }
    volumes_->setPlainText(DecodeVolumes(file.readAll()));
    views_->setCurrentIndex(2);
    run();
    emit said(QStringLiteral("%1 を読み込みました。").arg(QDir::toNativeSeparators(path)));
}

void StaffingTab::save() {
    switch (views_->currentIndex()) {
    case 0:
        saveTable(*model_, QStringLiteral("staffing.csv"));
        break;
    case 1:
        saveChart(chart_, QStringLiteral("staffing.png"));
        break;
    default:
        saveDay();
        break;
    }
}

void StaffingTab::saveDay() {
    // Volumes edited since the day shown are staffed first.
    if (!readyToExport(Export::Save)) {
        return;
    }
    const Day& day = dayModel_->day();
    if (day.rows.empty()) {
        dialogs_.warn(this, day.refused.isEmpty()
                                ? QStringLiteral("保存する区間がありません。区間ごとの呼数を"
                                                 "貼り付けるか、CSV を読み込んでください。")
                                : day.refused);
        return;
    }
    savingDay_ = true;
    saveTable(*dayModel_, QStringLiteral("staffing-day.csv"));
    savingDay_ = false;
}

QList<QStringList> StaffingTab::statedInputs() const {
    QList<QStringList> lines = Tab::statedInputs();
    const Day& day = dayModel_->day();
    if (savingDay_ && day.intervalFromLabels) {
        lines << QStringList{QStringLiteral("1日の区間の長さ (分)"),
                             Exact(day.inputs.intervalMinutes), QStringLiteral("区間の時刻の間隔")};
    }
    return lines;
}

void StaffingTab::copyDay() {
    if (!readyToExport(Export::Copy)) {
        return;
    }
    QList<int> rows(dayModel_->rowCount());
    QList<int> columns(dayModel_->columnCount());
    std::iota(rows.begin(), rows.end(), 0);
    std::iota(columns.begin(), columns.end(), 0);
    QApplication::clipboard()->setText(TableText(*dayModel_, rows, columns));
    emit said(QStringLiteral("1日の %1 区間を見出しと一緒にコピーしました。").arg(rows.size()));
}

} // namespace tables

#include "staffing_tab.moc"
