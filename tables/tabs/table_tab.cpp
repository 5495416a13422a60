#include "tables/tabs/table_tab.h"

#include "tables/models/csv_export.h"
#include "tables/models/number_format.h"

#include "teletraffic/domain.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPromise>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace tables {
namespace {

// More than this goes to a file, not the clipboard.
constexpr qint64 kMaxCopiedCells = 100'000;
constexpr int kMaxColumns = 20;

const Range kLines{0, teletraffic::kMaxLines, true};
const Range kLineStep{1, teletraffic::kMaxLines, true};
const Range kTraffic{0, teletraffic::kMaxTraffic};
const Range kTrafficStep{0, teletraffic::kMaxTraffic, false, true};
const Range kTargets{teletraffic::kMinBlocking, 1, false, false, true};
const Range kRecallPercent{0, 100, false, false, true, true};
const Range kDigitsRange{1, 17, true};

} // namespace

TableTab::TableTab(Dialogs dialogs, QWidget* parent)
    : Tab("tableTab", std::move(dialogs), parent)
    , first_(addField("rowFirst", {}, QStringLiteral("1"), kLines))
    , last_(addField("rowLast", {}, QStringLiteral("200"), kLines))
    , step_(addField("rowStep", {}, QStringLiteral("1"), kLineStep))
    , targets_(addField("targets", QStringLiteral("呼損率（列）"),
                        QStringLiteral("0.0001, 0.001, 0.005, 0.01, 0.02, 0.05, 0.1"), kTargets))
    , recall_(addField("recall", QStringLiteral("再呼率 (%)"), QStringLiteral("0"), kRecallPercent))
    , digits_(
          addField("digits", QStringLiteral("有効数字（桁）"), QStringLiteral("6"), kDigitsRange))
    , trafficRows_(new QCheckBox(QStringLiteral("行を呼量に（セルは必要回線数）"), this))
    , model_(new ErlangTableModel(this)) {
    targets_->edit()->setAlignment(Qt::AlignLeft | Qt::AlignVCenter); // a list reads from its start
    trafficRows_->setObjectName(QStringLiteral("trafficRows"));
    form_->addRow(trafficRows_);
    connect(trafficRows_, &QCheckBox::toggled, this, [this] {
        turn();
        run();
    });
    turn();

    connect(addButton("tableCompute", QStringLiteral("計算")), &QPushButton::clicked, this,
            &Tab::run);
    export_ = addButton("exportCsv", QStringLiteral("CSV に保存"));
    connect(export_, &QPushButton::clicked, this, &TableTab::exportCsv);
    job_ = new JobBar("export", this);
    side_->addWidget(job_);
    side_->addStretch(1);

    meaning_ = new QLabel(this);
    meaning_->setObjectName(QStringLiteral("cellMeaning"));
    view_ = new QTableView(this);
    view_->setObjectName(QStringLiteral("table"));
    view_->setAccessibleName(QStringLiteral("アーランB表"));
    view_->setModel(model_);
    // Fixed row heights: the view places a million rows without measuring each.
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    // Tab moves on to the next control: a million cells would trap the focus.
    view_->setTabKeyNavigation(false);
    view_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    auto* copy = new QAction(view_);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(copy, &QAction::triggered, this, &TableTab::copySelection);
    view_->addAction(copy);
    right_->addWidget(meaning_);
    right_->addWidget(view_, 1);
}

// Rows over lines or over traffic: the row fields change their names and ranges.
void TableTab::turn() {
    const bool traffic = trafficRows_->isChecked();
    const QString what = traffic ? QStringLiteral("呼量(アーラン)") : QStringLiteral("回線数");
    first_->setLabel(what + QStringLiteral(" 開始"));
    last_->setLabel(what + QStringLiteral(" 終了"));
    step_->setLabel(what + QStringLiteral(" 刻み"));
    first_->setRange(traffic ? kTraffic : kLines);
    last_->setRange(traffic ? kTraffic : kLines);
    step_->setRange(traffic ? kTrafficStep : kLineStep);
}

bool TableTab::compute() {
    TableSetup setup;
    setup.trafficRows = trafficRows_->isChecked();
    const auto first = first_->read();
    const auto last = last_->read();
    const auto step = step_->read();
    const auto targets = targets_->readList(kMaxColumns);
    const auto recall = recall_->read();
    const auto digits = digits_->read();
    if (first && last && *last < *first) {
        last_->mark(QStringLiteral("開始（%1）以上にしてください").arg(first_->edit()->text()));
    }
    if (!first || !last || !step || !targets || !recall || !digits || !last_->error().isEmpty()) {
        return false;
    }
    setup.first = *first;
    setup.last = *last;
    setup.step = *step;
    setup.targets = *targets;
    setup.recall = FromPercent(*recall);
    setup.digits = static_cast<int>(*digits);
    if (setup.tooManyRows()) {
        step_->mark(QStringLiteral("行が %1 になります。%2 行までにしてください")
                        .arg(setup.rowCountText())
                        .arg(kMaxRows));
        return false;
    }
    model_->setSetup(std::move(setup));
    meaning_->setText(QStringLiteral("セル: %1　%2 行 × %3 列")
                          .arg(CellMeaning(model_->setup()))
                          .arg(model_->rowCount())
                          .arg(model_->columnCount()));
    // Sized to the rows in sight (the view measures no more than a screenful),
    // then the user's to widen.
    view_->resizeColumnsToContents();
    return true;
}

void TableTab::copySelection() {
    const QItemSelection selection = view_->selectionModel()->selection();
    const qint64 cells = SelectionSize(selection);
    if (cells == 0) {
        return;
    }
    if (!readyToExport(Export::Copy)) {
        return;
    }
    if (cells > kMaxCopiedCells) {
        emit said(
            QStringLiteral("コピーできるのは %1 セルまでです（選択は %2 セル）。表全体は「CSV "
                           "に保存」で保存できます。")
                .arg(kMaxCopiedCells)
                .arg(cells));
        return;
    }
    QApplication::clipboard()->setText(SelectionText(*model_, selection));
    emit said(QStringLiteral("%1 セルを見出しと一緒にコピーしました。").arg(cells));
}

void TableTab::exportCsv() {
    if (job_->busy() || !readyToExport(Export::Save)) {
        return;
    }
    const QString path = askPath(QStringLiteral("erlang-b.csv"),
                                 QStringLiteral("CSV ファイル (*.csv)"), QStringLiteral("csv"));
    if (path.isEmpty()) {
        return;
    }
    const TableSetup setup = model_->setup();
    const QByteArray head = csvHead();
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    auto future = QtConcurrent::run([setup, path, head](QPromise<ExportOutcome>& promise) {
        promise.setProgressRange(0, static_cast<int>(setup.rowCount()));
        const Monitor monitor{
            [&promise] { return promise.isCanceled(); },
            [&promise](qint64 rows) { promise.setProgressValue(static_cast<int>(rows)); }};
        promise.addResult(ExportCsv(setup, path, monitor, head));
    });
    export_->setEnabled(false);
    job_->run(future, [this, path, timer,
                       rows = setup.rowCount()](const QFuture<ExportOutcome>& done) {
        export_->setEnabled(true);
        if (done.isCanceled() || done.resultCount() == 0 ||
            done.result().end == ExportEnd::Cancelled) {
            emit said(QStringLiteral("保存を中止しました。%1 は元のままです。")
                          .arg(QDir::toNativeSeparators(path)));
        } else if (done.result().end == ExportEnd::Failed) {
            dialogs_.warn(this, QStringLiteral("%1 に保存できませんでした。\n%2")
                                    .arg(QDir::toNativeSeparators(path), done.result().error));
        } else {
            reportSaved(path, QStringLiteral("%1 行を %2 に保存しました（%3 秒）。")
                                  .arg(rows)
                                  .arg(QDir::toNativeSeparators(path))
                                  .arg(Decimals(static_cast<double>(timer->elapsed()) / 1000, 1)));
        }
    });
}

} // namespace tables
