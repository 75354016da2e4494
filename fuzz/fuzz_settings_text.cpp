// Settings texts: conversions raise only their two errors, and a size the
// program writes reads back as the whole number nearest to the text written
// (seven significant digits may already have rounded the size itself).
#include "app/SettingsText.h"
#include "controls/AppError.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
void convert(const QString &text, const QLocale &locale)
{
    try {
        textToInt16(text, locale);
    } catch (const AppError &e) {
        if (e.description() != QLatin1String("Type mismatch") &&
            e.description() != QLatin1String("Overflow"))
            std::abort();
    }
    try {
        textToInt32(text, locale);
    } catch (const AppError &) {
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QLocale point(QLocale::English, QLocale::UnitedStates);
    static const QLocale comma(QLocale::German, QLocale::Germany);
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    convert(text, point);
    convert(text, comma);
    if (size >= sizeof(float)) {
        float f;
        std::memcpy(&f, data, sizeof f);
        if (std::isfinite(f) && std::fabs(f) < 30000.0f) {
            const QString written = sizeToText(f, comma);
            bool ok = false;
            const double value = comma.toDouble(written, &ok);
            const int back = textToInt16(written, comma);
            if (!ok || std::fabs(back - value) > 0.5 || std::fabs(value - double(f)) > 0.01)
                std::abort();
        }
    }
    return 0;
}
