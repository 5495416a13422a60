// Input: UTF-16LE text (an odd last byte is dropped). A first U+000A splits it
// into the traffic text and the blocking text; without one, the whole text is
// both. Every check aborts with a message naming the texts.
#include "calc/mdl_Corvane.h"
#include "platform/numbers.h"
#include "window/frm_main.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>

namespace {

QString texts;                    // both fields
double A = NAN, B = NAN, N = NAN; // the calculation, where it ran

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz_input: %s\n  input: \"%s\"\n  CalcLines(%.17g, %.17g) = %.17g\n",
                     what, texts.toUtf8().replace('\n', "\\n").constData(), A, B, N);
        std::abort();
    }
}

// The value of a text that passes its field's check, or NaN.
double CheckText(const QString& text, short field) {
    const std::optional<double> value = platform::ToDouble(text);
    Check(!value || std::isfinite(*value), "ToDouble gave a value that is not finite");
    const QString padded = QStringLiteral(" \u3000") + text + QStringLiteral("\u3000 ");
    Check(platform::ToDouble(padded) == value, "blanks around the text change its value");
    // What the window admits converts, by the one conversion it calculates with.
    const bool valid = frm_main::IsValidValue(text, field);
    Check(!valid || value, "IsValidValue admits a text that ToDouble refuses");
    return valid ? *value : NAN;
}

void CheckLines() {
    const auto start = std::chrono::steady_clock::now();
    try {
        N = mdl_Corvane::CalcLines(A, B);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    Check(std::chrono::steady_clock::now() - start < std::chrono::seconds(2), "took 2 s or more");
    Check(std::isfinite(N) && N >= 0 && std::floor(N) == N, "threw or gave no whole count >= 0");
    // The smallest count that meets the target, by the formula itself; the
    // recurrence costs one pass per line, so only for moderate counts.
    Check(N > 20000 ||
              (mdl_Corvane::ErlangB(A, N) <= B && (N == 0 || mdl_Corvane::ErlangB(A, N - 1) > B)),
          "not the smallest count meeting the blocking target");
    const QString shown = platform::ToText(N);
    Check(std::all_of(shown.begin(), shown.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }) &&
              platform::ToDouble(shown) == N,
          "the line count does not show as plain digits that read back");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    texts = QString(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
    for (qsizetype i = 0; i < texts.size(); ++i) {
        texts[i] = QChar(static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8));
    }
    const qsizetype split = texts.indexOf(u'\n');
    A = B = N = NAN;
    A = CheckText(split < 0 ? texts : texts.left(split), frm_main::FLD_TRAFFIC);
    B = CheckText(split < 0 ? texts : texts.mid(split + 1), frm_main::FLD_LOSS);
    if (!std::isnan(A) && !std::isnan(B)) {
        CheckLines();
    }
    return 0;
}
