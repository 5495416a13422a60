#include "tables/tab.h"

#include "tables/engine_error.h"
#include "tables/files.h"

#include "teletraffic/error.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace tables {

Dialogs RealDialogs() {
    return {
        [](QWidget* owner, const QString& name, const QString& filters, const QString& suffix) {
            QFileDialog dialog(owner, QStringLiteral("保存"), name, filters);
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setDefaultSuffix(suffix);
            // The suffix follows the file type chosen.
            QObject::connect(
                &dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
                    // "SVG 画像 (*.svg)" gives "svg"
                    dialog.setDefaultSuffix(filter.section(QStringLiteral("*."), 1, 1).chopped(1));
                });
            return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
        },
        [](QWidget* owner, const QString& text) {
            QMessageBox::warning(owner, QStringLiteral("Corvane Tables"), text);
        },
        [](QWidget* owner, const QString& filters) {
            return QFileDialog::getOpenFileName(owner, QStringLiteral("読み込み"), QDir::homePath(),
                                                filters);
        }};
}

JobBar::JobBar(const char* name, QWidget* parent)
    : QWidget(parent)
    , bar_(new QProgressBar(this))
    , cancel_(new QPushButton(QStringLiteral("中止"), this)) {
    bar_->setObjectName(QLatin1String(name) + QStringLiteral("Progress"));
    cancel_->setObjectName(QLatin1String(name) + QStringLiteral("Cancel"));
    cancel_->setAutoDefault(false);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(bar_, 1);
    row->addWidget(cancel_);
    hide();
}

void JobBar::startWatching(QFutureWatcherBase* watcher) {
    watcher_ = watcher;
    bar_->setRange(0, 0);
    connect(watcher, &QFutureWatcherBase::progressRangeChanged, bar_, &QProgressBar::setRange);
    connect(watcher, &QFutureWatcherBase::progressValueChanged, bar_, &QProgressBar::setValue);
    connect(cancel_, &QPushButton::clicked, watcher, &QFutureWatcherBase::cancel);
    show();
}

void JobBar::stopWatching() {
    hide();
    watcher_->disconnect(cancel_);
    cancel_->disconnect(watcher_);
    watcher_->deleteLater();
    watcher_ = nullptr;
}

void JobBar::cancelAndWait() {
    if (watcher_ != nullptr) {
        // Its finished signal would come after the next job has started.
        watcher_->disconnect(this);
        watcher_->cancel();
        watcher_->waitForFinished();
        stopWatching();
    }
}

Tab::Tab(const char* name, Dialogs dialogs, QWidget* parent)
    : QWidget(parent)
    , form_(new QFormLayout)
    , side_(new QVBoxLayout)
    , right_(new QVBoxLayout)
    , dialogs_(std::move(dialogs))
    , note_(new QLabel(QStringLiteral("入力に誤りがあるため、下の結果は今の入力のものではありません"
                                      "（保存できません）。"),
                       this))
    , results_(new QWidget(this))
    , folder_(QDir::homePath()) {
    setObjectName(QLatin1String(name));
    form_->setRowWrapPolicy(QFormLayout::DontWrapRows);
    form_->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    side_->addLayout(form_);

    auto* sideBox = new QWidget(this);
    sideBox->setLayout(side_);
    sideBox->setFixedWidth(330);
    note_->setObjectName(QLatin1String(name) + QStringLiteral("Stale"));
    note_->setWordWrap(true);
    note_->hide();
    right_->setContentsMargins(0, 0, 0, 0);
    results_->setLayout(right_);
    auto* answer = new QVBoxLayout;
    answer->addWidget(note_);
    answer->addWidget(results_, 1);
    auto* body = new QHBoxLayout(this);
    body->addWidget(sideBox, 0);
    body->addLayout(answer, 1);
}

void Tab::run() {
    bool fresh = false;
    try {
        fresh = compute();
    } catch (const std::exception& error) {
        // The engine checks what the fields cannot: a solve whose answer
        // leaves its domain.
        const auto* domain = dynamic_cast<const teletraffic::DomainError*>(&error);
        InputField* field = domain != nullptr ? fieldFor(domain->argument()) : nullptr;
        if (field != nullptr) {
            field->mark(EngineErrorText(error));
        } else {
            emit said(EngineErrorText(error));
        }
    }
    setStale(!fresh);
}

InputField* Tab::fieldFor(teletraffic::Argument argument) const {
    for (const auto& [name, field] : arguments_) {
        if (name == argument) {
            return field;
        }
    }
    return nullptr;
}

void Tab::setStale(bool stale) {
    stale_ = stale;
    note_->setVisible(stale);
    // Greyed, and still there to compare with.
    if (stale && results_->graphicsEffect() == nullptr) {
        auto* grey = new QGraphicsOpacityEffect(results_);
        grey->setOpacity(0.35);
        results_->setGraphicsEffect(grey);
    } else if (!stale) {
        results_->setGraphicsEffect(nullptr);
    }
}

bool Tab::refuseStale() {
    if (stale_) {
        dialogs_.warn(this,
                      QStringLiteral("入力に誤りがあるため、表示中の結果は今の入力と合いません。"
                                     "誤りを直して計算してから保存してください。"));
    }
    return stale_;
}

QString Tab::askPath(const QString& name, const QString& filters, const QString& suffix) {
    return dialogs_.savePath(this, QDir(folder_).filePath(name), filters, suffix);
}

InputField* Tab::addField(const char* name, const QString& label, const QString& text,
                          const Range& range, std::optional<teletraffic::Argument> argument) {
    auto* field = new InputField(form_, name, label, text, range);
    connect(field->edit(), &QLineEdit::returnPressed, this, &Tab::run);
    if (argument) {
        arguments_.emplace_back(*argument, field);
    }
    return field;
}

QPushButton* Tab::addButton(const char* name, const QString& text) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(QLatin1String(name));
    // Enter on the focused button presses it (outside a dialog, a field's
    // Enter presses no button).
    button->setAutoDefault(true);
    side_->addWidget(button);
    return button;
}

void AddCopy(QTableView* view, Tab* tab) {
    auto* copy = new QAction(view);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(copy, &QAction::triggered, tab, [view, tab] {
        if (tab->stale()) {
            emit tab->said(QStringLiteral("入力に誤りがあるため、表示中の結果はコピーしません。"));
            return;
        }
        const QAbstractItemModel& model = *view->model();
        QList<int> rows;
        QList<int> columns;
        for (const QModelIndex& index : view->selectionModel()->selectedIndexes()) {
            rows << index.row();
            columns << index.column();
        }
        const auto all = [](int count) {
            QList<int> every;
            for (int i = 0; i < count; ++i) {
                every << i;
            }
            return every;
        };
        if (rows.isEmpty()) {
            rows = all(model.rowCount());
            columns = all(model.columnCount());
        }
        for (QList<int>* list : {&rows, &columns}) {
            std::sort(list->begin(), list->end());
            list->erase(std::unique(list->begin(), list->end()), list->end());
        }
        QApplication::clipboard()->setText(TableText(model, rows, columns));
        emit tab->said(QStringLiteral("%1 行を見出しと一緒にコピーしました。").arg(rows.size()));
    });
    view->addAction(copy);
}

} // namespace tables
