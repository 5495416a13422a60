#include "platform/startup.h"

#include "platform/fonts.h"

#include <CLI/CLI.hpp>
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

const char* guardedProgram = "";

// A platform named for Qt (-platform, QT_QPA_PLATFORM) is Qt's to open.
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

// Qt's own warnings before the fatal one say why the display failed.
void FatalAtStart(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr,
                     "%s: cannot open the graphical display named by DISPLAY or "
                     "WAYLAND_DISPLAY\n",
                     guardedProgram);
        std::_Exit(1);
    }
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace

std::optional<int> ReadCommandLine(int argc, char* argv[], const char* program,
                                   const char* description, const char* version) {
    CLI::App cli(description, program);
    cli.set_version_flag("--version", std::string(program) + ' ' + version);
    cli.allow_extras();
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return cli.exit(e);
    }
    if (!DisplayNamed(argc, argv)) {
        std::fprintf(stderr,
                     "%s: no graphical display found: neither DISPLAY nor WAYLAND_DISPLAY is set\n",
                     program);
        return 1;
    }
    return std::nullopt;
}

std::unique_ptr<QApplication> OpenApplication(int& argc, char* argv[], const char* program) {
    FontConfigLoader fontConfig;
    guardedProgram = program;
    const QtMessageHandler previous = qInstallMessageHandler(FatalAtStart);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    return app;
}

} // namespace platform
