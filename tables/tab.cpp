#include "tables/tab.h"

#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

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
    , dialogs_(std::move(dialogs)) {
    setObjectName(QLatin1String(name));
    form_->setRowWrapPolicy(QFormLayout::DontWrapRows);
    form_->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    side_->addLayout(form_);

    auto* sideBox = new QWidget(this);
    sideBox->setLayout(side_);
    sideBox->setFixedWidth(330);
    auto* body = new QHBoxLayout(this);
    body->addWidget(sideBox, 0);
    body->addLayout(right_, 1);
}

InputField* Tab::addField(const char* name, const QString& label, const QString& text,
                          const Range& range) {
    auto* field = new InputField(form_, name, label, text, range);
    connect(field->edit(), &QLineEdit::returnPressed, this, [this] { compute(); });
    return field;
}

QPushButton* Tab::addButton(const char* name, const QString& text) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(QLatin1String(name));
    // Enter in a field computes; it must not also press a button.
    button->setAutoDefault(false);
    side_->addWidget(button);
    return button;
}

} // namespace tables
