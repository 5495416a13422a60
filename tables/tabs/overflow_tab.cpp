#include "tables/tabs/overflow_tab.h"

#include "tables/models/number_format.h"

#include "teletraffic/number_text.h"
#include "teletraffic/overflow.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <cmath>

namespace tables {
namespace {

const Range kTarget{teletraffic::kMinBlocking, 1, false, false, true};

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
    return sizing.lines ? QStringLiteral("%1 回線").arg(Exact(*sizing.lines))
                        : QStringLiteral("答えなし（%1）").arg(sizing.error);
}

QString Explain(const FinalGroup& g) {
    const teletraffic::Overflow& o = g.offered;
    QString text =
        QStringLiteral("最終群に溢れる呼: 平均 %1 アーラン、分散 %2、ピーク度 %3\n"
                       "呼損率 %4 に必要な最終群の回線数: 等価ランダム法 %5、Hayward 法 %6")
            .arg(Significant(o.mean), Significant(o.variance), Significant(o.peakedness),
                 Exact(g.target), LinesText(g.ert), LinesText(g.hayward));
    if (g.meanOnly.lines && !std::isnan(g.meanOnlyBlocking)) {
        text += QStringLiteral("\n平均だけでアーランB式にかけると %1ですが、その回線数で溢れ呼が"
                               "受ける呼損率は %2（等価ランダム法）%3")
                    .arg(LinesText(g.meanOnly), Significant(g.meanOnlyBlocking),
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
                       kTarget, teletraffic::Argument::Blocking))
    , groups_(new FirstChoiceModel(this))
    , final_(new FinalGroupModel(this)) {
    // The list is an input: among the fields, never greyed with the answers.
    auto* heading = new QLabel(QStringLiteral("第一選択群（高使用群）の呼量と回線数"), this);
    groupsView_ =
        NewView("overflowGroups", QStringLiteral("第一選択群の呼量と回線数"), groups_, this);
    groupsView_->setEditTriggers(QAbstractItemView::AllEditTriggers);
    for (int column = FirstChoiceModel::kMean; column < FirstChoiceModel::kColumns; ++column) {
        groupsView_->setColumnHidden(column, true);
    }
    side_->addWidget(heading);
    side_->addWidget(groupsView_, 1);
    connect(addButton("addGroup", QStringLiteral("群を追加")), &QPushButton::clicked, this,
            &OverflowTab::addGroup);
    connect(addButton("removeGroups", QStringLiteral("選択した群を削除")), &QPushButton::clicked,
            this, &OverflowTab::removeSelectedGroups);
    connect(addButton("overflowCompute", QStringLiteral("計算")), &QPushButton::clicked, this,
            &Tab::run);
    connect(addButton("overflowCsv", QStringLiteral("CSV に保存")), &QPushButton::clicked, this,
            &OverflowTab::save);

    overflowView_ = NewView("overflowMoments", QStringLiteral("各群の溢れ呼と合計"), groups_, this);
    for (int column = FirstChoiceModel::kTraffic; column < FirstChoiceModel::kMean; ++column) {
        overflowView_->setColumnHidden(column, true);
    }
    overflowView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    overflowView_->setMaximumHeight((overflowView_->fontMetrics().height() + 6) * 7);
    answer_ = new QLabel(this);
    answer_->setObjectName(QStringLiteral("overflowAnswer"));
    answer_->setWordWrap(true);
    answer_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    finalView_ = NewView("finalTable", QStringLiteral("最終群の回線数ごとの呼損率"), final_, this);
    finalView_->verticalHeader()->hide();
    for (QTableView* view : {groupsView_, overflowView_, finalView_}) {
        view->setTabKeyNavigation(false);
        AddCopy(view, this);
    }
    right_->addWidget(overflowView_);
    right_->addWidget(answer_);
    right_->addWidget(finalView_, 1);

    // A cell typed in, a group added or removed: the answers follow.
    connect(groups_, &QAbstractItemModel::dataChanged, this, &Tab::run);
    connect(groups_, &QAbstractItemModel::modelReset, this, &Tab::run);
    connect(groups_, &QAbstractItemModel::rowsInserted, this, &Tab::run);
    connect(groups_, &QAbstractItemModel::dataChanged, this, &Tab::edited);
    connect(groups_, &QAbstractItemModel::modelReset, this, &Tab::edited);
    connect(groups_, &QAbstractItemModel::rowsInserted, this, &Tab::edited);
}

bool OverflowTab::compute() {
    // The sum's row is never typed into; rows are added and removed.
    for (int row = 0; row <= groups_->groupCount(); ++row) {
        groupsView_->setRowHidden(row, row == groups_->groupCount());
    }
    const auto target = target_->read();
    if (!target) {
        return false;
    }
    if (!groups_->total()) {
        // Nothing from a half-typed list: the cells say what is missing.
        emit said(QStringLiteral("第一選択群の表を埋めてください。%1").arg(groups_->problem()));
        return false;
    }
    final_->setGroup(SizeFinalGroup(*groups_->total(), *target));
    answer_->setText(Explain(final_->group()));
    return true;
}

void OverflowTab::addGroup() {
    if (!groups_->addGroup()) {
        emit said(QStringLiteral("第一選択群は %1 群までです。").arg(kMaxGroups));
        return;
    }
    const QModelIndex first = groups_->index(groups_->groupCount() - 1, 0);
    // Selected, so that 削除 right after takes the new group away again.
    groupsView_->selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect);
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

void OverflowTab::save() {
    saveTable(*final_, QStringLiteral("overflow.csv"));
}

QList<QStringList> OverflowTab::statedInputs() const {
    QList<QStringList> lines = Tab::statedInputs();
    lines << QStringList{QStringLiteral("第一選択群"), QStringLiteral("呼量(アーラン)"),
                         QStringLiteral("回線数")};
    for (int row = 0; row < groups_->groupCount(); ++row) {
        const GroupText& group = groups_->groups()[static_cast<std::size_t>(row)];
        QStringList line{QString::number(row + 1)};
        for (const QString& text : {group.traffic, group.lines}) {
            const number_text::Reading reading = number_text::Read(text.toStdString());
            line << (reading.ok() ? Exact(reading.value) : text);
        }
        lines << line;
    }
    return lines;
}

void OverflowTab::restoreMore(const QSettings& settings) {
    const QVariant groups = settings.value(QStringLiteral("inputs/overflowGroups"));
    if (groups.isValid()) {
        groups_->setGroups(GroupsFromList(groups.toStringList()));
    }
}

void OverflowTab::rememberMore(QSettings& settings) const {
    settings.setValue(QStringLiteral("inputs/overflowGroups"), GroupsToList(groups_->groups()));
}

QStringList OverflowTab::moreInputs() const {
    return GroupsToList(groups_->groups());
}

} // namespace tables

#include "overflow_tab.moc"
