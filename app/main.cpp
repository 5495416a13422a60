// Starts Corvane: one window, the event loop, and the end of the program when
// the window closes. The command line takes --help and --version; whatever
// else it holds is Qt's (-platform, -style ...) or ignored.
#include "platform/fonts.h"
#include "platform/startup.h"
#include "window/frm_main.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    if (const auto status = platform::ReadCommandLine(
            argc, argv, "corvane",
            "Corvane " CORVANE_VERSION ", an Erlang B calculator: the number of telephone\n"
            "lines that a traffic load needs at a given blocking probability. It opens\n"
            "one window: type the traffic in erlangs and the blocking probability, then\n"
            "press 計算 (calculate).",
            CORVANE_VERSION)) {
        return *status;
    }

    const auto app = platform::OpenApplication(argc, argv, "corvane");
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(CORVANE_APP_ID));
    platform::InstallFontSubstitutions();

    frm_main form;
    form.show();
    return QApplication::exec();
}
