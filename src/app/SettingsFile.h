#pragma once

#include "controls/AppError.h"

#include <QDir>
#include <QLockFile>
#include <QSettings>
#include <QString>
#include <memory>

// Where the settings store keeps its values, and the guarding around them;
// one implementation per platform. On Unix an INI file in the user's
// configuration folder, opened only when it and its companions are
// ordinary files, never parsed when it could stall or overflow Qt's
// reader, written under a lock of our own with a damaged file kept aside
// first; on Windows a key of the user's registry.
namespace SettingsFile {

// Where the values live, for messages and tests.
QString location();

// The store to read from; none where the file is not to be parsed: every
// key then reads as its default.
std::unique_ptr<QSettings> openForReading();

// The store to write to, and the lock held until the write is done (none
// where the platform needs none). Raises AppError, for the key named, when
// the write cannot be made at all.
struct Writing
{
    std::unique_ptr<QLockFile> lock;
    std::unique_ptr<QSettings> store; // goes first, the lock after it
};
Writing openForWriting(const QString &keyName);

// Once the value is set: written to disk, a file Qt could not parse whole
// mended. Empty when saved, else why not.
QString finish(QSettings &store);

// The store's error for a write of the key named that failed for `why`.
inline AppError writeFailed(const QString &keyName, const QString &why)
{
    return AppError(QStringLiteral("The setting \"%1\" could not be saved to %2: %3.")
                        .arg(keyName, QDir::toNativeSeparators(location()), why));
}

} // namespace SettingsFile
