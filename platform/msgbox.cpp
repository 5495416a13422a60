#include "platform/msgbox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMessageBox>
#include <QStringList>

namespace platform {
namespace {

// As Windows lays out a copied message box.
QString ClipboardText(const QString& title, const QString& prompt, const QStringList& buttons) {
    const QString rule = QStringLiteral("---------------------------\n");
    QString row;
    for (const QString& caption : buttons) {
        row += caption + QStringLiteral("   ");
    }
    return rule + title + u'\n' + rule + prompt + u'\n' + rule + row + u'\n' + rule;
}

// Qt copies a message box only on Windows; users of such boxes expect it.
class CopyableMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Copy)) {
            QStringList captions;
            for (QAbstractButton* button : buttons()) {
                captions << button->text().remove(u'&');
            }
            QGuiApplication::clipboard()->setText(ClipboardText(windowTitle(), text(), captions));
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
};

} // namespace

void MsgBox(QWidget* owner, const QString& prompt, int style, const QString& title) {
    Q_ASSERT(style == kWarningStyle);
    Q_UNUSED(style);
    CopyableMessageBox box(QMessageBox::Warning, title, prompt, QMessageBox::Ok, owner);
    // Shown as plain text: the prompt quotes whatever the user typed.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace platform
