// Starts Corvane: one window, the event loop, and the end of the program when
// the window closes.
#include "platform/fonts.h"
#include "window/frm_main.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(CORVANE_APP_ID));
    platform::InstallFontSubstitutions();

    frm_main form;
    form.show();
    return QApplication::exec();
}
