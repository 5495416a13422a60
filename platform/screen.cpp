#include "platform/screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace platform {

void SetMousePointer(Pointer shape) {
    // One override at most, so that Default always clears it.
    while (QGuiApplication::overrideCursor() != nullptr) {
        QGuiApplication::restoreOverrideCursor();
    }
    if (shape == Pointer::Busy) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
}

QSizeF ScreenSizeTwips(const QWidget* window) {
    const QSize size = window->screen()->geometry().size();
    return {ToTwips(size.width()), ToTwips(size.height())};
}

QSizeF OuterSizeTwips(const QWidget* window) {
    const QSize size = window->frameGeometry().size();
    return {ToTwips(size.width()), ToTwips(size.height())};
}

void MoveTwips(QWidget* window, float left, float top) {
    // Screens other than the first sit at an offset in the virtual desktop.
    const QPoint origin = window->screen()->geometry().topLeft();
    window->move(origin + QPoint(ToPixels(left), ToPixels(top)));
}

void Unload(QWidget* window) {
    window->close();
}

} // namespace platform
