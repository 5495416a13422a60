#include "tables/staffing_tab.h"

#include "tables/files.h"

#include "teletraffic/erlang.h"

#include <QDir>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

namespace tables {
namespace {

// The row of the answer in bold: the model, plain Qt Core, has no fonts.
class AnswerInBold : public QStyledItemDelegate {
    Q_OBJECT

public:
    AnswerInBold(const StaffingModel* model, QObject* parent)
        : QStyledItemDelegate(parent)
        , model_(model) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const auto& rows = model_->staffing().rows;
        const auto row = static_cast<std::size_t>(index.row());
        option->font.setBold(row < rows.size() && rows[row].agents == model_->staffing().agents);
    }

private:
    const StaffingModel* model_;
};

} // namespace

StaffingTab::StaffingTab(Dialogs dialogs, QWidget* parent)
    : Tab("staffingTab", std::move(dialogs), parent)
    , calls_(addField("calls", QStringLiteral("呼数（区間あたり）"), QStringLiteral("100"),
                      {0, teletraffic::kMaxTraffic}, "traffic"))
    , interval_(addField("interval", QStringLiteral("区間の長さ (分)"), QStringLiteral("30"),
                         {0, 10080, false, true}))
    , aht_(addField("aht", QStringLiteral("平均処理時間 (秒)"), QStringLiteral("180"),
                    {0, 86400, false, true}, "aht"))
    , targetTime_(addField("targetTime", QStringLiteral("応答目標時間 (秒)"), QStringLiteral("20"),
                           {0, 86400}, "target-time"))
    , serviceLevel_(addField("serviceLevel", QStringLiteral("サービスレベル目標 (%)"),
                             QStringLiteral("80"), {0, 100, false, false, true}))
    , answer_(new QLabel(this))
    , view_(new QTableView(this))
    , model_(new StaffingModel(this)) {
    connect(addButton("staffCompute", QStringLiteral("計算")), &QPushButton::clicked, this,
            &Tab::run);
    connect(addButton("staffExport", QStringLiteral("CSV に保存")), &QPushButton::clicked, this,
            &StaffingTab::save);
    side_->addStretch(1);

    answer_->setObjectName(QStringLiteral("staffAnswer"));
    QFont big = answer_->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    answer_->setFont(big);
    answer_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    view_->setObjectName(QStringLiteral("staffing"));
    view_->setAccessibleName(QStringLiteral("エージェント数ごとの応答"));
    view_->setModel(model_);
    view_->verticalHeader()->hide();
    view_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    view_->setTabKeyNavigation(false);
    view_->setItemDelegate(new AnswerInBold(model_, view_));
    AddCopy(view_, this);
    right_->addWidget(answer_);
    right_->addWidget(view_, 1);
}

void StaffingTab::save() {
    if (refuseStale()) {
        return;
    }
    const QString path = askPath(QStringLiteral("staffing.csv"),
                                 QStringLiteral("CSV ファイル (*.csv)"), QStringLiteral("csv"));
    if (path.isEmpty()) {
        return;
    }
    if (const QString error = SaveFile(path, TableCsv(*model_)); !error.isEmpty()) {
        dialogs_.warn(this, QStringLiteral("%1 に保存できませんでした。\n%2")
                                .arg(QDir::toNativeSeparators(path), error));
        return;
    }
    emit savedTo(path);
    emit said(QStringLiteral("%1 に保存しました。").arg(QDir::toNativeSeparators(path)));
}

bool StaffingTab::compute() {
    StaffingInputs in;
    const auto calls = calls_->read();
    const auto interval = interval_->read();
    const auto aht = aht_->read();
    const auto targetTime = targetTime_->read();
    const auto serviceLevel = serviceLevel_->read();
    if (!calls || !interval || !aht || !targetTime || !serviceLevel) {
        return false;
    }
    in.calls = *calls;
    in.intervalMinutes = *interval;
    in.ahtSeconds = *aht;
    in.targetSeconds = *targetTime;
    in.serviceLevel = *serviceLevel / 100;
    if (in.traffic() > teletraffic::kMaxTraffic) {
        calls_->mark(QStringLiteral("呼量が %1 アーランになります。%2 アーランまでにしてください")
                         .arg(in.traffic(), 0, 'g', 6)
                         .arg(teletraffic::kMaxTraffic, 0, 'g', 6));
        return false;
    }
    model_->setStaffing(Staff(in));
    const Staffing& s = model_->staffing();
    answer_->setText(QStringLiteral("呼量 %1 アーラン　必要エージェント数 %2")
                         .arg(QString::number(s.traffic, 'g', 10))
                         .arg(s.agents));
    view_->clearSpans();
    for (int row = 0; row < model_->rowCount(); ++row) {
        if (s.rows[static_cast<std::size_t>(row)].unbounded) {
            view_->setSpan(row, 1, 1, model_->columnCount() - 1);
        }
    }
    return true;
}

} // namespace tables

#include "staffing_tab.moc"
