#include "app/SettingsFile.h"

namespace {

std::unique_ptr<QSettings> openStore()
{
    // Where earlier Windows versions of the program kept the same values.
    return std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Quillwerk"),
        QSettings::NativeFormat);
}

} // namespace

QString SettingsFile::location()
{
    return openStore()->fileName();
}

std::unique_ptr<QSettings> SettingsFile::openForReading()
{
    return openStore();
}

SettingsFile::Writing SettingsFile::openForWriting(const QString &)
{
    return {nullptr, openStore()};
}

QString SettingsFile::finish(QSettings &store)
{
    store.sync();
    return store.status() == QSettings::NoError
               ? QString()
               : QStringLiteral("the registry key cannot be written");
}
