#include "tables/overflow_tab.h"

#include "tables/three_way.h"

#include "teletraffic/erlang.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <cmath>

namespace tables {
namespace {

const Range kTarget{teletraffic::kMinBlocking, 1, false, false, true};

QString Number(double value) {
    return QString::number(value, 'g', 6);
}

// Cells that will not read on a pale red ground, like a field marked bad;
// the answers in bold.
class MarkDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.data(kErrorRole).isValid()) {
            option->backgroundBrush = QColor(0xff, 0xe4, 0xe4);
        }
        if (index.data(kAnswerRole).toBool()) {
            option->font.setBold(true);
        }
    }
};

QTableView* NewView(const char* name, const QString& accessibleName, QAbstractItemModel* model,
                    QWidget* parent) {
    auto* view = new QTableView(parent);
    view->setObjectName(QLatin1String(name));
    view->setAccessibleName(accessibleName);
    view->setModel(model);
    view->setItemDelegate(new MarkDelegate(view));
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    view->verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    return view;
}

// "3 回線" or why the engine gave no count.
QString LinesText(const Sizing& sizing) {
    return sizing.lines ? QStringLiteral("%1 回線").arg(*sizing.lines, 0, 'f', 0)
                        : QStringLiteral("答えなし（%1）").arg(sizing.error);
}

QString Explain(const FinalGroup& g) {
    const teletraffic::Overflow& o = g.offered;
    QString text =
        QStringLiteral("最終群に溢れる呼: 平均 %1 アーラン、分散 %2、ピーク度 %3\n"
                       "呼損率 %4 に必要な最終群の回線数: 等価ランダム法 %5、Hayward 法 %6")
            .arg(Number(o.mean), Number(o.variance), Number(o.peakedness), BlockingText(g.target),
                 LinesText(g.ert), LinesText(g.hayward));
    if (g.meanOnly.lines && !std::isnan(g.meanOnlyBlocking)) {
        text += QStringLiteral("\n平均だけでアーランB式にかけると %1ですが、その回線数で溢れ呼が"
                               "受ける呼損率は %2（等価ランダム法）%3")
                    .arg(LinesText(g.meanOnly), BlockingText(g.meanOnlyBlocking),
                         g.meanOnlyBlocking > g.target
                             ? QStringLiteral("で、目標を超えます。")
                             : QStringLiteral("で、この溢れ呼では目標内です。"));
    } else {
        text += QStringLiteral("\n平均だけでアーランB式にかけると %1").arg(LinesText(g.meanOnly));
    }
    return text;
}

} // namespace

OverflowTab::OverflowTab(Dialogs dialogs, QWidget* parent)
    : Tab("overflowTab", std::move(dialogs), parent)
    , target_(addField("finalTarget", QStringLiteral("最終群の呼損率"), QStringLiteral("0.01"),
                       kTarget))
    , groups_(new FirstChoiceModel(this))
    , final_(new FinalGroupModel(this)) {
    connect(addButton("addGroup", QStringLiteral("群を追加")), &QPushButton::clicked, this,
            &OverflowTab::addGroup);
    connect(addButton("removeGroups", QStringLiteral("選択した群を削除")), &QPushButton::clicked,
            this, &OverflowTab::removeSelectedGroups);
    connect(addButton("overflowCompute", QStringLiteral("計算")), &QPushButton::clicked, this,
            &OverflowTab::compute);
    connect(addButton("overflowCsv", QStringLiteral("CSV に保存")), &QPushButton::clicked, this,
            &OverflowTab::exportCsv);
    side_->addStretch(1);

    auto* heading =
        new QLabel(QStringLiteral("第一選択群（高使用群）: 呼量と回線数を入れてください"), this);
    groupsView_ = NewView("overflowGroups", QStringLiteral("第一選択群"), groups_, this);
    groupsView_->setEditTriggers(QAbstractItemView::AllEditTriggers);
    groupsView_->setMaximumHeight((groupsView_->fontMetrics().height() + 6) * 8);
    answer_ = new QLabel(this);
    answer_->setObjectName(QStringLiteral("overflowAnswer"));
    answer_->setWordWrap(true);
    answer_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    finalView_ = NewView("finalTable", QStringLiteral("最終群の回線数ごとの呼損率"), final_, this);
    finalView_->verticalHeader()->hide();
    for (QTableView* view : {groupsView_, finalView_}) {
        auto* copy = new QAction(view);
        copy->setShortcut(QKeySequence::Copy);
        copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(copy, &QAction::triggered, this, [this, view] { copySelection(view); });
        view->addAction(copy);
    }
    right_->addWidget(heading);
    right_->addWidget(groupsView_);
    right_->addWidget(answer_);
    right_->addWidget(finalView_, 1);

    // A cell typed in, a group added or removed: the answers follow.
    connect(groups_, &QAbstractItemModel::dataChanged, this, &OverflowTab::compute);
    connect(groups_, &QAbstractItemModel::modelReset, this, &OverflowTab::compute);
    connect(groups_, &QAbstractItemModel::rowsInserted, this, &OverflowTab::compute);
}

void OverflowTab::compute() {
    const auto target = target_->read();
    if (!target) {
        return;
    }
    if (!groups_->total()) {
        // Nothing from a half-typed list: no answer rather than one for part of it.
        final_->clear();
        answer_->setText(
            QStringLiteral("第一選択群の表を埋めてください。%1").arg(groups_->problem()));
        return;
    }
    final_->setGroup(SizeFinalGroup(*groups_->total(), *target));
    answer_->setText(Explain(final_->group()));
}

void OverflowTab::addGroup() {
    if (!groups_->addGroup()) {
        emit said(QStringLiteral("第一選択群は %1 群までです。").arg(kMaxGroups));
        return;
    }
    const QModelIndex first = groups_->index(groups_->groupCount() - 1, 0);
    groupsView_->setCurrentIndex(first);
    groupsView_->edit(first);
}

void OverflowTab::removeSelectedGroups() {
    std::vector<int> rows;
    for (const QModelIndex& index : groupsView_->selectionModel()->selectedIndexes()) {
        rows.push_back(index.row());
    }
    if (rows.empty() && groupsView_->currentIndex().isValid()) {
        rows.push_back(groupsView_->currentIndex().row());
    }
    groups_->removeGroups(std::move(rows));
}

void OverflowTab::copySelection(QTableView* view) {
    const QItemSelection selection = view->selectionModel()->selection();
    if (selection.isEmpty()) {
        return;
    }
    QApplication::clipboard()->setText(ItemsText(*view->model(), selection));
    emit said(QStringLiteral("選択したセルを見出しと一緒にコピーしました。"));
}

void OverflowTab::exportCsv() {
    if (final_->rowCount() == 0) {
        emit said(QStringLiteral("保存する表がありません。第一選択群の表を埋めてください。"));
        return;
    }
    const QString path =
        dialogs_.savePath(this, QDir::home().filePath(QStringLiteral("overflow.csv")),
                          QStringLiteral("CSV ファイル (*.csv)"), QStringLiteral("csv"));
    if (path.isEmpty()) {
        return;
    }
    QSaveFile file(path);
    const QByteArray text = CsvText(*final_);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        dialogs_.warn(this, QStringLiteral("%1 に保存できませんでした。\n%2")
                                .arg(QDir::toNativeSeparators(path), file.errorString()));
        return;
    }
    emit said(QStringLiteral("%1 行を %2 に保存しました。")
                  .arg(final_->rowCount())
                  .arg(QDir::toNativeSeparators(path)));
}

} // namespace tables

#include "overflow_tab.moc"
