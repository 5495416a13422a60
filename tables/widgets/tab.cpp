#include "tables/widgets/tab.h"

#include "tables/widgets/veil.h"

#include "tables/models/engine_error.h"
#include "tables/models/files.h"
#include "tables/models/number_format.h"

#include "teletraffic/error.h"
#include "teletraffic/number_text.h"

#include <QAbstractItemDelegate>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSvgGenerator>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <QtCharts/QChartView>

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
        },
        [](QWidget* owner, const QString& filters) {
            return QFileDialog::getOpenFileNames(owner, QStringLiteral("読み込み"),
                                                 QDir::homePath(), filters);
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

namespace {

QString Key(const QObject* control) {
    return QStringLiteral("inputs/") + control->objectName();
}

// Whether `widget` lies in a view of `root` that keeps and checks its own
// inputs (kOwnInputs), which are then none of the tab's.
bool InOwnInputs(const QWidget* widget, const QWidget* root) {
    for (const QWidget* up = widget->parentWidget(); up != nullptr && up != root;
         up = up->parentWidget()) {
        if (up->property(kOwnInputs).toBool()) {
            return true;
        }
    }
    return false;
}

// Calls `visit` with each control a user sets: the named line edits, text
// boxes, choice boxes and check or radio buttons under `root` (not Qt's own
// parts, which it names "qt_...", nor a table cell's editor, which has no name).
template <typename Visit> void ForEachInput(const QWidget* root, Visit visit) {
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        const QString name = widget->objectName();
        if (name.isEmpty() || name.startsWith(QStringLiteral("qt_")) || InOwnInputs(widget, root)) {
            continue;
        }
        auto* button = qobject_cast<QAbstractButton*>(widget);
        if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QPlainTextEdit*>(widget) ||
            qobject_cast<QComboBox*>(widget) || (button != nullptr && button->isCheckable())) {
            visit(widget);
        }
    }
}

} // namespace

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

    auto* sideBox = new QWidget;
    sideBox->setLayout(side_);
    // Fields whose error lines outgrow the window scroll, never squeezed.
    sideScroll_ = new QScrollArea(this);
    sideScroll_->setObjectName(QLatin1String(name) + QStringLiteral("Side"));
    sideScroll_->setWidget(sideBox);
    sideScroll_->setWidgetResizable(true);
    sideScroll_->setFrameShape(QFrame::NoFrame);
    sideScroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    constexpr int kSideWidth = 330;
    sideBox->setFixedWidth(kSideWidth);
    sideScroll_->setFixedWidth(kSideWidth);
    // Widened by the scroll bar while it shows: the fields keep their width.
    QScrollBar* bar = sideScroll_->verticalScrollBar();
    connect(bar, &QScrollBar::rangeChanged, sideScroll_,
            [scroll = sideScroll_, bar](int min, int max) {
                scroll->setFixedWidth(kSideWidth + (max > min ? bar->sizeHint().width() : 0));
            });
    note_->setObjectName(QLatin1String(name) + QStringLiteral("Stale"));
    note_->setWordWrap(true);
    note_->hide();
    right_->setContentsMargins(0, 0, 0, 0);
    results_->setLayout(right_);
    auto* answer = new QVBoxLayout;
    answer->addWidget(note_);
    answer->addWidget(results_, 1);
    auto* body = new QHBoxLayout(this);
    body->addWidget(sideScroll_, 0);
    body->addLayout(answer, 1);
    veil_ = new Veil(objectName() + QStringLiteral("Veil"), results_, this);
}

void Tab::run() {
    // A refusal said of the inputs before is not theirs now.
    if (std::exchange(refusalSaid_, false)) {
        emit said(QString());
    }
    bool fresh = false;
    try {
        fresh = compute();
    } catch (const std::exception& error) {
        // The engine checks what the fields cannot: a solve whose answer
        // leaves its domain.
        refuse(error);
    }
    setAnswerState(!fresh        ? AnswerState::Stale
                   : computing() ? AnswerState::Recomputing
                                 : AnswerState::Current);
    computedFor_ = inputsText();
    revealMark();
}

void Tab::revealMark() {
    for (InputField* field : findChildren<InputField*>()) {
        if (field->edit()->hasFocus() && !field->error().isEmpty()) {
            // Once the form is laid out with the error's line.
            QTimer::singleShot(0, sideScroll_,
                               [scroll = sideScroll_, line = QPointer(field->errorLine())] {
                                   if (line != nullptr) {
                                       scroll->ensureWidgetVisible(line, 0, 0);
                                   }
                               });
        }
    }
}

void Tab::refuse(const std::exception& error) {
    const auto* domain = dynamic_cast<const teletraffic::DomainError*>(&error);
    InputField* field = domain != nullptr ? fieldFor(domain->argument()) : nullptr;
    if (field != nullptr) {
        field->mark(refusalText(error));
    } else {
        emit said(refusalText(error));
        refusalSaid_ = true;
    }
}

QString Tab::refusalText(const std::exception& error) const {
    return EngineErrorText(error);
}

InputField* Tab::fieldFor(teletraffic::Argument argument) const {
    for (const auto& [name, field] : arguments_) {
        if (name == argument) {
            return field;
        }
    }
    return nullptr;
}

void Tab::keepClear(QWidget* input) {
    veil_->keepClear(input);
}

void Tab::setAnswerState(AnswerState state) {
    state_ = state;
    switch (state) {
    case AnswerState::Current:
        break;
    case AnswerState::Stale:
        note_->setText(QStringLiteral("入力に誤りがあるため、下の結果は今の入力のものではありません"
                                      "（保存できません）。"));
        break;
    case AnswerState::Recomputing:
        note_->setText(QStringLiteral("計算し直しています。下の結果は前の入力のものです。"));
        break;
    case AnswerState::Stopped:
        note_->setText(QStringLiteral("計算を中止しました。下の結果は前の入力のものです"
                                      "（「計算」で計算し直せます）。"));
        break;
    }
    note_->setVisible(state != AnswerState::Current);
    veil_->cover(state != AnswerState::Current);
}

QString Tab::ExportRefusal(AnswerState state, Export kind) {
    const bool save = kind == Export::Save;
    switch (state) {
    case AnswerState::Current:
        return {};
    case AnswerState::Stale:
        return save ? QStringLiteral("入力に誤りがあるため、表示中の結果は今の入力と合いません。"
                                     "誤りを直して計算してから保存してください。")
                    : QStringLiteral("入力に誤りがあるため、表示中の結果はコピーしません。");
    case AnswerState::Recomputing:
        return save ? QStringLiteral(
                          "計算の途中です。計算が終わってから、もう一度保存してください。")
                    : QStringLiteral("計算の途中のため、コピーしません。");
    case AnswerState::Stopped:
        return save ? QStringLiteral("計算を中止したため、表示中の結果は今の入力と合いません。"
                                     "計算し直してから保存してください。")
                    : QStringLiteral("計算を中止したため、表示中の結果はコピーしません。");
    }
    return {};
}

void Tab::markChoice(QComboBox* box, const QString& error) {
    const QString name = box->objectName() + QStringLiteral("Error");
    auto* mark = findChild<QLabel*>(name);
    if (mark == nullptr) {
        int row = -1;
        form_->getWidgetPosition(box, &row, nullptr);
        if (row < 0) {
            emit said(error);
            return;
        }
        mark = new QLabel(this);
        mark->setObjectName(name);
        mark->setWordWrap(true);
        QPalette red = mark->palette();
        red.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x20));
        mark->setPalette(red);
        form_->insertRow(row + 1, mark);
        // Chosen again, the choice is the user's.
        connect(box, &QComboBox::activated, mark, [box, mark] {
            mark->hide();
            box->setToolTip({});
        });
    }
    mark->setText(error);
    mark->show();
}

void Tab::restore(const QSettings& settings) {
    ForEachInput(this, [&](QWidget* widget) {
        const QVariant value = settings.value(Key(widget));
        if (!value.isValid()) {
            return;
        }
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            edit->setText(value.toString());
            edit->setCursorPosition(0); // a long list shows its start
        } else if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) {
            text->setPlainText(value.toString());
        } else if (auto* box = qobject_cast<QComboBox*>(widget)) {
            // An index out of range (an edited file) keeps what the tab had,
            // and says so where the choice is.
            bool number = false;
            const int index = value.toInt(&number);
            if (number && index >= 0 && index < box->count()) {
                box->setCurrentIndex(index);
            } else {
                markChoice(box, QStringLiteral("設定の値「%1」は選択肢にないため、「%2」にしました")
                                    .arg(value.toString(), box->currentText()));
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            button->setChecked(value.toBool());
        }
    });
    restoreMore(settings);
    ForEachInput(this, [this](QWidget* widget) {
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            connect(edit, &QLineEdit::textEdited, this, &Tab::edited);
        } else if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) {
            connect(text, &QPlainTextEdit::textChanged, this, &Tab::edited);
        } else if (auto* box = qobject_cast<QComboBox*>(widget)) {
            connect(box, &QComboBox::currentIndexChanged, this, &Tab::edited);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            connect(button, &QAbstractButton::toggled, this, &Tab::edited);
        }
    });
}

void Tab::remember(QSettings& settings) const {
    ForEachInput(this, [&](QWidget* widget) {
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            settings.setValue(Key(widget), edit->text());
        } else if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) {
            settings.setValue(Key(widget), text->toPlainText());
        } else if (auto* box = qobject_cast<QComboBox*>(widget)) {
            settings.setValue(Key(widget), box->currentIndex());
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            settings.setValue(Key(widget), button->isChecked());
        }
    });
    rememberMore(settings);
}

QString Tab::inputsText() const {
    QString text;
    ForEachInput(this, [&](QWidget* widget) {
        text += widget->objectName() + u'=';
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            text += edit->text();
        } else if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) {
            text += box->toPlainText();
        } else if (auto* choice = qobject_cast<QComboBox*>(widget)) {
            text += QString::number(choice->currentIndex());
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            text += button->isChecked() ? u'1' : u'0';
        }
        text += u'\n';
    });
    return text + moreInputs().join(u'\n');
}

void Tab::commitEditor() {
    for (QAbstractItemView* view : findChildren<QAbstractItemView*>()) {
        const QModelIndex index = view->currentIndex();
        // The editor of the cell being typed into (these views hold no
        // other widgets in cells).
        if (QWidget* editor = view->indexWidget(index); editor != nullptr) {
            // As Enter in the cell does.
            QAbstractItemDelegate* delegate = view->itemDelegateForIndex(index);
            emit delegate->commitData(editor);
            emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
}

bool Tab::readyToExport(Export kind) {
    recomputed_ = false;
    commitEditor();
    if (inputsText() != computedFor_) {
        run();
        recomputed_ = true;
        if (kind == Export::Copy && state_ == AnswerState::Current && !computing()) {
            emit said(QStringLiteral("入力が変わっていたので計算し直しました。表示された結果を"
                                     "確かめてから、もう一度コピーしてください。"));
            return false;
        }
    }
    const bool save = kind == Export::Save;
    const QString why = ExportRefusal(
        state_ == AnswerState::Current && computing() ? AnswerState::Recomputing : state_, kind);
    if (why.isEmpty()) {
        return true;
    }
    if (save) {
        dialogs_.warn(this, why);
    } else {
        emit said(why);
    }
    return false;
}

QList<QStringList> Tab::statedInputs() const {
    QList<QStringList> lines;
    for (int row = 0; row < form_->rowCount(); ++row) {
        if (!form_->isRowVisible(row)) {
            continue;
        }
        const auto widget = [&](QFormLayout::ItemRole role) {
            QLayoutItem* item = form_->itemAt(row, role);
            return item != nullptr ? item->widget() : nullptr;
        };
        auto* label = qobject_cast<QLabel*>(widget(QFormLayout::LabelRole));
        const QString name = label != nullptr ? label->text() : QString();
        QWidget* field = widget(QFormLayout::FieldRole);
        if (auto* input = qobject_cast<InputField*>(field)) {
            // Its label whole, as it is named, where the form breaks it.
            QStringList line{input->edit()->accessibleName()};
            for (const QString& item : ListItems(input->edit()->text())) {
                const number_text::Reading reading = number_text::Read(item.toStdString());
                const Reading percent = Read(item, input->range()); // "30%" as 30
                line << (reading.ok()                              ? Exact(reading.value)
                         : percent.value && input->range().percent ? Exact(*percent.value)
                                                                   : item);
            }
            if (line.size() == 1) {
                line << input->edit()->placeholderText(); // what a blank means
            }
            lines << line;
        } else if (auto* box = qobject_cast<QComboBox*>(field)) {
            lines << QStringList{name, box->currentText()};
        } else if (auto* check = qobject_cast<QCheckBox*>(widget(QFormLayout::SpanningRole))) {
            lines << QStringList{check->text(), check->isChecked() ? QStringLiteral("はい")
                                                                   : QStringLiteral("いいえ")};
        } else if (QLayoutItem* item = form_->itemAt(row, QFormLayout::FieldRole);
                   item != nullptr && item->layout() != nullptr) {
            // A choice among buttons: the one chosen.
            for (int i = 0; i < item->layout()->count(); ++i) {
                auto* button = qobject_cast<QAbstractButton*>(item->layout()->itemAt(i)->widget());
                if (button != nullptr && button->isChecked()) {
                    lines << QStringList{name, button->text()};
                }
            }
        }
    }
    return lines;
}

QByteArray Tab::csvHead() const {
    QList<QStringList> lines{
        {QStringLiteral("Corvane Tables %1").arg(QCoreApplication::applicationVersion()).trimmed(),
         windowTitle()}};
    const QList<QStringList> answer = statedAnswer();
    return CsvHead(
        lines + statedInputs() +
        (answer.isEmpty() ? answer : QList<QStringList>{{QStringLiteral("計算結果")}} + answer));
}

void Tab::saveTable(const QAbstractItemModel& table, const QString& name) {
    if (!readyToExport(Export::Save)) {
        return;
    }
    const QString path =
        askPath(name, QStringLiteral("CSV ファイル (*.csv)"), QStringLiteral("csv"));
    if (path.isEmpty()) {
        return;
    }
    if (const QString error = SaveFile(path, TableCsv(table, csvHead())); !error.isEmpty()) {
        dialogs_.warn(this, QStringLiteral("%1 に保存できませんでした。\n%2")
                                .arg(QDir::toNativeSeparators(path), error));
        return;
    }
    reportSaved(path, QStringLiteral("%1 行を %2 に保存しました。")
                          .arg(table.rowCount())
                          .arg(QDir::toNativeSeparators(path)));
}

namespace {

// An SVG's text in the family it was drawn with, then the one asked for
// (which may be a Windows name that no renderer elsewhere knows), then a
// generic family: font-family="IPAPGothic, 'ＭＳ Ｐゴシック', sans-serif".
QByteArray KnownFamilies(const QByteArray& svg) {
    static const QRegularExpression family(QStringLiteral("font-family=\"([^\"]*)\""));
    QString text = QString::fromUtf8(svg);
    QString out;
    qsizetype from = 0;
    for (const QRegularExpressionMatch& match : family.globalMatch(text)) {
        const QString asked = match.captured(1);
        const QString drawn = QFontInfo(QFont(asked)).family();
        QStringList families;
        for (const QString& name : {drawn, asked}) {
            if (!name.isEmpty() && !families.contains(u'\'' + name + u'\'')) {
                families << u'\'' + name + u'\'';
            }
        }
        families << QStringLiteral("sans-serif");
        out += QStringView(text).mid(from, match.capturedStart() - from);
        out += QStringLiteral("font-family=\"%1\"").arg(families.join(QStringLiteral(", ")));
        from = match.capturedEnd();
    }
    out += QStringView(text).mid(from);
    return out.toUtf8();
}

// The whole of `view` into `target`: a chart by its scene, any other widget
// as it paints itself.
void Draw(QWidget* view, QPainter& painter, const QRectF& target) {
    if (auto* chart = qobject_cast<QChartView*>(view)) {
        chart->render(&painter, target);
    } else {
        view->render(&painter);
    }
}

} // namespace

void Tab::saveChart(QChartView* view, const QString& name) {
    savePicture(view, name);
}

void Tab::savePicture(QWidget* view, const QString& name) {
    if (!readyToExport(Export::Save)) {
        return;
    }
    const QString path = askPath(name,
                                 QStringLiteral("PNG 画像 (*.png);;JPEG 画像 (*.jpg *.jpeg);;SVG "
                                                "画像 (*.svg)"),
                                 QStringLiteral("png"));
    if (path.isEmpty()) {
        return;
    }
    // The format is the name's: a picture is never saved under another's name.
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool svg = suffix == QStringLiteral("svg");
    const QByteArray format = suffix == QStringLiteral("png") ? "png"
                              : suffix == QStringLiteral("jpg") || suffix == QStringLiteral("jpeg")
                                  ? "jpeg"
                                  : "";
    if (!svg && (format.isEmpty() || !QImageWriter::supportedImageFormats().contains(format))) {
        dialogs_.warn(this, QStringLiteral("%1 には保存できません。名前の終わりを .png、.jpg か "
                                           ".svg にしてください。")
                                .arg(QDir::toNativeSeparators(path)));
        return;
    }
    // The whole view into the whole picture, whatever its pixel ratio.
    const QRectF whole(QPointF(0, 0), QSizeF(view->size()));
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    if (svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&bytes);
        generator.setSize(view->size());
        generator.setViewBox(view->rect());
        generator.setTitle(QStringLiteral("Corvane Tables"));
        QPainter painter(&generator);
        Draw(view, painter, whole);
    } else {
        // Twice the screen's pixels, so the picture stays sharp when printed.
        QImage image(view->size() * 2, QImage::Format_RGB32);
        image.setDevicePixelRatio(2);
        image.fill(Qt::white);
        QPainter painter(&image);
        Draw(view, painter, whole);
        painter.end();
        image.save(&bytes, format.constData());
    }
    const QByteArray data = svg ? KnownFamilies(bytes.data()) : bytes.data();
    if (const QString error = SaveFile(path, data); !error.isEmpty()) {
        dialogs_.warn(this, QStringLiteral("%1 に保存できませんでした。\n%2")
                                .arg(QDir::toNativeSeparators(path), error));
        return;
    }
    reportSaved(path,
                QStringLiteral("グラフを %1 に保存しました。").arg(QDir::toNativeSeparators(path)));
}

void Tab::reportSaved(const QString& path, const QString& text) {
    emit savedTo(path);
    emit said(text + (recomputed_ ? QStringLiteral("（入力が変わっていたので、計算し直してから"
                                                   "保存しました）")
                                  : QString()));
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

void AddCopy(QTableView* view, Tab* tab, std::function<bool()> ready) {
    auto* copy = new QAction(view);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(copy, &QAction::triggered, tab, [view, tab, ready] {
        if (ready ? !ready() : !tab->readyToExport(Export::Copy)) {
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
