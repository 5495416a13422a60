// Starts Corvane Tables: the window, its settings where the desktop keeps
// them, and the event loop.
#include "tables/tables_window.h"

#include "platform/fonts.h"

#include <QApplication>
#include <QSettings>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Corvane"));
    QApplication::setApplicationName(QStringLiteral("corvane-tables"));
    QApplication::setApplicationDisplayName(QStringLiteral("Corvane Tables"));
    QApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(CORVANE_TABLES_APP_ID));
    platform::InstallFontSubstitutions();

    QSettings settings;
    tables::TablesWindow window(settings);
    window.show();
    return QApplication::exec();
}
