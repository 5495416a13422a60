// Font families the window asks for that Linux rarely has.
#pragma once

namespace platform {

// Maps the Windows families to metric-compatible free ones: the Japanese
// "ＭＳ Ｐゴシック" (MS PGothic) to IPAPGothic, Arial and Arial Black to
// Liberation Sans. A substitution only acts where the named family is missing.
// Call once, after the application object exists and before any window.
void InstallFontSubstitutions();

} // namespace platform
