#include "tables/tabs/staffing_tab.h"

#include "tables/tabs/carried_day_view.h"

#include "tables/models/files.h"
#include "tables/models/number_format.h"
#include "tables/widgets/fitted_header.h"

#include "teletraffic/domain.h"

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
#include <QPromise>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStyleOption>
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
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tables {
namespace {

const Range kSeconds{0, 86400, false, true};

// The widest a field's label is before it takes two lines.
constexpr int kLabelWidth = 140;

// The targets 目標の種類 sets, by its items' places.
enum TargetKind { kServiceLevel, kAverageWait, kBoth };
const Range kPercentBelow100{0, 100, false, false, true, true};

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
// (or the day's peak) in bold, a row that has no answer in red. A row
// without figures shows its reason across their columns, the model keeping
// it in a column of its own (so that a copy or a file has numbers alone in
// the figures' columns).
class RowStyle : public QStyledItemDelegate {
    Q_OBJECT

public:
    struct Rows {
        std::function<bool(int)> bold;
        std::function<bool(int)> failed;
        std::function<QString(int)> reason; // empty for a row with figures
        std::function<int()> spanFrom;      // the first of the figures' columns
    };
    RowStyle(Rows rows, QObject* parent)
        : QStyledItemDelegate(parent)
        , rows_(std::move(rows)) {}

    // Spans each row's reason over the figures' columns of `view`, the
    // reasons' own column (the last) in sight only where a row has one, so
    // that a selection copied holds the reasons shown.
    void span(QTableView* view) const {
        view->clearSpans();
        const int columns = view->model()->columnCount();
        bool any = false;
        for (int row = 0; row < view->model()->rowCount(); ++row) {
            if (!rows_.reason(row).isEmpty()) {
                view->setSpan(row, rows_.spanFrom(), 1, columns - rows_.spanFrom());
                any = true;
            }
        }
        view->setColumnHidden(columns - 1, !any);
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->font.setBold(rows_.bold(index.row()));
        if (rows_.failed(index.row())) {
            option->palette.setColor(QPalette::Text, QColor(0xb0, 0x00, 0x20));
        }
        if (index.column() == rows_.spanFrom()) {
            if (const QString reason = rows_.reason(index.row()); !reason.isEmpty()) {
                option->text = reason;
                option->displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
            }
        }
    }

    // A row's reason spans the figures' columns: it is not to widen the first.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize size = QStyledItemDelegate::sizeHint(option, index);
        const bool spans =
            index.column() >= rows_.spanFrom() && !rows_.reason(index.row()).isEmpty();
        return spans ? QSize(0, size.height()) : size;
    }

private:
    Rows rows_;
};

} // namespace

// The choice a combo box shows, by the registry's word its item holds.
template <typename Enum> Enum ChosenIn(const QComboBox* box) {
    return teletraffic::ParseChoice<Enum>(box->currentData().toString().toStdString())
        .value_or(Enum{});
}

StaffingTab::StaffingTab(Dialogs dialogs, QWidget* parent)
    : Tab("staffingTab", std::move(dialogs), parent)
    , calls_(addField("calls", QStringLiteral("呼数（区間あたり）"), QStringLiteral("100"),
                      {0, teletraffic::kMaxTraffic}, teletraffic::Argument::Traffic))
    , variance_(addField("callsVariance", QStringLiteral("呼数の分散"), QString(),
                         {0, INFINITY, false, false, true},
                         teletraffic::Argument::ForecastVariance))
    , interval_(addField("interval", QStringLiteral("区間の長さ (分)"), QStringLiteral("30"),
                         {0, 10080, false, true}))
    , aht_(addField("aht", QStringLiteral("平均処理時間 (秒)"), QStringLiteral("180"), kSeconds,
                    teletraffic::Argument::Aht))
    , patience_(addField("patience", QStringLiteral("平均放棄時間 (秒)"), QString(), kSeconds,
                         teletraffic::Argument::Patience))
    , lines_(addField("staffLines", QStringLiteral("回線数"), QString(),
                      {1, teletraffic::kMaxLines, true}, teletraffic::Argument::Lines))
    , redial_(addField("redial", QStringLiteral("再ダイヤル率 (%)"), QString(), kPercentBelow100,
                       teletraffic::Argument::Redial))
    , targetKind_(new QComboBox(this))
    , targetTime_(addField("targetTime", QStringLiteral("応答目標時間 (秒)"), QStringLiteral("20"),
                           {0, 86400}, teletraffic::Argument::TargetTime))
    , basis_(new QComboBox(this))
    , serviceLevel_(addField("serviceLevel", QStringLiteral("サービスレベル目標 (%)"),
                             QStringLiteral("80"), kPercentBelow100,
                             teletraffic::Argument::ServiceLevel))
    , waitBasis_(new QComboBox(this))
    , averageWait_(addField("averageWait", QStringLiteral("平均応答時間目標 (秒)"),
                            QStringLiteral("20"), kSeconds, teletraffic::Argument::AverageWait))
    , shrinkage_(addField("shrinkage", QStringLiteral("シュリンケージ (%)"), QStringLiteral("0"),
                          kPercentBelow100, teletraffic::Argument::Shrinkage))
    , maxOccupancy_(addField("maxOccupancy", QStringLiteral("最大稼働率 (%)"),
                             QStringLiteral("100"), {0, 100, false, true, false, true},
                             teletraffic::Argument::MaxOccupancy))
    , answer_(new QLabel(this))
    , detail_(new QLabel(this))
    , views_(new QTabWidget(this))
    , model_(new StaffingModel(this))
    , chart_(ChartView("staffChart", QStringLiteral("エージェント数ごとのサービスレベルと放棄率"),
                       this))
    , dayModel_(new DayModel(this)) {
    patience_->edit()->setPlaceholderText(QStringLiteral("空欄: 放棄なし（アーランC）"));
    variance_->edit()->setPlaceholderText(QStringLiteral("空欄: 呼数と同じ（ポアソン）"));
    lines_->edit()->setPlaceholderText(QStringLiteral("空欄: 制限なし"));
    redial_->edit()->setPlaceholderText(QStringLiteral("空欄: かけ直さない"));
    // On the labels: the boxes' tips are their errors'.
    variance_->label()->setToolTip(
        QStringLiteral("予測した呼数のばらつき（区間の呼数の分散）。呼数と同じなら偶然による"
                       "ばらつきだけ（ポアソン分布）で、大きいほど予測が不確かです。呼数より"
                       "大きくするには、平均放棄時間か回線数が必要です。\n1日の計画では、"
                       "各区間に同じ割合のばらつきを当てはめます（区間の呼数を C、ここの呼数と"
                       "分散を C₀・V₀ として、分散 = C + (V₀ − C₀) × (C ÷ C₀)²）。"));
    lines_->label()->setToolTip(
        QStringLiteral("同時に受けられる呼の数（応対中と待ち呼の合計）。すべてふさがっていると、"
                       "かけてきた人は話中音を聞きます（呼損）。エージェント数はこの数までです。"));
    redial_->label()->setToolTip(
        QStringLiteral("話中になった人と、待ちきれずに切った人のうち、かけ直す人の割合。かけ直し"
                       "の呼は新しい呼に加わります。100 % 未満にしてください。"));
    const auto choices = [this](QComboBox* box, const char* name, const QString& label,
                                QWidget* above) {
        box->setObjectName(QLatin1String(name));
        box->setAccessibleName(label);
        // As wide as the fields: an item's whole text is in its list.
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setMinimumContentsLength(8);
        int row = 0;
        form_->getWidgetPosition(above, &row, nullptr);
        form_->insertRow(row, label, box);
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            showTarget();
            run();
        });
    };
    targetKind_->addItems({QStringLiteral("サービスレベル"), QStringLiteral("平均応答時間 (ASA)"),
                           QStringLiteral("SL と平均応答時間")});
    targetKind_->setItemData(kBoth,
                             QStringLiteral("サービスレベルと平均の待ち時間の両方を満たす最少の"
                                            "エージェント数（どちらの目標で決まったかは結果に）"),
                             Qt::ToolTipRole);
    // Each item holds its choice's word in the registry, read back as the
    // registry's enum (ChosenIn), not as its place in the list.
    for (const auto& [basis, word] : teletraffic::choices::kBasisRows) {
        basis_->addItem(BasisName(basis), QString::fromUtf8(word.word.data(), word.word.size()));
        basis_->setItemData(basis_->count() - 1, BasisExplanation(basis), Qt::ToolTipRole);
    }
    for (const auto& [wait, word] : teletraffic::choices::kWaitRows) {
        waitBasis_->addItem(wait == WaitBasis::AllCallers
                                ? QStringLiteral("全呼（放棄呼は切るまで）")
                                : QStringLiteral("応答呼（ACD の ASA）"),
                            QString::fromUtf8(word.word.data(), word.word.size()));
    }
    // Each above the fields it rules.
    choices(targetKind_, "staffTargetKind", QStringLiteral("目標の種類"), targetTime_);
    choices(basis_, "serviceLevelBasis", QStringLiteral("サービスレベルの定義"), serviceLevel_);
    choices(waitBasis_, "waitBasis", QStringLiteral("待ち時間の定義"), averageWait_);
    // The wait's words follow the model: with hang-ups it is no longer the ASA.
    connect(patience_->edit(), &QLineEdit::textChanged, this, &StaffingTab::showTarget);
    showTarget();
    connect(addButton("staffCompute", QStringLiteral("計算")), &QPushButton::clicked, this,
            &Tab::run);
    // Saves the view shown: a table as CSV, a chart as a picture.
    QPushButton* saveButton = addButton("staffExport", QStringLiteral("CSV に保存"));
    connect(saveButton, &QPushButton::clicked, this, &StaffingTab::save);
    job_ = new JobBar("staff", this);
    side_->addWidget(job_);
    patience_->label()->setToolTip(QStringLiteral(
        "呼が切らずに待てる時間の平均。ACD レポートの「放棄呼の平均待ち時間」では"
        "ありません（それは待ちきれずに切った呼だけの平均で、短めに出ます）。空欄なら"
        "誰も切らずに待ちます（アーランC）。"));
    const QString decimal = QStringLiteral("入力した10進の値どおりに計算します（84 人に 20 % なら "
                                           "105 人、7 アーランに 70 % なら 10 人）。");
    shrinkage_->label()->setToolTip(QStringLiteral("休憩や研修で電話に出ない時間の割合。") +
                                    decimal);
    maxOccupancy_->label()->setToolTip(
        QStringLiteral("電話に出るエージェントが通話している時間の割合の上限。") + decimal);
    // The field marks take the boxes' tips, so the help stands beneath them,
    // short enough that the fields and it fit the window as it opens.
    auto* help = new QLabel(
        QStringLiteral("平均放棄時間は呼が切らずに待てる時間の平均です（ACD の「放棄呼の平均待ち"
                       "時間」ではありません）。回線数・再ダイヤル率・呼数の分散やほかの定義では"
                       "アーランX式で計算します。説明は各ラベルと選択肢に。"),
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
    answer_->setWordWrap(true); // the lines that bound the agents said beside them
    answer_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    detail_->setObjectName(QStringLiteral("staffDetail"));
    detail_->setWordWrap(true); // with lines and redials, more figures than a line holds
    detail_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    view_ = TableView("staffing", QStringLiteral("エージェント数ごとの応答"), model_, this);
    view_->setTabKeyNavigation(false);
    view_->setItemDelegate(new RowStyle(
        {[this](int row) {
             const auto& rows = model_->staffing().rows;
             return rows.at(static_cast<std::size_t>(row)).agents == model_->staffing().agents;
         },
         [](int) { return false; }, [this](int row) { return model_->reason(row); },
         [] { return 1; }},
        view_));
    new FittedHeader(view_, FittedHeader::UnitBeneath);
    AddCopy(view_, this);

    views_->setObjectName(QStringLiteral("staffViews"));
    views_->addTab(view_, QStringLiteral("表"));
    views_->addTab(chart_, QStringLiteral("グラフ"));
    views_->addTab(dayPage(), QStringLiteral("1日の要員計画"));
    shifts_ = new ShiftsView(dialogs_, this);
    views_->addTab(shifts_, QStringLiteral("シフト作成"));
    // Remembered as the inputs are, soon after it changes.
    connect(views_, &QTabWidget::currentChanged, this, &Tab::edited);
    connect(views_, &QTabWidget::currentChanged, saveButton, [saveButton](int view) {
        saveButton->setText(view == 1 ? QStringLiteral("グラフを保存")
                                      : QStringLiteral("CSV に保存"));
    });
    right_->addWidget(answer_);
    right_->addWidget(detail_);
    right_->addWidget(views_, 1);
    fitLabels();
}

void StaffingTab::fitLabels() {
    // A label longer than kLabelWidth on two lines, broken after its "・"
    // (平均待ち時間目標・ / 全呼 (秒)), so that every box keeps the width its
    // placeholder and every choice its words need. Not wrapped by the label
    // itself: the form would then leave rows out of its height.
    QList<QLabel*> labels;
    int width = 0;
    for (int row = 0; row < form_->rowCount(); ++row) {
        QLayoutItem* item = form_->itemAt(row, QFormLayout::LabelRole);
        auto* label = item != nullptr ? qobject_cast<QLabel*>(item->widget()) : nullptr;
        if (label == nullptr) {
            continue;
        }
        labels << label;
        const QString text = label->text().remove(u'\n');
        const qsizetype dot = text.indexOf(u'・');
        const QFontMetrics& metrics = label->fontMetrics();
        if (metrics.horizontalAdvance(text) > kLabelWidth && dot > 0) {
            label->setText(text.left(dot + 1) + u'\n' + text.mid(dot + 1));
        } else {
            label->setText(text);
        }
        for (const QString& line : label->text().split(u'\n')) {
            width = std::max(width, metrics.horizontalAdvance(line));
        }
    }
    for (QLabel* label : labels) {
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setFixedWidth(width);
    }
}

QWidget* StaffingTab::dayPage() {
    auto* page = new QWidget(this);
    volumes_ = new QPlainTextEdit(page);
    volumes_->setObjectName(QStringLiteral("volumes"));
    volumes_->setAccessibleName(QStringLiteral("区間ごとの呼数"));
    volumes_->setPlaceholderText(QStringLiteral(
        "区間と呼数を表計算ソフトから貼り付けてください。\n例:\n09:00,120\n09:30,150\n\n"
        "見出しの行に aht、patience などの列があれば、区間ごとの値になります。"));
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
    // What is saved and copied is what is shown: the day carried over under 過渡解析.
    connect(dayPicture, &QPushButton::clicked, this, [this] {
        if (carryOver()) {
            saveChart(carriedView_->chart(), QStringLiteral("staffing-day-carried.png"));
        } else {
            saveChart(dayChart_, QStringLiteral("staffing-day.png"));
        }
    });

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
    new FittedHeader(dayView_, FittedHeader::UnitBeneath);
    dayView_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    dayView_->verticalHeader()->setDefaultSectionSize(dayView_->fontMetrics().height() + 6);
    dayView_->setTabKeyNavigation(false);
    const auto failed = [this](int row) {
        return !dayModel_->day().rows.at(static_cast<std::size_t>(row)).error.isEmpty();
    };
    dayView_->setItemDelegate(
        new RowStyle({[this](int row) { return row == dayModel_->day().peak; }, failed,
                      [this](int row) { return dayModel_->reason(row); },
                      [this] { return dayModel_->errorColumn(); }},
                     dayView_));
    AddCopy(dayView_, this, [this] { return dayReady(Export::Copy); });
    dayChart_ = ChartView("dayChart", QStringLiteral("1日のエージェント数と呼数"), page);
    dayChart_->chart()->setMargins(QMargins(4, 4, 4, 4));
    auto* split = new QSplitter(Qt::Vertical, page);
    daySplit_ = split;
    split->addWidget(dayView_);
    split->addWidget(dayChart_);
    // The rows first: a dozen and more in sight at the window's first size.
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    dayChart_->setMinimumHeight(200);

    // 過渡解析, the default: the queue carried over, the usual plan beside.
    // Beside the volumes, where the rows of the day lose no height to it.
    dayMethod_ = new QComboBox(page);
    dayMethod_->setObjectName(QStringLiteral("dayMethod"));
    dayMethod_->setAccessibleName(QStringLiteral("1日の計画の方法"));
    dayMethod_->setToolTip(QStringLiteral("過渡解析: 区間の終わりの待ち呼を次の区間に持ち越す\n"
                                          "区間ごと: 各区間を定常とみなす（従来の計画）"));
    dayMethod_->addItem(QStringLiteral("過渡解析"));
    dayMethod_->addItem(QStringLiteral("区間ごと"));
    connect(dayMethod_, &QComboBox::currentIndexChanged, this, &Tab::run);
    carriedView_ = new CarriedDayView(
        page, {[this] {
                   return dialogs_.openPath(this, QStringLiteral("CSV ファイル (*.csv *.txt);;"
                                                                 "すべてのファイル (*)"));
               },
               [this] { return shifts_->schedule(); }});
    connect(carriedView_, &CarriedDayView::scheduleChanged, this, &StaffingTab::judgeSchedule);

    auto* inputs = new QWidget(page);
    auto* left = new QVBoxLayout(inputs);
    left->setContentsMargins(0, 0, 0, 0);
    left->addWidget(heading);
    left->addWidget(volumes_, 1);
    left->addWidget(volumesError_);
    left->addWidget(dayMethod_);
    for (QPushButton* button : {import, dayCompute, copyButton, exportDay_, dayPicture}) {
        left->addWidget(button);
    }
    // The day beside its volumes, greyed alone while it is computed after the
    // answer, or once that is stopped.
    auto* results = new QWidget(page);
    auto* right = new QVBoxLayout(results);
    right->setContentsMargins(0, 0, 0, 0);
    right->addWidget(daySummary_);
    right->addWidget(dayWarnings_);
    right->addWidget(split, 1);
    right->addWidget(carriedView_, 1);
    split->setVisible(!carryOver());
    carriedView_->setVisible(carryOver());
    dayNote_ = new QLabel(page);
    dayNote_->setObjectName(QStringLiteral("dayState"));
    dayNote_->setWordWrap(true);
    dayNote_->hide();
    auto* column = new QVBoxLayout;
    column->addWidget(dayNote_);
    column->addWidget(results, 1);
    auto* body = new QHBoxLayout(page);
    body->addWidget(inputs, 0);
    keepClear(inputs);
    body->addLayout(column, 1);
    dayVeil_ = new Veil(QStringLiteral("dayVeil"), results, page);
    return page;
}

void StaffingTab::showTarget() {
    const int kind = targetKind_->currentIndex();
    form_->setRowVisible(serviceLevel_, kind != kAverageWait);
    form_->setRowVisible(averageWait_, kind != kServiceLevel);
    const bool patience = !patience_->edit()->text().trimmed().isEmpty();
    const auto waitBasis = ChosenIn<WaitBasis>(waitBasis_);
    const WaitWords words = WaitWording(waitBasis, patience);
    averageWait_->setLabel(words.target);
    fitLabels();
    // On the label: the box's tip is its error's.
    averageWait_->label()->setToolTip(words.explanation);
    targetKind_->setItemText(kAverageWait, words.choice);
    // Its basis is the next choice's: the name alone, short enough to show whole.
    targetKind_->setItemText(kBoth, QStringLiteral("SL と") + words.name.section(u'（', 0, 0));
    // Without hang-ups every definition gives the same figures.
    const QString same = QStringLiteral("平均放棄時間を入れると選べます（誰も切らなければ、"
                                        "どの定義でも同じ値です）");
    for (QComboBox* box : {basis_, waitBasis_}) {
        box->setEnabled(patience);
    }
    basis_->setToolTip(patience ? BasisExplanation(ChosenIn<teletraffic::Basis>(basis_)) : same);
    waitBasis_->setToolTip(patience ? words.explanation : same);
}

namespace {

// A field whose blank means none: no value and no mark when blank; `ok`
// false when what is typed will not do.
struct Optional {
    bool ok;
    std::optional<double> value;
};
Optional ReadOptional(InputField* field) {
    if (field->edit()->text().trimmed().isEmpty()) {
        field->mark({});
        return {true, std::nullopt};
    }
    const std::optional<double> value = field->read();
    return {value.has_value(), value};
}

} // namespace

std::optional<StaffingInputs> StaffingTab::read() {
    const int kind = targetKind_->currentIndex();
    const auto calls = calls_->read();
    const Optional variance = ReadOptional(variance_);
    const auto interval = interval_->read();
    const auto aht = aht_->read();
    // Empty: callers never hang up.
    const Optional patience = ReadOptional(patience_);
    const Optional lines = ReadOptional(lines_);
    const Optional redial = ReadOptional(redial_);
    const auto targetTime = targetTime_->read();
    // A hidden target keeps its text, but not a mark for it.
    const auto target = [](InputField* field, bool shown, double hidden) {
        if (!shown) {
            field->mark({});
        }
        return shown ? field->read() : std::optional(hidden);
    };
    const auto serviceLevel = target(serviceLevel_, kind != kAverageWait, 80);
    const auto averageWait = target(averageWait_, kind != kServiceLevel, 20);
    const auto shrinkage = shrinkage_->read();
    const auto maxOccupancy = maxOccupancy_->read();
    // What goes together is checked wherever its own fields read, so that
    // every field is marked at once (a restored variance below the calls
    // beside another field out of range).
    const bool together =
        checkTraffic(calls && interval && aht ? std::optional(*calls * *aht / (*interval * 60))
                                              : std::nullopt) &
        checkVariance(calls, variance.ok ? variance.value : std::nullopt,
                      patience.ok && lines.ok ? std::optional(patience.value || lines.value)
                                              : std::nullopt);
    if (!calls || !variance.ok || !interval || !aht || !patience.ok || !lines.ok || !redial.ok ||
        !targetTime || !serviceLevel || !averageWait || !shrinkage || !maxOccupancy || !together) {
        return std::nullopt;
    }
    StaffingInputs in;
    in.calls = *calls;
    in.callsVariance = variance.value;
    in.intervalMinutes = *interval;
    in.ahtSeconds = *aht;
    in.patienceSeconds = patience.value;
    in.lines = lines.value;
    in.redial = FromPercent(redial.value.value_or(0));
    in.targetSeconds = *targetTime;
    in.serviceLevel =
        kind != kAverageWait ? std::optional(FromPercent(*serviceLevel)) : std::nullopt;
    in.basis = ChosenIn<teletraffic::Basis>(basis_);
    in.waitBasis = ChosenIn<WaitBasis>(waitBasis_);
    if (kind != kServiceLevel) {
        (in.waitBasis == WaitBasis::Answered ? in.answeredWaitSeconds : in.averageWaitSeconds) =
            *averageWait;
    }
    in.shrinkage = FromPercent(*shrinkage);
    in.maxOccupancy = FromPercent(*maxOccupancy);
    return in;
}

bool StaffingTab::checkTraffic(std::optional<double> traffic) {
    if (traffic && *traffic > teletraffic::kMaxTraffic) {
        calls_->mark(QStringLiteral("呼量が %1 アーランになります。%2 アーランまでにしてください")
                         .arg(*traffic, 0, 'g', 6)
                         .arg(teletraffic::kMaxTraffic, 0, 'g', 6));
        return false;
    }
    return true;
}

bool StaffingTab::checkVariance(std::optional<double> calls, std::optional<double> variance,
                                std::optional<bool> queueEnds) {
    if (!calls || !variance) {
        return true; // marked already, or none
    }
    QString problem;
    if (*calls == 0) {
        problem = QStringLiteral("呼数が 0 では分散は決められません。空欄にしてください");
    } else if (*variance < *calls) {
        problem = QStringLiteral("呼数（%1）以上にしてください（呼数と同じならポアソン分布）")
                      .arg(Exact(*calls));
    } else if (*variance > *calls && queueEnds == false) {
        problem = QStringLiteral("呼数より大きい分散には、平均放棄時間か回線数が必要です（呼数が"
                                 "多めに振れた区間では待ち呼が際限なく増えるため）");
    }
    variance_->mark(problem);
    return problem.isEmpty();
}

namespace {

// A day that takes longer than this is staffed off the window's thread,
// under the progress bar: the window stays responsive, and opens at once on
// a large day restored.
constexpr double kDayOnThisThreadMicroseconds = 100'000;

// The carried day's 中止 and progress, the promise's.
template <typename T> transient::Monitor CarriedMonitor(QPromise<T>& promise) {
    return {[&promise] { return promise.isCanceled(); },
            [&promise](std::int64_t done, std::int64_t total) {
                promise.setProgressRange(0, static_cast<int>(total));
                promise.setProgressValue(static_cast<int>(done));
            }};
}

} // namespace

bool StaffingTab::compute() {
    // Work still running is for inputs that have changed since.
    job_->cancelAndWait();
    const std::optional<StaffingInputs> in = read();
    if (!in) {
        return false;
    }
    Volumes volumes = ReadVolumes(volumes_->toPlainText());
    answerPending_ = Slow(*in);
    if (!answerPending_) {
        showStaffing(Staff(*in));
    }
    // The carried day takes a moment a day: always off this thread.
    const bool carry = carryOver();
    if (!carry && !answerPending_ && DayCost(volumes, *in) <= kDayOnThisThreadMicroseconds) {
        showDay(StaffDay(volumes, *in));
        showCarried(dayModel_->day(), {});
        setDayState(DayState::Current);
        return true;
    }
    // The answer (if it is slow) and then the day, each handed over as it
    // is done: a stop during the day leaves the answer current.
    struct Part {
        std::optional<Staffing> staffing;
        std::optional<Day> day;
        std::optional<CarriedDay> carried;
        std::exception_ptr error;
    };
    auto future = QtConcurrent::run([in = *in, volumes, answer = answerPending_, carry,
                                     schedule = carriedView_->schedule()](QPromise<Part>& promise) {
        const auto cancelled = [&promise] { return promise.isCanceled(); };
        try {
            if (answer) {
                Part part;
                part.staffing = Staff(in, true, {cancelled, [](qint64) {}});
                if (promise.isCanceled()) {
                    return;
                }
                promise.addResult(std::move(part));
            }
            promise.setProgressRange(0, static_cast<int>(volumes.rows.size()));
            Part part;
            part.day = StaffDay(volumes, in, {cancelled, [&promise](qint64 done) {
                                                  promise.setProgressValue(static_cast<int>(done));
                                              }});
            if (carry && !promise.isCanceled()) {
                part.carried = CarryAndJudge(*part.day, schedule, CarriedMonitor(promise));
            }
            if (!promise.isCanceled()) {
                promise.addResult(std::move(part));
            }
        } catch (const std::exception&) {
            // Off this thread the tab cannot catch it: it is marked on this one.
            Part part;
            part.error = std::current_exception();
            promise.addResult(std::move(part));
        }
    });
    setDayState(DayState::Computing);
    // Each part shown as it comes: the answer before the day is done.
    job_->run(
        future,
        [this](const QFuture<Part>& done) {
            if (answerPending_) {
                // Stopped before the answer: nothing of these inputs is shown.
                answerPending_ = false;
                emit said(QStringLiteral("計算を中止しました。"));
                setAnswerState(AnswerState::Stopped);
                setDayState(DayState::Current);
            } else if (dayState_ != DayState::Current && done.isCanceled()) {
                emit said(QStringLiteral("1日の計算を中止しました。"));
                setDayState(DayState::Stopped);
            }
        },
        [this](Part part) {
            if (part.error) {
                try {
                    std::rethrow_exception(part.error);
                } catch (const std::exception& error) {
                    refuse(error);
                }
                answerPending_ = false;
                setAnswerState(AnswerState::Stale);
                setDayState(DayState::Current);
                return;
            }
            if (part.staffing) {
                answerPending_ = false;
                showStaffing(std::move(*part.staffing));
                setAnswerState(AnswerState::Current);
            }
            if (part.day) {
                showDay(std::move(*part.day));
                showCarried(dayModel_->day(),
                            part.carried ? std::move(*part.carried) : CarriedDay{});
                setDayState(DayState::Current);
            }
        });
    return true;
}

void StaffingTab::judgeSchedule() {
    // Work running has the schedule before, and a day stopped is not the
    // inputs': either is begun again with this schedule.
    if (job_->busy() || dayState_ != DayState::Current || !carryOver()) {
        run();
        return;
    }
    // The day shown carried again, not staffed again: シフト作成 keeps its
    // shifts, which a day staffed anew drops.
    auto future = QtConcurrent::run([day = dayModel_->day(), schedule = carriedView_->schedule()](
                                        QPromise<CarriedDay>& promise) {
        CarriedDay carried = CarryAndJudge(day, schedule, CarriedMonitor(promise));
        if (!promise.isCanceled()) {
            promise.addResult(std::move(carried));
        }
    });
    setDayState(DayState::Computing);
    job_->run(
        future,
        [this](const QFuture<CarriedDay>& done) {
            if (done.isCanceled()) {
                emit said(QStringLiteral("1日の計算を中止しました。"));
                setDayState(DayState::Stopped);
            }
        },
        [this](CarriedDay carried) {
            showCarried(dayModel_->day(), std::move(carried));
            setDayState(DayState::Current);
        });
}

bool StaffingTab::computing() const {
    return job_->busy() && answerPending_;
}

void StaffingTab::stop() {
    job_->cancelAndWait();
    answerPending_ = false;
}

void StaffingTab::setDayState(DayState state) {
    dayState_ = state;
    dayNote_->setText(state == DayState::Computing
                          ? QStringLiteral("1日を計算しています。下は前の入力の1日です。")
                          : QStringLiteral("1日の計算を中止しました。下は前の入力の1日です"
                                           "（「1日を計算」で計算し直せます）。"));
    dayNote_->setVisible(state != DayState::Current);
    dayVeil_->cover(state != DayState::Current);
}

bool StaffingTab::dayReady(Export kind) {
    if (!readyToExport(kind)) {
        return false;
    }
    if (dayState_ == DayState::Current) {
        return true;
    }
    const QString why = ExportRefusal(
        dayState_ == DayState::Computing ? AnswerState::Recomputing : AnswerState::Stopped, kind);
    if (kind == Export::Save) {
        dialogs_.warn(this, why);
    } else {
        emit said(why);
    }
    return false;
}

InputField* StaffingTab::fieldFor(teletraffic::Argument argument) const {
    using teletraffic::Argument;
    if (argument == Argument::AnsweredWait) {
        return averageWait_;
    }
    return Tab::fieldFor(argument == Argument::Calls ? Argument::Traffic : argument);
}

QString StaffingTab::refusalText(const std::exception& error) const {
    return StaffingErrorText(error);
}

void StaffingTab::showStaffing(Staffing staffing) {
    model_->setStaffing(std::move(staffing));
    showAnswer(model_->staffing());
    showChart(model_->staffing());
}

void StaffingTab::showAnswer(const Staffing& s) {
    const AnswerWords words = AnswerText(s);
    answer_->setText(words.headline);
    detail_->setText(words.detail);
    static_cast<RowStyle*>(view_->itemDelegate())->span(view_);
    static_cast<FittedHeader*>(view_->horizontalHeader())->fit();
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
    auto* blocking = Line(QStringLiteral("呼損率 (%)"), QColor(0x7b, 0x3f, 0x9e));
    for (const StaffingRow& row : s.rows) {
        if (!row.unbounded) {
            const auto n = static_cast<double>(row.agents);
            level->append(n, row.serviceLevel * 100);
            abandon->append(n, row.abandonment * 100);
            blocking->append(n, row.blocking * 100);
        }
    }
    const StaffingColumns applies = ColumnsFor(s.inputs);
    for (const auto& [series, shown] :
         {std::pair{level, true}, {abandon, applies.abandonment}, {blocking, applies.blocking}}) {
        if (!shown) {
            delete series;
            continue;
        }
        add(series);
        connect(series, &QLineSeries::hovered, this, [this](QPointF at, bool entered) {
            if (entered) {
                hover(at);
            }
        });
    }
    if (const auto level = s.inputs.serviceLevel) {
        auto* target =
            Line(QStringLiteral("目標 %1 %").arg(Number(*level * 100)), Qt::darkGray, Qt::DashLine);
        target->append(static_cast<double>(s.rows.front().agents), *level * 100);
        target->append(static_cast<double>(s.rows.back().agents), *level * 100);
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
    const StaffingColumns applies = ColumnsFor(s.inputs);
    if (applies.abandonment) {
        text += QStringLiteral("、放棄率 %1 %")
                    .arg(FigureText(s.inputs, Shown::Share, row->abandonment));
    }
    if (applies.blocking) {
        text +=
            QStringLiteral("、呼損率 %1 %").arg(FigureText(s.inputs, Shown::Share, row->blocking));
    }
    text += QStringLiteral("、%1 %2 秒")
                .arg(WaitWording(s.inputs.waitBasis, s.inputs.patienceSeconds.has_value()).name)
                .arg(FigureText(s.inputs, Shown::Wait, row->averageWait));
    QToolTip::showText(QCursor::pos(), text, chart_);
}

void StaffingTab::showDay(Day day) {
    volumesError_->setText(day.refused);
    volumesError_->setVisible(!day.refused.isEmpty());
    daySummary_->setText(DaySummary(day));
    const QStringList warnings = DayWarnings(day);
    dayWarnings_->setText(warnings.join(u'\n'));
    dayWarnings_->setVisible(!warnings.isEmpty());
    dayModel_->setDay(std::move(day));
    const Day& shown = dayModel_->day();
    shifts_->setDay(shown);
    static_cast<RowStyle*>(dayView_->itemDelegate())->span(dayView_);
    static_cast<FittedHeader*>(dayView_->horizontalHeader())->fit();
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

bool StaffingTab::carryOver() const {
    return dayMethod_->currentIndex() == 0;
}

void StaffingTab::showCarried(const Day& day, CarriedDay carried) {
    const bool carry = carryOver();
    daySplit_->setVisible(!carry);
    carriedView_->setVisible(carry);
    if (carry) {
        carriedView_->show(day, std::move(carried), day.inputs.serviceLevel);
        daySummary_->setText(CarriedSummary(day, carriedView_->model().carried()));
    } else {
        daySummary_->setText(DaySummary(day));
    }
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
    // Half an interval beyond each end: the first and last points whole.
    x->setRange(-0.5, std::max(1.0, last) + 0.5);
    // Untitled: its labels are the intervals, and the plot keeps the height.
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
    case 3: {
        // The day's inputs and answer head the shifts' files, as the day's own.
        if (!dayReady(Export::Save)) {
            break;
        }
        savingDay_ = true;
        const QByteArray head = csvHead();
        savingDay_ = false;
        shifts_->save(head, [this](const QString& name) {
            return askPath(name, QStringLiteral("CSV ファイル (*.csv)"), QStringLiteral("csv"));
        });
        break;
    }
    default:
        saveDay();
        break;
    }
}

void StaffingTab::saveDay() {
    // Volumes edited since the day shown are staffed first.
    if (!dayReady(Export::Save)) {
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
    const CarriedDayModel& carried = carriedView_->model();
    if (carryOver() && carried.rowCount() == 0) {
        dialogs_.warn(this, carried.carried().refused);
        return;
    }
    savingDay_ = true;
    if (carryOver()) {
        saveTable(carried, QStringLiteral("staffing-day-carried.csv"));
    } else {
        saveTable(*dayModel_, QStringLiteral("staffing-day.csv"));
    }
    savingDay_ = false;
}

QList<QStringList> StaffingTab::statedInputs() const {
    QList<QStringList> lines = Tab::statedInputs();
    const Day& day = dayModel_->day();
    if (savingDay_ && day.intervalFromLabels) {
        lines << QStringList{QStringLiteral("1日の区間の長さ (分)"),
                             Exact(day.inputs.intervalMinutes), QStringLiteral("区間の時刻の間隔")};
    }
    if (savingDay_) {
        lines << QStringList{dayMethod_->accessibleName(), dayMethod_->currentText()};
    }
    const CarriedDay& carried = carriedView_->model().carried();
    if (savingDay_ && carryOver() && carried.judged) {
        lines << QStringList{QStringLiteral("評価した配置"), carried.judgedSource};
    }
    return lines;
}

void StaffingTab::restoreMore(const QSettings& settings) {
    bool number = false;
    const int view = settings.value(QStringLiteral("views/staffViews")).toInt(&number);
    if (number && view >= 0 && view < views_->count()) {
        views_->setCurrentIndex(view);
    }
    shifts_->restore(settings);
}

void StaffingTab::rememberMore(QSettings& settings) const {
    settings.setValue(QStringLiteral("views/staffViews"), views_->currentIndex());
    shifts_->remember(settings);
}

QList<QStringList> StaffingTab::statedAnswer() const {
    if (savingDay_ && carryOver()) {
        return CarriedLines(dayModel_->day(), carriedView_->model().carried());
    }
    return savingDay_ ? DayLines(dayModel_->day()) : AnswerText(model_->staffing()).lines;
}

void StaffingTab::copyDay() {
    if (!dayReady(Export::Copy)) {
        return;
    }
    const QAbstractItemModel& shown =
        carryOver() ? static_cast<const QAbstractItemModel&>(carriedView_->model()) : *dayModel_;
    if (carryOver() && shown.rowCount() == 0) {
        emit said(carriedView_->model().carried().refused);
        return;
    }
    QList<int> rows(shown.rowCount());
    QList<int> columns(shown.columnCount());
    std::iota(rows.begin(), rows.end(), 0);
    std::iota(columns.begin(), columns.end(), 0);
    QApplication::clipboard()->setText(TableText(shown, rows, columns));
    emit said(QStringLiteral("1日の %1 区間を見出しと一緒にコピーしました。").arg(rows.size()));
}

} // namespace tables

#include "staffing_tab.moc"
