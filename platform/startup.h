// What each of Corvane's desktop programs does before its window: answer
// --help and --version without a display, and meet a missing display with one
// line that says so, where Qt would abort and advise reinstalling.
#pragma once

#include <QApplication>

#include <memory>
#include <optional>

namespace platform {

// Reads the command line before Qt does. Returns the exit status when the
// program is to end at once: 0 after --help or --version, 1 (with a line on
// stderr) when no display is named, 2 for a malformed option of its own.
// Anything else on the command line is Qt's (-platform, -style ...) or ignored.
std::optional<int> ReadCommandLine(int argc, char* argv[], const char* program,
                                   const char* description, const char* version);

// The application object on its display, the font configuration loading on
// a thread meanwhile (fonts.h). A display that is named but cannot be opened
// ends the program with one line and status 1 instead of Qt's abort. `argc`
// must outlive the application, as Qt requires.
std::unique_ptr<QApplication> OpenApplication(int& argc, char* argv[], const char* program);

} // namespace platform
