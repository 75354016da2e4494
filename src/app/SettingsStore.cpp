#include "app/SettingsStore.h"

#include "app/SettingsText.h"
#include "controls/AppError.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSettings>
#include <memory>

namespace {

const QString kApplication = QStringLiteral("Quillwerk");
const QString kSection = QStringLiteral("Inkwellor Software");

std::unique_ptr<QSettings> openStore()
{
#ifdef Q_OS_WIN
    // Where earlier Windows versions of the program kept the same values.
    return std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") + kApplication,
        QSettings::NativeFormat);
#else
    // An INI file under the user's configuration folder, readable by hand.
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, kApplication);
#endif
}

QString pathOf(SettingKey key)
{
    return kSection + QLatin1Char('/') + SettingsStore::keyName(key);
}

// A file the store cannot parse (or parses to nothing though it holds
// something) is kept beside itself before a write replaces it, so nothing
// hand-written is ever lost.
// Qt parses a file once per process and reports a format error only to the
// first store object that reads it, so the verdict is remembered here.
QSet<QString> &unreadableFiles()
{
    static QSet<QString> files;
    return files;
}

bool isUnreadable(QSettings &store)
{
    const bool noKeys = store.allKeys().isEmpty(); // parses the file
    if (store.status() == QSettings::FormatError)
        unreadableFiles().insert(store.fileName());
    if (unreadableFiles().contains(store.fileName()))
        return true;
    const QFileInfo info(store.fileName());
    return noKeys && info.isFile() && info.size() > 0;
}

void keepUnreadableCopy(const QSettings &store)
{
    const QString file = store.fileName();
    const QString copy =
        file + QStringLiteral(".unreadable-") +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    if (!QFile::copy(file, copy) || !QFile::remove(file))
        throw AppError(QStringLiteral("The settings file %1 cannot be read, and no copy of it "
                                      "could be kept before replacing it.")
                           .arg(file));
    unreadableFiles().remove(file);
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
    const auto store = openStore();
    const QVariant value = store->value(pathOf(key));
    if (store->status() == QSettings::FormatError)
        unreadableFiles().insert(store->fileName());
    if (unreadableFiles().contains(store->fileName()) || !value.isValid())
        return defaultText;
    // An unquoted hand-written value with commas reads back as a list.
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

void SettingsStore::write(SettingKey key, const QString &text)
{
    auto store = openStore();
    if (isUnreadable(*store)) {
        keepUnreadableCopy(*store);
        store = openStore();
    }
    store->setValue(pathOf(key), text);
    store->sync();
    if (store->status() != QSettings::NoError)
        throw AppError(QStringLiteral("The setting \"%1\" could not be saved to %2: the file or "
                                      "its folder cannot be written, or the disk is full.")
                           .arg(keyName(key), store->fileName()));
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
    return openStore()->fileName();
}
