#include "app/SettingsFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTemporaryFile>
#include <cctype>
#include <filesystem>

namespace {

const QString kApplication = QStringLiteral("Quillwerk");

// Eight short keys; a file far above that is no file of ours, and parsing
// it would stall the start-up and every change.
constexpr qint64 kMaxFileBytes = 1024 * 1024;

// Where QSettings keeps the user's file, known before anything opens it.
QString userFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1Char('/') + kApplication + QStringLiteral(".ini");
}

// The companions Qt and we create beside the file while writing it.
QStringList storeFiles()
{
    const QString file = userFile();
    return {file, file + QStringLiteral(".guard"), file + QStringLiteral(".lock"),
            file + QStringLiteral(".new")};
}

// Opening a FIFO waits for a writer that never comes and a device may never
// end: only ordinary files, or none, are ever opened.
bool isOrdinaryOrAbsent(const QString &path)
{
    const QFileInfo info(path);
    return !info.exists() || info.isFile();
}

// The file's bytes as Qt's INI reader unescapes a value: escapes give
// their character (hex and octal ones wrapping at 16 bits), a backslash
// before a line end or an unknown character gives nothing, quotes go.
QString unescapedAsQtReads(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (c == '"')
            continue;
        if (c != '\\' || i + 1 >= bytes.size()) {
            out += QLatin1Char(c);
            continue;
        }
        const char next = bytes.at(++i);
        if (QByteArrayView("abfnrtv\"?'\\").contains(next)) {
            out += QLatin1Char(next); // its character stands for no letter we look for
        } else if (next == 'x' || (next >= '0' && next <= '7')) {
            const bool hex = next == 'x';
            char16_t value = hex ? 0 : char16_t(next - '0');
            for (; i + 1 < bytes.size(); ++i) {
                const char d = bytes.at(i + 1);
                const int digit =
                    !hex ? (d >= '0' && d <= '7' ? d - '0' : -1)
                         : QByteArrayView("0123456789abcdef")
                               .indexOf(char(std::tolower(static_cast<unsigned char>(d))));
                if (digit < 0)
                    break;
                value = char16_t(value * (hex ? 16 : 8) + digit);
            }
            out += QChar(value);
        }
    }
    return out;
}

// Qt's INI reader turns a value that reads "@Variant(...)" into a QVariant
// by deserializing it, which nests without limit: 30,000 nested lists
// overflow the stack. A file that could hold one, written as it is or
// spelled with escapes, is never handed to Qt: it reads as no stored value
// and is set aside before a write, as a damaged one is.
bool holdsSerializedValues(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    return bytes.contains("@Variant(") ||
           (bytes.contains('\\') && unescapedAsQtReads(bytes).contains(QLatin1String("@Variant(")));
}

// Not to be parsed: over the size any file of ours has, or holding values
// Qt would deserialize.
bool isUnparsable(const QFileInfo &file)
{
    return file.size() > kMaxFileBytes || holdsSerializedValues(file.filePath());
}

// A lock file that no live process holds: a dangling link (which Qt would
// wait on forever), an empty or garbled file (which it takes for fresh for
// half a minute), or the lock of a process that has ended.
void clearLeftoverLock(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink() && !info.exists()) {
        QFile::remove(path);
        return;
    }
    if (!info.isFile())
        return;
    QLockFile probe(path);
    qint64 pid = 0;
    QString host;
    QString application;
    if (!probe.getLockInfo(&pid, &host, &application) || pid <= 0) {
        QFile::remove(path);
        return;
    }
    // Ended: Qt takes the lock of a dead process on this machine at once.
    if (probe.tryLock(0))
        probe.unlock();
}

QString specialCompanion()
{
    for (const QString &path : storeFiles()) {
        if (!isOrdinaryOrAbsent(path))
            return path;
    }
    return {};
}

// The folder itself or the nearest one above it that exists.
QString nearestExisting(QString path)
{
    while (!QFileInfo::exists(path) && QFileInfo(path).path() != path)
        path = QFileInfo(path).path();
    return path;
}

// Why the store cannot be written, in the system's words where it has some;
// looked for only after a write failed.
QString whyNotWritable()
{
    const QString file = userFile();
    const QString folder = QFileInfo(file).path();
    const QString existing = nearestExisting(folder);
    if (!QFileInfo(existing).isDir())
        return QStringLiteral("%1 is not a folder").arg(QDir::toNativeSeparators(existing));
    const QString special = specialCompanion();
    if (!special.isEmpty())
        return QStringLiteral("%1 is not an ordinary file").arg(QDir::toNativeSeparators(special));
    const QStorageInfo disk(existing);
    if (disk.isValid() && disk.isReadOnly())
        return QStringLiteral("the disk that holds %1 is read-only")
            .arg(QDir::toNativeSeparators(existing));
    if (existing != folder)
        return QStringLiteral("the folder %1 cannot be made in %2")
            .arg(QDir::toNativeSeparators(folder), QDir::toNativeSeparators(existing));
    if (!QFileInfo(folder).isWritable())
        return QStringLiteral("the folder %1 is read-only").arg(QDir::toNativeSeparators(folder));
    if (QFileInfo::exists(file) && !QFileInfo(file).isWritable())
        return QStringLiteral("the file is read-only");
    // A file of the size the store writes tells a full disk.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".inkwellor-probe-XXXXXX")));
    if (!probe.open())
        return QStringLiteral("no new file can be made in %1 (%2)")
            .arg(QDir::toNativeSeparators(folder), probe.errorString());
    const QByteArray room(QFileInfo(file).size() + 4096, ' ');
    if (probe.write(room) != room.size() || !probe.flush())
        return QStringLiteral("the disk is full (%1)").arg(probe.errorString());
    return QStringLiteral("the file or its folder cannot be written, or the disk is full");
}

std::unique_ptr<QSettings> openStore()
{
    // An INI file under the user's configuration folder, readable by hand.
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, kApplication);
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

void keepUnusableCopy(const QString &file)
{
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

QString SettingsFile::location()
{
    return userFile();
}

std::unique_ptr<QSettings> SettingsFile::openForReading()
{
    const QFileInfo file(userFile());
    if (file.exists() && (!file.isFile() || isUnparsable(file)))
        return nullptr;
    return openStore();
}

SettingsFile::Writing SettingsFile::openForWriting(const QString &keyName)
{
    if (!specialCompanion().isEmpty())
        throw writeFailed(keyName, whyNotWritable());
    // A folder no file can be made in: its true cause at once, before a
    // lock is waited for that could never be taken.
    const QString folder = QFileInfo(userFile()).path();
    QDir().mkpath(folder);
    if (!QFileInfo(folder).isDir() || !QFileInfo(folder).isWritable())
        throw writeFailed(keyName, whyNotWritable());
    // Our own lock around the decision, the copy and the write, so that two
    // running copies never act on each other's half-written file. Another
    // copy holds it for milliseconds: "busy" after a second.
    Writing writing;
    clearLeftoverLock(userFile() + QStringLiteral(".guard"));
    writing.lock = std::make_unique<QLockFile>(userFile() + QStringLiteral(".guard"));
    writing.lock->setStaleLockTime(10000);
    if (!writing.lock->tryLock(1000)) {
        if (writing.lock->error() == QLockFile::LockFailedError)
            throw AppError(QStringLiteral("The setting \"%1\" could not be saved: another copy of "
                                          "the program keeps %2 busy.")
                               .arg(keyName, QDir::toNativeSeparators(userFile())));
        throw writeFailed(keyName, whyNotWritable());
    }
    if (QFileInfo(userFile()).isFile() && isUnparsable(QFileInfo(userFile())))
        keepUnusableCopy(userFile());
    // Qt's own lock for its write: with ours held no copy of ours writes,
    // so one that is there is left over, and Qt would wait for it forever.
    clearLeftoverLock(userFile() + QStringLiteral(".lock"));
    writing.store = openStore(); // as the file is now
    if (isUnusable(*writing.store)) {
        keepUnusableCopy(writing.store->fileName());
        writing.store = openStore();
    }
    return writing;
}

QString SettingsFile::finish(QSettings &store)
{
    store.sync();
    bool saved = store.status() == QSettings::NoError;
    if (store.status() == QSettings::FormatError)
        saved = rewriteReadableKeys(store);
    return saved ? QString() : whyNotWritable();
}
