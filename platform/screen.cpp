#include "platform/screen.h"

#include <QScreen>
#include <QWidget>

namespace platform {

void SetMousePointer(QWidget* window, int code) {
    if (code == vbHourglass) {
        window->setCursor(Qt::WaitCursor);
    } else {
        window->unsetCursor();
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
