// The fonts the window asks for: loading the system's font configuration
// early, and families that Linux rarely has.
#pragma once

#include <thread>

namespace platform {

// Reading the font configuration (fontconfig's XML files) is the largest
// single cost of opening the window. Begun before the application object
// exists, it runs on a thread of its own while Qt connects to the display,
// which takes as long on the main thread. Wait() (or the destructor) waits for
// it; a platform without fontconfig has nothing to wait for.
class FontConfigLoader {
public:
    FontConfigLoader();
    ~FontConfigLoader() { Wait(); }
    FontConfigLoader(const FontConfigLoader&) = delete;
    FontConfigLoader& operator=(const FontConfigLoader&) = delete;

    void Wait() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }

private:
    std::thread thread_;
};

// Maps the Windows families to metric-compatible free ones: the Japanese
// "ＭＳ Ｐゴシック" (MS PGothic) to IPAPGothic, Arial and Arial Black to
// Liberation Sans. A substitution only acts where the named family is missing.
// Call once, after the application object exists and before any window.
void InstallFontSubstitutions();

} // namespace platform
