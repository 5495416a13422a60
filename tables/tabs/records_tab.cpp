#include "tables/tabs/records_tab.h"

#include "tables/models/engine_error.h"
#include "tables/models/inputs.h"
#include "tables/models/number_format.h"
#include "tables/widgets/heat_map.h"

#include <QComboBox>
#include <QCompleter>
#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPromise>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <QTimeZone>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace tables {
namespace {

using records::Option;

QString WordOf(std::string_view word) {
    return QString::fromUtf8(word.data(), static_cast<qsizetype>(word.size()));
}

const QString kFilesKey = QStringLiteral("inputs/recordsFiles");

// The columns of a CSV file, shown only when the format is csv: each field's
// name and what a blank one means.
const struct {
    Option option;
    const char* name;
    const char16_t* blank;
} kCsvFields[] = {
    {Option::StartColumn, "recordsStartColumn", u"例: start"},
    {Option::EndColumn, "recordsEndColumn", u"終了か通話時間のどちらか"},
    {Option::DurationColumn, "recordsDurationColumn", u"秒数の列"},
    {Option::AnswerColumn, "recordsAnswerColumn", u"空欄: なし"},
    {Option::CallIdColumn, "recordsCallIdColumn", u"空欄: 1 行が 1 呼"},
    {Option::TimeFormat, "recordsTimeFormat", u"空欄: ISO 8601 か UNIX 秒"},
};

} // namespace

RecordsTab::RecordsTab(Dialogs dialogs, QWidget* parent)
    : Tab("recordsTab", std::move(dialogs), parent)
    , days_(new RecordsDaysModel(this)) {
    setAcceptDrops(true);
    auto* filesBox = new QWidget(this);
    auto* filesColumn = new QVBoxLayout(filesBox);
    filesColumn->setContentsMargins(0, 0, 0, 0);
    files_ = new QListWidget(filesBox);
    files_->setObjectName(QStringLiteral("recordsFiles"));
    files_->setAccessibleName(QStringLiteral("読み込む通話記録のファイル"));
    files_->setMaximumHeight(84);
    files_->setTextElideMode(Qt::ElideLeft); // the file's name, not its folder
    auto* add = new QPushButton(QStringLiteral("追加…"), filesBox);
    add->setObjectName(QStringLiteral("recordsAdd"));
    auto* clear = new QPushButton(QStringLiteral("空にする"), filesBox);
    clear->setObjectName(QStringLiteral("recordsClear"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(clear);
    buttons->addStretch(1);
    filesError_ = new QLabel(filesBox);
    filesError_->setObjectName(QStringLiteral("recordsFilesError"));
    filesError_->setWordWrap(true);
    filesError_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette red = filesError_->palette();
    red.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x20));
    filesError_->setPalette(red);
    filesError_->hide();
    filesColumn->addWidget(files_);
    filesColumn->addLayout(buttons);
    filesColumn->addWidget(filesError_);
    form_->addRow(QStringLiteral("ファイル"), filesBox);
    connect(add, &QPushButton::clicked, this, &RecordsTab::openFiles);
    connect(clear, &QPushButton::clicked, this, &RecordsTab::clearFiles);

    // Each choice holds its word in the room's registry.
    format_ = new QComboBox(this);
    format_->setObjectName(QStringLiteral("recordsFormat"));
    for (const auto& [format, word] : records::choices::kFormatRows) {
        format_->addItem(FormatWords(format), WordOf(word.word));
    }
    form_->addRow(OptionWords(Option::Format), format_);
    timezone_ = addField("recordsTimezone", OptionWords(Option::Timezone), QString(), {0, 0});
    timezone_->edit()->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    timezone_->edit()->setPlaceholderText(
        QStringLiteral("空欄: この PC の設定（%1）")
            .arg(QString::fromUtf8(QTimeZone::systemTimeZoneId())));
    QStringList zones;
    for (const QByteArray& id : QTimeZone::availableTimeZoneIds()) {
        zones << QString::fromUtf8(id);
    }
    auto* completer = new QCompleter(zones, this);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    timezone_->edit()->setCompleter(completer);
    interval_ = new QComboBox(this);
    interval_->setObjectName(QStringLiteral("recordsInterval"));
    for (int minutes = 1; minutes <= 60; ++minutes) {
        if (60 % minutes == 0) {
            interval_->addItem(QStringLiteral("%1 分").arg(minutes), minutes);
        }
    }
    interval_->setCurrentIndex(interval_->findData(15));
    form_->addRow(OptionWords(Option::Interval), interval_);
    trunk_ = addField("recordsTrunk", OptionWords(Option::Trunk), QString(), {0, 0});
    trunk_->edit()->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    trunk_->edit()->setPlaceholderText(QStringLiteral("空欄: すべての呼（例: PJSIP/carrier-*）"));
    holding_ = new QComboBox(this);
    holding_->setObjectName(QStringLiteral("recordsHolding"));
    for (const auto& [holding, word] : records::choices::kHoldingRows) {
        holding_->addItem(HoldingWords(holding), WordOf(word.word));
    }
    form_->addRow(OptionWords(Option::Holding), holding_);
    fields_ = {{Option::Timezone, timezone_}, {Option::Trunk, trunk_}};
    for (const auto& [option, name, blank] : kCsvFields) {
        InputField* field = addField(name, OptionWords(option), QString(), {0, 0});
        field->edit()->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        field->edit()->setPlaceholderText(QString::fromUtf16(blank));
        fields_.emplace_back(option, field);
    }
    using namespace records::rules;
    blocking_ = addField("recordsBlocking", OptionWords(Option::Blocking), QStringLiteral("0.01"),
                         RangeOf(kBlocking));
    highBlocking_ = addField("recordsHighBlocking", OptionWords(Option::HighBlocking),
                             QStringLiteral("0.07"), RangeOf(kBlocking));
    normalDays_ = addField("recordsNormalDays", OptionWords(Option::NormalDays),
                           QStringLiteral("30"), RangeOf(kDays));
    highDays_ = addField("recordsHighDays", OptionWords(Option::HighDays), QStringLiteral("5"),
                         RangeOf(kDays));
    lines_ = addField("recordsLines", OptionWords(Option::Lines), QString(), RangeOf(kGroupLines));
    lines_->edit()->setPlaceholderText(QStringLiteral("空欄: 運ばれた呼量のまま"));
    fields_.insert(fields_.end(), {{Option::Blocking, blocking_},
                                   {Option::HighBlocking, highBlocking_},
                                   {Option::NormalDays, normalDays_},
                                   {Option::HighDays, highDays_},
                                   {Option::Lines, lines_}});
    connect(format_, &QComboBox::currentIndexChanged, this, &RecordsTab::showCsvFields);
    showCsvFields();

    connect(addButton("recordsRead", QStringLiteral("読み込む")), &QPushButton::clicked, this,
            &Tab::run);
    toThreeWay_ = addButton("recordsToThreeWay", QStringLiteral("平常時負荷を三方向計算へ"));
    connect(toThreeWay_, &QPushButton::clicked, this, &RecordsTab::sendNormalLoad);
    QPushButton* saveButton = addButton("recordsSave", QStringLiteral("図を保存"));
    connect(saveButton, &QPushButton::clicked, this, &RecordsTab::save);
    job_ = new JobBar("records", this);
    side_->addWidget(job_);
    auto* help = new QLabel(
        QStringLiteral("Asterisk・FreeSWITCH・Cisco CUCM の通話記録か、見出し行のある CSV を"
                       "開くか、この画面に落としてください。複数のファイルは一緒に読み、同じ呼の"
                       "行をまとめます。呼は捕捉から切断まで回線を保留します（呼出中も）。"),
        this);
    help->setObjectName(QStringLiteral("recordsHelp"));
    help->setWordWrap(true);
    help->setForegroundRole(QPalette::PlaceholderText);
    side_->addSpacing(8);
    side_->addWidget(help);
    side_->addStretch(1);

    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("recordsSummary"));
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary_->setWordWrap(true);
    QFont bold = summary_->font();
    bold.setPointSizeF(bold.pointSizeF() * 1.05);
    summary_->setFont(bold);
    reading_ = new QLabel(this);
    reading_->setObjectName(QStringLiteral("recordsReading"));
    reading_->setWordWrap(true);
    reading_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    heat_ = new HeatMap(this);
    daysView_ = new QTableView(this);
    daysView_->setObjectName(QStringLiteral("recordsDays"));
    daysView_->setAccessibleName(QStringLiteral("日ごとの最繁時"));
    daysView_->setModel(days_);
    daysView_->verticalHeader()->hide();
    daysView_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    daysView_->setTabKeyNavigation(false);
    AddCopy(daysView_, this);
    views_ = new QTabWidget(this);
    views_->setObjectName(QStringLiteral("recordsViews"));
    views_->addTab(heat_, QStringLiteral("ヒートマップ"));
    views_->addTab(daysView_, QStringLiteral("日ごと"));
    // Saves the view shown: the heat map as a picture, the days as CSV.
    connect(views_, &QTabWidget::currentChanged, saveButton, [saveButton, this] {
        saveButton->setText(views_->currentWidget() == heat_ ? QStringLiteral("図を保存")
                                                             : QStringLiteral("CSV に保存"));
    });
    right_->addWidget(summary_);
    right_->addWidget(views_, 1);
    right_->addWidget(reading_);
}

InputField* RecordsTab::fieldOf(Option option) const {
    for (const auto& [id, field] : fields_) {
        if (id == option) {
            return field;
        }
    }
    return nullptr;
}

void RecordsTab::showCsvFields() {
    const bool csv =
        format_->currentData().toString() == WordOf(records::FormatWord(records::Format::Csv));
    for (const auto& [option, name, blank] : kCsvFields) {
        form_->setRowVisible(fieldOf(option), csv);
    }
}

QStringList RecordsTab::files() const {
    QStringList paths;
    for (int i = 0; i < files_->count(); ++i) {
        paths << files_->item(i)->data(Qt::UserRole).toString();
    }
    return paths;
}

void RecordsTab::addFiles(const QStringList& paths) {
    const QStringList known = files();
    bool added = false;
    for (const QString& path : paths) {
        const QString full = QFileInfo(path).absoluteFilePath();
        if (path.isEmpty() || known.contains(full)) {
            continue;
        }
        auto* item = new QListWidgetItem(QFileInfo(full).fileName(), files_);
        item->setData(Qt::UserRole, full);
        item->setToolTip(full);
        added = true;
    }
    if (added) {
        emit edited();
        run();
    }
}

void RecordsTab::openFiles() {
    addFiles(dialogs_.openPaths(
        this, QStringLiteral("通話記録 (*.csv *.cdr *.txt Master.csv*);;すべてのファイル (*)")));
}

void RecordsTab::clearFiles() {
    files_->clear();
    tally_.reset();
    emit edited();
    run();
}

void RecordsTab::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); })) {
        event->acceptProposedAction();
    }
}

void RecordsTab::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    event->acceptProposedAction();
    addFiles(paths);
}

void RecordsTab::mark(const std::exception& error) {
    const QString text = RecordsErrorText(error);
    const auto* option = dynamic_cast<const records::OptionError*>(&error);
    if (InputField* field = option != nullptr ? fieldOf(option->id()) : nullptr) {
        field->mark(text);
        return;
    }
    filesError_->setText(text);
    filesError_->show();
}

std::optional<records::Options> RecordsTab::read() {
    filesError_->hide();
    for (const auto& [option, field] : fields_) {
        field->mark({});
    }
    records::Options o;
    bool ok = true;
    const auto set = [&](Option option, const QString& text) {
        try {
            records::SetOption(o, option, text.toStdString());
        } catch (const records::OptionError& e) {
            mark(e);
            ok = false;
        }
    };
    set(Option::Format, format_->currentData().toString());
    set(Option::Interval, QString::number(interval_->currentData().toInt()));
    set(Option::Holding, holding_->currentData().toString());
    const bool csv = o.read.format == records::Format::Csv;
    for (const auto& [option, field] : fields_) {
        const QString text = field->edit()->text().trimmed();
        const records::OptionKind kind = records::Info(option).kind;
        if (kind == records::OptionKind::Text) {
            const bool ofCsv = option != Option::Timezone && option != Option::Trunk;
            if (!text.isEmpty() && (csv || !ofCsv)) {
                set(option, text);
            }
        } else if (!text.isEmpty()) {
            // Numbers in the window's grammar, then as the room reads them.
            const std::optional<double> value = field->read();
            if (value) {
                set(option, Exact(*value));
            }
            ok = ok && value.has_value();
        }
    }
    if (!ok) {
        return std::nullopt;
    }
    try {
        records::CheckOptions(o);
    } catch (const records::OptionError& e) {
        mark(e);
        return std::nullopt;
    }
    return o;
}

QString RecordsTab::readKey(const records::Options& options) const {
    QString key = QString::fromStdString(std::string(records::FormatWord(options.read.format)));
    const records::ReadOptions& r = options.read;
    for (const std::string& text :
         {r.timezone, r.trunk, r.startColumn, r.endColumn, r.durationColumn, r.answerColumn,
          r.callIdColumn, r.timeFormat}) {
        key += u'\n' + QString::fromStdString(text);
    }
    key += QStringLiteral("\n%1 %2").arg(r.interval).arg(static_cast<int>(r.holding));
    for (const QString& path : files()) {
        const QFileInfo file(path);
        key += QStringLiteral("\n%1 %2 %3")
                   .arg(path)
                   .arg(file.size())
                   .arg(file.lastModified().toMSecsSinceEpoch());
    }
    return key;
}

bool RecordsTab::compute() {
    // A reading still running is for inputs that have changed since.
    job_->cancelAndWait();
    const std::optional<records::Options> options = read();
    if (!options) {
        return false;
    }
    const QStringList paths = files();
    if (paths.isEmpty()) {
        tally_.reset();
        show(records::Tally{}, *options);
        return true;
    }
    const QString key = readKey(*options);
    if (tally_ && key == tallyFor_) {
        try {
            show(*tally_, *options);
        } catch (const records::OptionError& e) {
            mark(e);
            return false;
        }
        return true;
    }
    struct Outcome {
        records::Tally tally;
        std::exception_ptr error;
    };
    auto future = QtConcurrent::run([paths, read = options->read](QPromise<Outcome>& promise) {
        Outcome outcome;
        promise.setProgressRange(0, 1000);
        try {
            outcome.tally = ReadCallRecords(
                paths, read,
                {[&promise] { return promise.isCanceled(); },
                 [&promise](qint64 done) { promise.setProgressValue(static_cast<int>(done)); }});
        } catch (const std::exception&) {
            // Off this thread the tab cannot show it: it is marked on this one.
            outcome.error = std::current_exception();
        }
        promise.addResult(std::move(outcome));
    });
    job_->run(future, [this, key, options = *options](const QFuture<Outcome>& done) {
        if (done.isCanceled() || done.resultCount() == 0) {
            emit said(QStringLiteral("読み込みを中止しました。"));
            setAnswerState(AnswerState::Stopped);
            return;
        }
        Outcome outcome = done.result();
        try {
            if (outcome.error) {
                std::rethrow_exception(outcome.error);
            }
            tally_ = std::move(outcome.tally);
            tallyFor_ = key;
            show(*tally_, options);
            setAnswerState(AnswerState::Current);
        } catch (const std::exception& error) {
            mark(error);
            setStale(true);
        }
    });
    return true;
}

bool RecordsTab::computing() const {
    return job_->busy();
}

void RecordsTab::stop() {
    job_->cancelAndWait();
}

void RecordsTab::show(const records::Tally& tally, const records::Options& options) {
    records::Report report = records::Summarize(tally, options.summary);
    heat_->setGrid(HeatGridOf(report, tally.interval));
    summary_->setText(tally.sources.empty() ? QString()
                                            : SummaryText(report.summary, options.summary));
    reading_->setText(tally.sources.empty() ? QString() : ReadingText(tally));
    toThreeWay_->setEnabled(report.summary.days > 0);
    shownFor_ = options.summary;
    days_->setReport(std::move(report));
}

void RecordsTab::sendNormalLoad() {
    if (stale() || computing() || days_->report().summary.days == 0) {
        emit said(QStringLiteral(
            "送れる平常時負荷がありません。通話記録を読み込んでから押してください。"));
        return;
    }
    emit normalLoad(days_->report().summary.normalLoad, shownFor_.blocking);
}

void RecordsTab::save() {
    if (views_->currentWidget() == heat_) {
        savePicture(heat_, QStringLiteral("call-records-heat-map.png"));
    } else {
        saveTable(*days_, QStringLiteral("call-records-days.csv"));
    }
}

void RecordsTab::restoreMore(const QSettings& settings) {
    // Each a file's path, read when the tab computes: one gone since is said then.
    QStringList paths;
    for (const QVariant& item : settings.value(kFilesKey).toList()) {
        if (item.typeId() == QMetaType::QString && !item.toString().isEmpty()) {
            paths << item.toString();
        }
    }
    files_->clear();
    for (const QString& path : paths) {
        auto* item = new QListWidgetItem(QFileInfo(path).fileName(), files_);
        item->setData(Qt::UserRole, path);
        item->setToolTip(path);
    }
}

void RecordsTab::rememberMore(QSettings& settings) const {
    settings.setValue(kFilesKey, files());
}

QStringList RecordsTab::moreInputs() const {
    return files();
}

QList<QStringList> RecordsTab::statedInputs() const {
    QList<QStringList> lines;
    lines << (QStringList{QStringLiteral("ファイル")} + files());
    lines << QStringList{OptionWords(Option::Format), format_->currentText()};
    lines << QStringList{OptionWords(Option::Interval), interval_->currentText()};
    lines << QStringList{OptionWords(Option::Holding), holding_->currentText()};
    for (const auto& [option, field] : fields_) {
        if (field->isHidden()) {
            continue; // a column of csv files, for another format
        }
        const QString text = field->edit()->text().trimmed();
        const Reading number = Read(text, field->range());
        const bool numeric = records::Info(option).kind != records::OptionKind::Text;
        lines << QStringList{field->label()->text(),
                             text.isEmpty()            ? field->edit()->placeholderText()
                             : numeric && number.value ? Exact(*number.value)
                                                       : text};
    }
    return lines;
}

} // namespace tables
