// The modal message box the window warns through.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace platform {

// Message box style of a warning: an exclamation icon and a single OK button.
constexpr int kWarningStyle = 48;

// How a window shows a message box. The real one is MsgBox; tests hand the
// window a recorder instead so that nothing waits on a modal loop.
using MessageBoxFn =
    std::function<void(QWidget* owner, const QString& prompt, int style, const QString& title)>;

// Shows the box modally over `owner` and returns when the user closes it. The
// prompt shows as plain text, whatever markup it quotes. Ctrl+C in the box
// copies its title, text and buttons to the clipboard between lines of
// dashes, each button caption followed by three blanks.
void MsgBox(QWidget* owner, const QString& prompt, int style, const QString& title);

} // namespace platform
