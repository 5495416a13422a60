#include "platform/fonts.h"

#include <QFont>
#include <QStringList>

#ifdef CORVANE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace platform {

// Qt's own FcInit then finds the configuration loaded; fontconfig makes the
// two calls safe together.
FontConfigLoader::FontConfigLoader() {
#ifdef CORVANE_FONTCONFIG
    thread_ = std::thread([] { FcInit(); });
#endif
}

void InstallFontSubstitutions() {
    const QStringList gothic{QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック")};
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), gothic);
    QFont::insertSubstitutions(QStringLiteral("MS PGothic"), gothic);
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial Black"), QStringLiteral("Liberation Sans"));
}

} // namespace platform
