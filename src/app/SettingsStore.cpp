#include "app/SettingsStore.h"

#include "app/SettingsFile.h"
#include "app/SettingsText.h"
#include "controls/AppError.h"

#include <QSettings>

namespace {

const QString kSection = QStringLiteral("Inkwellor Software");

QString pathOf(SettingKey key)
{
    return kSection + QLatin1Char('/') + SettingsStore::keyName(key);
}

} // namespace

QString SettingsStore::keyName(SettingKey key)
{
    switch (key) {
    case SettingKey::ForeColor:
        return QStringLiteral("ForeColor");
    case SettingKey::BackColor:
        return QStringLiteral("BackColor");
    case SettingKey::Name:
        return QStringLiteral("Name");
    case SettingKey::Size:
        return QStringLiteral("Size");
    case SettingKey::Bold:
        return QStringLiteral("Bold");
    case SettingKey::Italic:
        return QStringLiteral("Italic");
    case SettingKey::Strikethrough:
        return QStringLiteral("Strikethrough");
    case SettingKey::Underline:
        return QStringLiteral("Underline");
    }
    return {};
}

QString SettingsStore::read(SettingKey key, const QString &defaultText)
{
    const auto store = SettingsFile::openForReading();
    if (!store)
        return defaultText;
    const QVariant value = store->value(pathOf(key));
    if (!value.isValid())
        return defaultText;
    // An unquoted hand-written value with commas reads back as a list.
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

void SettingsStore::write(SettingKey key, const QString &text)
{
    const SettingsFile::Writing writing = SettingsFile::openForWriting(keyName(key));
    writing.store->setValue(pathOf(key), text);
    if (const QString why = SettingsFile::finish(*writing.store); !why.isEmpty())
        throw SettingsFile::writeFailed(keyName(key), why);
}

std::int32_t SettingsStore::readColor(SettingKey key, std::int32_t defaultColor)
{
    return textToInt32(read(key, QString::number(defaultColor)));
}

bool SettingsStore::readFlag(SettingKey key, bool defaultOn)
{
    return textToInt16(read(key, flagToText(defaultOn))) != 0;
}

std::int16_t SettingsStore::readSize(float defaultSize)
{
    return textToInt16(read(SettingKey::Size, sizeToText(defaultSize)));
}

QString SettingsStore::readName(const QString &defaultName)
{
    return read(SettingKey::Name, defaultName);
}

void SettingsStore::writeColor(SettingKey key, std::int32_t color)
{
    write(key, QString::number(color));
}

void SettingsStore::writeFlag(SettingKey key, bool on)
{
    write(key, flagToText(on));
}

void SettingsStore::writeSize(float size)
{
    write(SettingKey::Size, sizeToText(size));
}

void SettingsStore::writeName(const QString &name)
{
    write(SettingKey::Name, name);
}

QString SettingsStore::location()
{
    return SettingsFile::location();
}
