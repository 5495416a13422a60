// Starts Corvane Tables: the window, its settings where the desktop keeps
// them, and the event loop. The command line takes --help and --version, and
// Qt's own options; anything else is refused with status 2, as corvane-cli
// does.
#include "tables/tables_window.h"

#include "platform/fonts.h"
#include "platform/startup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTranslator>

#include <cstdio>

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
    // Qt took its own options out of the arguments; what is left is unknown.
    const QStringList arguments = QApplication::arguments().mid(1);
    if (!arguments.isEmpty()) {
        std::fprintf(stderr, "corvane-tables: unknown argument %s; see corvane-tables --help\n",
                     qPrintable(arguments.front()));
        return 2;
    }
    // Qt's own dialogs (files, the overwrite question) in the window's language.
    QTranslator qtJapanese;
    if (qtJapanese.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtJapanese);
    }
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    platform::InstallFontSubstitutions();

    QSettings settings;
    tables::TablesWindow window(settings);
    window.show();
    return QApplication::exec();
}
