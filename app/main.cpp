// Starts Corvane: one window, the event loop, and the end of the program when
// the window closes. The command line takes --help and --version; whatever
// else it holds is Qt's (-platform, -style ...) or ignored.
#include "platform/fonts.h"
#include "window/frm_main.h"

#include <CLI/CLI.hpp>
#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* kNoDisplay =
    "corvane: no graphical display found: neither DISPLAY nor WAYLAND_DISPLAY is set\n";

// Qt meets a missing display with an abort and advice to reinstall the
// program: say what is missing instead. A platform named for Qt is Qt's.
bool DisplayNamed(int argc, char* argv[]) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "-platform") == 0) {
            return true;
        }
    }
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    return true;
#endif
}

// A display that is named but cannot be opened ends Qt's start the same way;
// Qt's own warnings before it say why.
void FatalAtStart(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        std::fputs("corvane: cannot open the graphical display named by DISPLAY or "
                   "WAYLAND_DISPLAY\n",
                   stderr);
        std::_Exit(1);
    }
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace

int main(int argc, char* argv[]) {
    CLI::App cli("Corvane " CORVANE_VERSION ", an Erlang B calculator: the number of telephone\n"
                 "lines that a traffic load needs at a given blocking probability. It opens\n"
                 "one window: type the traffic in erlangs and the blocking probability, then\n"
                 "press 計算 (calculate).",
                 "corvane");
    cli.set_version_flag("--version", "corvane " CORVANE_VERSION);
    cli.allow_extras();
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return cli.exit(e);
    }
    if (!DisplayNamed(argc, argv)) {
        std::fputs(kNoDisplay, stderr);
        return 1;
    }

    platform::FontConfigLoader fontConfig;
    const QtMessageHandler qtHandler = qInstallMessageHandler(FatalAtStart);
    QApplication app(argc, argv);
    qInstallMessageHandler(qtHandler);
    fontConfig.Wait();
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(CORVANE_APP_ID));
    platform::InstallFontSubstitutions();

    frm_main form;
    form.show();
    return QApplication::exec();
}
