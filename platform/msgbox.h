// The modal message box the window warns through.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace platform {

// Message box styles: the icon and buttons. Only the one the window uses.
constexpr int vbExclamation = 48; // exclamation icon, a single OK button

// How a window shows a message box. The real one is MsgBox; tests hand the
// window a recorder instead so that nothing waits on a modal loop.
using MessageBoxFn =
    std::function<void(QWidget* owner, const QString& prompt, int style, const QString& title)>;

// Shows the box modally over `owner` and returns when the user closes it.
// Ctrl+C in the box copies its title, text and buttons to the clipboard, laid
// out as ClipboardText gives them.
void MsgBox(QWidget* owner, const QString& prompt, int style, const QString& title);

// What Ctrl+C copies: title, text and button captions between lines of
// dashes, each button caption followed by three blanks.
QString ClipboardText(const QString& title, const QString& prompt, const QStringList& buttons);

} // namespace platform
