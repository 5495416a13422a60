// Starts Corvane Tables: the window, its settings where the desktop keeps
// them, and the event loop. The command line takes --help and --version.
#include "tables/tables_window.h"

#include "platform/fonts.h"
#include "platform/startup.h"

#include <QApplication>
#include <QSettings>

int main(int argc, char* argv[]) {
    if (const auto status = platform::ReadCommandLine(
            argc, argv, "corvane-tables",
            "Corvane Tables " CORVANE_VERSION ": Erlang B tables and curves, the three-way\n"
            "solve of traffic, blocking and lines (Erlang B or Engset), call-centre\n"
            "staffing by Erlang C and overflow to a final group, in one window. It\n"
            "remembers its inputs between runs.",
            CORVANE_VERSION)) {
        return *status;
    }

    const auto app = platform::OpenApplication(argc, argv, "corvane-tables");
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
