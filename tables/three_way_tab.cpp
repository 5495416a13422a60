#include "tables/three_way_tab.h"

#include "tables/files.h"

#include "teletraffic/domain.h"

#include <QButtonGroup>
#include <QDir>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tables {
namespace {

// In the order of Unknown.
const char* const kNames[3] = {"solveTraffic", "solveBlocking", "solveLines"};
const teletraffic::Argument kArguments[3] = {
    teletraffic::Argument::Traffic, teletraffic::Argument::Blocking, teletraffic::Argument::Lines};
const Range kRanges[3] = {{0, teletraffic::kMaxTraffic},
                          {teletraffic::kMinBlocking, 1, false, false, true},
                          {0, teletraffic::kMaxLines, true}};

} // namespace

ThreeWayTab::ThreeWayTab(Dialogs dialogs, QWidget* parent)
    : Tab("threeWayTab", std::move(dialogs), parent) {
    const QString labels[3] = {QStringLiteral("呼量(アーラン)"), QStringLiteral("呼損率"),
                               QStringLiteral("回線数")};
    const QString texts[3] = {QStringLiteral("10"), QStringLiteral("0.01"), QString()};
    const QString shortLabels[3] = {QStringLiteral("呼量"), QStringLiteral("呼損率"),
                                    QStringLiteral("回線数")};
    auto* group = new QButtonGroup(this);
    auto* choices = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        solveFor_[i] = new QRadioButton(shortLabels[i], this);
        solveFor_[i]->setObjectName(QLatin1String(kNames[i]) + QStringLiteral("Unknown"));
        group->addButton(solveFor_[i]);
        choices->addWidget(solveFor_[i]);
    }
    form_->addRow(QStringLiteral("求めるもの"), choices);
    for (int i = 0; i < 3; ++i) {
        fields_[i] = addField(kNames[i], labels[i], texts[i], kRanges[i], kArguments[i]);
        connect(solveFor_[i], &QRadioButton::toggled, this, &ThreeWayTab::showUnknown);
    }
    sources_ = addField("solveSources", QStringLiteral("呼源数（空欄はアーランB式）"), QString(),
                        {1, teletraffic::kMaxSources, true}, teletraffic::Argument::Sources);
    solveFor_[static_cast<int>(Unknown::Lines)]->setChecked(true);
    connect(addButton("solveCompute", QStringLiteral("計算")), &QPushButton::clicked, this,
            &Tab::run);
    connect(addButton("solveExport", QStringLiteral("CSV に保存")), &QPushButton::clicked, this,
            &ThreeWayTab::save);
    side_->addStretch(1);

    // Made after the fields, so that Tab reaches the fields first.
    explain_ = new QLabel(this);
    around_ = new QTableWidget(0, 2, this);
    explain_->setObjectName(QStringLiteral("solveExplain"));
    explain_->setWordWrap(true);
    explain_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    around_->setObjectName(QStringLiteral("solveAround"));
    around_->setAccessibleName(QStringLiteral("前後の回線数の呼損率"));
    around_->setHorizontalHeaderLabels({QStringLiteral("回線数"), QStringLiteral("呼損率")});
    around_->verticalHeader()->hide();
    around_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    around_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    around_->setTabKeyNavigation(false);
    AddCopy(around_, this);
    right_->addWidget(explain_);
    right_->addWidget(around_, 1);
}

// The unknown's box shows the answer and takes no typing.
void ThreeWayTab::showUnknown() {
    for (int i = 0; i < 3; ++i) {
        const bool unknown = solveFor_[i]->isChecked();
        fields_[i]->edit()->setReadOnly(unknown);
        fields_[i]->edit()->setFocusPolicy(unknown ? Qt::ClickFocus : Qt::StrongFocus);
        // The answer's box has the window's ground; a known box keeps any mark.
        if (unknown) {
            fields_[i]->mark({});
            QPalette answer;
            answer.setColor(QPalette::Base, palette().color(QPalette::Window));
            fields_[i]->edit()->setPalette(answer);
        } else if (fields_[i]->error().isEmpty()) {
            fields_[i]->edit()->setPalette(QPalette());
        }
    }
}

InputField* ThreeWayTab::fieldFor(teletraffic::Argument argument) const {
    // An answer out of the engine's range: the known value that led to it.
    const Unknown unknown = inputs().unknown;
    if (argument == kArguments[static_cast<int>(unknown)]) {
        return fields_[static_cast<int>(unknown == Unknown::Traffic ? Unknown::Lines
                                                                    : Unknown::Traffic)];
    }
    return Tab::fieldFor(argument);
}

ThreeWayInputs ThreeWayTab::inputs() const {
    ThreeWayInputs inputs;
    for (int i = 0; i < 3; ++i) {
        if (solveFor_[i]->isChecked()) {
            inputs.unknown = static_cast<Unknown>(i);
        }
    }
    return inputs;
}

void ThreeWayTab::save() {
    if (refuseStale()) {
        return;
    }
    const QString path = askPath(QStringLiteral("erlang-b-solve.csv"),
                                 QStringLiteral("CSV ファイル (*.csv)"), QStringLiteral("csv"));
    if (path.isEmpty()) {
        return;
    }
    if (const QString error = SaveFile(path, TableCsv(*around_->model())); !error.isEmpty()) {
        dialogs_.warn(this, QStringLiteral("%1 に保存できませんでした。\n%2")
                                .arg(QDir::toNativeSeparators(path), error));
        return;
    }
    emit savedTo(path);
    emit said(QStringLiteral("%1 に保存しました。").arg(QDir::toNativeSeparators(path)));
}

bool ThreeWayTab::compute() {
    ThreeWayInputs inputs = this->inputs();
    // No answer stays in the unknown's box unless these inputs give it.
    fields_[static_cast<int>(inputs.unknown)]->edit()->clear();
    double* values[3] = {&inputs.traffic, &inputs.blocking, &inputs.lines};
    bool ok = true;
    for (int i = 0; i < 3; ++i) {
        if (static_cast<Unknown>(i) != inputs.unknown) {
            const auto value = fields_[i]->read();
            ok = ok && value;
            *values[i] = value.value_or(0);
        }
    }
    // Empty is Erlang B; a number switches all three solves to Engset.
    if (sources_->edit()->text().trimmed().isEmpty()) {
        sources_->mark({});
    } else {
        inputs.sources = sources_->read();
        ok = ok && inputs.sources;
    }
    if (!ok) {
        return false;
    }
    if (const auto problem = CheckThreeWay(inputs)) {
        fields_[static_cast<int>(problem->field)]->mark(problem->error);
        return false;
    }
    const ThreeWay answer = SolveThreeWay(inputs);
    const QString shown[3] = {FullText(answer.traffic), BlockingText(answer.blocking),
                              QString::number(answer.lines, 'f', 0)};
    fields_[static_cast<int>(answer.unknown)]->edit()->setText(
        shown[static_cast<int>(answer.unknown)]);
    explain_->setText(Explain(answer));
    around_->setRowCount(static_cast<int>(answer.around.size()));
    for (int row = 0; row < around_->rowCount(); ++row) {
        const LineBlocking& at = answer.around[static_cast<std::size_t>(row)];
        const QString cells[2] = {QString::number(at.lines, 'f', 0), BlockingText(at.blocking)};
        for (int column = 0; column < 2; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            QFont font = item->font();
            font.setBold(at.lines == answer.lines);
            item->setFont(font);
            around_->setItem(row, column, item);
        }
    }
    return true;
}

} // namespace tables
