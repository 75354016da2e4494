// Settings texts: conversions raise only their two errors, and a size the
// program writes reads back as the whole number nearest to the text written
// (seven significant digits may already have rounded the size itself). The
// same bytes as the settings file: every key reads, and a write succeeds.
#include "app/SettingsStore.h"
#include "app/SettingsText.h"
#include "controls/AppError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
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
void storeFile(const char *data, qsizetype size)
{
    static QTemporaryDir config;
    static const bool redirected = qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    (void)redirected;
    QDir(config.path()).removeRecursively();
    QDir().mkpath(config.path());
    QFile file(SettingsStore::location());
    if (file.open(QIODevice::WriteOnly))
        file.write(data, size);
    file.close();
    for (const SettingKey key : {SettingKey::ForeColor, SettingKey::Name, SettingKey::Size}) {
        try {
            SettingsStore::readColor(key, 0);
        } catch (const AppError &) {
        }
    }
    try {
        SettingsStore::write(SettingKey::BackColor, QStringLiteral("5"));
    } catch (const AppError &) {
        std::abort(); // the file is ours to replace, whatever it held
    }
    if (SettingsStore::read(SettingKey::BackColor, QString()) != QLatin1String("5"))
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    storeFile(reinterpret_cast<const char *>(data), qsizetype(size));
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
