#pragma once

#include <QString>
#include <cstdint>

enum class SettingKey { ForeColor, BackColor, Name, Size, Bold, Italic, Strikethrough, Underline };

// The per-user settings store: application "Quillwerk", section
// "Inkwellor Software", one text per key. Reads never fail (a missing or
// unreadable key gives the default); writes are on disk when they
// return, or raise an AppError that says why not.
class SettingsStore
{
public:
    static QString keyName(SettingKey key);

    static QString read(SettingKey key, const QString &defaultText);
    static void write(SettingKey key, const QString &text);

    // Typed forms; conversion failures raise "Type mismatch" or "Overflow".
    static std::int32_t readColor(SettingKey key, std::int32_t defaultColor);
    static bool readFlag(SettingKey key, bool defaultOn);
    static std::int16_t readSize(float defaultSize);
    static QString readName(const QString &defaultName);

    static void writeColor(SettingKey key, std::int32_t color);
    static void writeFlag(SettingKey key, bool on);
    static void writeSize(float size);
    static void writeName(const QString &name);

    // Where the store lives, for messages and tests.
    static QString location();
};
