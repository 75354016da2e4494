#include "app/SettingsStore.h"

#include "app/SettingsText.h"
#include "controls/AppError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <filesystem>
#include <memory>
#include <optional>

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

// A file that holds something but from which not one key can be read is
// kept beside itself before a write replaces it, so nothing hand-written is
// ever lost. A file with a stray line is not such a file: its other keys are
// read and kept. Decided from the file as it is on disk, every time, since
// another running copy of the program may have mended it meanwhile.
bool isUnusable(QSettings &store)
{
    const QFileInfo info(store.fileName());
    if (!info.isFile() || info.size() == 0 || !store.allKeys().isEmpty())
        return false;
    QFile file(store.fileName());
    return !file.open(QIODevice::ReadOnly) || !file.readAll().trimmed().isEmpty();
}

void keepUnusableCopy(const QSettings &store)
{
    const QString file = store.fileName();
    const QString copy =
        file + QStringLiteral(".unreadable-") +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    if (!QFile::copy(file, copy) || !QFile::remove(file))
        throw AppError(QStringLiteral("The settings file %1 cannot be read, and no copy of it "
                                      "could be kept before replacing it.")
                           .arg(file));
}

// Qt writes no file it could not parse whole, so a file with a stray line
// would never take a new value: its readable keys, the new one among them,
// are written to a new file that then replaces it.
bool rewriteReadableKeys(QSettings &store)
{
    const QString file = store.fileName();
    const QString fresh = file + QStringLiteral(".new");
    QFile::remove(fresh);
    {
        QSettings copy(fresh, QSettings::IniFormat);
        for (const QString &key : store.allKeys())
            copy.setValue(key, store.value(key));
        copy.sync();
        if (copy.status() != QSettings::NoError)
            return false;
    }
    std::error_code error;
    std::filesystem::rename(fresh.toStdU16String(), file.toStdU16String(), error);
    if (error)
        QFile::remove(fresh);
    return !error;
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
    if (!value.isValid())
        return defaultText;
    // An unquoted hand-written value with commas reads back as a list.
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

void SettingsStore::write(SettingKey key, const QString &text)
{
    auto store = openStore();
    // Our own lock around the decision, the copy and the write, so that two
    // running copies never act on each other's half-written file.
    std::optional<QLockFile> lock;
    if (store->format() == QSettings::IniFormat) {
        QDir().mkpath(QFileInfo(store->fileName()).path());
        lock.emplace(store->fileName() + QStringLiteral(".guard"));
        lock->setStaleLockTime(10000);
        if (!lock->tryLock(10000))
            throw AppError(QStringLiteral("The setting \"%1\" could not be saved: another copy of "
                                          "the program keeps %2 busy.")
                               .arg(keyName(key), store->fileName()));
        store = openStore(); // as the file is now
        if (isUnusable(*store)) {
            keepUnusableCopy(*store);
            store = openStore();
        }
    }
    store->setValue(pathOf(key), text);
    store->sync();
    bool saved = store->status() == QSettings::NoError;
    if (store->status() == QSettings::FormatError && lock)
        saved = rewriteReadableKeys(*store);
    if (!saved)
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
