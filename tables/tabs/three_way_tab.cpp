#include "tables/tabs/three_way_tab.h"

#include "tables/models/engine_error.h"
#include "tables/models/number_format.h"

#include "teletraffic/domain.h"

#include <QButtonGroup>
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

// The table beside the answer.
enum AroundColumn { kAroundLines, kAroundBlocking, kAroundColumns };

// In the order of Unknown.
const char* const kNames[kUnknowns] = {"solveTraffic", "solveBlocking", "solveLines"};
const teletraffic::Argument kArguments[kUnknowns] = {
    teletraffic::Argument::Traffic, teletraffic::Argument::Blocking, teletraffic::Argument::Lines};
const Range kRanges[kUnknowns] = {{0, teletraffic::kMaxTraffic},
                                  {teletraffic::kMinBlocking, 1, false, false, true},
                                  {0, teletraffic::kMaxLines, true}};

} // namespace

ThreeWayTab::ThreeWayTab(Dialogs dialogs, QWidget* parent)
    : Tab("threeWayTab", std::move(dialogs), parent) {
    const QString labels[kUnknowns] = {QStringLiteral("呼量(アーラン)"), QStringLiteral("呼損率"),
                                       QStringLiteral("回線数")};
    const QString texts[kUnknowns] = {QStringLiteral("10"), QStringLiteral("0.01"), QString()};
    const QString shortLabels[kUnknowns] = {QStringLiteral("呼量"), QStringLiteral("呼損率"),
                                            QStringLiteral("回線数")};
    auto* group = new QButtonGroup(this);
    auto* choices = new QHBoxLayout;
    for (int i = 0; i < kUnknowns; ++i) {
        solveFor_[i] = new QRadioButton(shortLabels[i], this);
        solveFor_[i]->setObjectName(QLatin1String(kNames[i]) + QStringLiteral("Unknown"));
        group->addButton(solveFor_[i]);
        choices->addWidget(solveFor_[i]);
    }
    form_->addRow(QStringLiteral("求めるもの"), choices);
    for (int i = 0; i < kUnknowns; ++i) {
        fields_[i] = addField(kNames[i], labels[i], texts[i], kRanges[i], kArguments[i]);
        connect(solveFor_[i], &QRadioButton::toggled, this, &ThreeWayTab::showUnknown);
    }
    sources_ = addField("solveSources", QStringLiteral("呼源数"), QString(),
                        {1, teletraffic::kMaxSources, true}, teletraffic::Argument::Sources);
    sources_->edit()->setPlaceholderText(QStringLiteral("空欄: アーランB式（呼源は無限）"));
    solveFor_[static_cast<int>(Unknown::Lines)]->setChecked(true);
    connect(addButton("solveCompute", QStringLiteral("計算")), &QPushButton::clicked, this,
            &Tab::run);
    connect(addButton("solveExport", QStringLiteral("CSV に保存")), &QPushButton::clicked, this,
            &ThreeWayTab::save);
    side_->addStretch(1);

    // Made after the fields, so that Tab reaches the fields first.
    explain_ = new QLabel(this);
    around_ = new QTableWidget(0, kAroundColumns, this);
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
    for (int i = 0; i < kUnknowns; ++i) {
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

QString ThreeWayTab::refusalText(const std::exception& error) const {
    // The traffic's field takes what the model does (Engset more than Erlang B).
    const auto* domain = dynamic_cast<const teletraffic::DomainError*>(&error);
    InputField* traffic = fields_[static_cast<int>(Unknown::Traffic)];
    const bool ofTraffic = domain != nullptr && Tab::fieldFor(domain->argument()) == traffic;
    return EngineErrorText(error, ofTraffic ? &traffic->range() : nullptr);
}

ThreeWayInputs ThreeWayTab::inputs() const {
    ThreeWayInputs inputs;
    for (int i = 0; i < kUnknowns; ++i) {
        if (solveFor_[i]->isChecked()) {
            inputs.unknown = static_cast<Unknown>(i);
        }
    }
    return inputs;
}

void ThreeWayTab::solveLines(double traffic, double blocking) {
    solveFor_[static_cast<int>(Unknown::Lines)]->setChecked(true);
    fields_[static_cast<int>(Unknown::Traffic)]->edit()->setText(Exact(traffic));
    fields_[static_cast<int>(Unknown::Blocking)]->edit()->setText(Exact(blocking));
    sources_->edit()->clear();
    emit edited();
    run();
}

void ThreeWayTab::save() {
    saveTable(*around_->model(), QStringLiteral("erlang-b-solve.csv"));
}

bool ThreeWayTab::compute() {
    ThreeWayInputs inputs = this->inputs();
    // No answer stays in the unknown's box unless these inputs give it.
    fields_[static_cast<int>(inputs.unknown)]->edit()->clear();
    // Empty is Erlang B; a number switches all three solves to Engset.
    bool ok = true;
    if (sources_->edit()->text().trimmed().isEmpty()) {
        sources_->mark({});
    } else {
        inputs.sources = sources_->read();
        ok = inputs.sources.has_value();
    }
    // Engset takes call attempts up to what its largest idle-source traffic
    // offers, 1e9 erlangs a source: the traffic it answers among them.
    const int traffic = static_cast<int>(Unknown::Traffic);
    fields_[traffic]->setRange(inputs.sources ? Range{0, teletraffic::kMaxTraffic * *inputs.sources}
                                              : kRanges[traffic]);
    double* values[kUnknowns] = {&inputs.traffic, &inputs.blocking, &inputs.lines};
    for (int i = 0; i < kUnknowns; ++i) {
        if (static_cast<Unknown>(i) != inputs.unknown) {
            const auto value = fields_[i]->read();
            ok = ok && value;
            *values[i] = value.value_or(0);
        }
    }
    if (!ok) {
        return false;
    }
    if (const auto problem = CheckThreeWay(inputs)) {
        fields_[static_cast<int>(problem->field)]->mark(problem->error);
        return false;
    }
    const ThreeWay answer = SolveThreeWay(inputs);
    const QString shown[kUnknowns] = {Exact(answer.traffic), Significant(answer.blocking),
                                      Exact(answer.lines)};
    fields_[static_cast<int>(answer.unknown)]->edit()->setText(
        shown[static_cast<int>(answer.unknown)]);
    explain_->setText(Explain(answer));
    around_->setRowCount(static_cast<int>(answer.around.size()));
    for (int row = 0; row < around_->rowCount(); ++row) {
        const LineBlocking& at = answer.around[static_cast<std::size_t>(row)];
        QString cells[kAroundColumns];
        cells[kAroundLines] = Exact(at.lines);
        cells[kAroundBlocking] = Significant(at.blocking);
        for (int column = 0; column < kAroundColumns; ++column) {
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
