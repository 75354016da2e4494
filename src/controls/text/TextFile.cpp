#include "controls/text/TextFile.h"

#include "controls/text/TextBlocks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryFile>
#include <filesystem>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <fcntl.h>
#endif
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <io.h>
#endif

namespace {

// Windows-1252's 0x80-0x9F; the five unassigned bytes keep their C1 code
// points so that no byte is ever lost.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromCp1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *dst = out.data();
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        *dst++ = QChar(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b));
    }
    return out;
}

// CR LF and lone CR become LF, in place.
void unifyLineEnds(QString &text)
{
    if (!text.contains(QLatin1Char('\r')))
        return;
    QChar *begin = text.data();
    QChar *out = begin;
    const QChar *end = begin + text.size();
    for (const QChar *in = begin; in != end; ++in) {
        if (*in == QLatin1Char('\r')) {
            *out++ = QLatin1Char('\n');
            if (in + 1 != end && in[1] == QLatin1Char('\n'))
                ++in;
        } else {
            *out++ = *in;
        }
    }
    text.truncate(out - begin);
}

// QString keeps a lone surrogate, but no encoding could write it back.
bool hasLoneSurrogate(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return true;
    }
    return false;
}

bool isNullDevice(const QFileInfo &info)
{
#ifdef Q_OS_WIN
    return info.fileName().compare(QLatin1String("NUL"), Qt::CaseInsensitive) == 0;
#else
    return info.canonicalFilePath() == QLatin1String("/dev/null");
#endif
}

// Replacing a file by renaming a new one over it gives the new file our
// owner and group and splits its hard links; such a file is written in
// place instead.
bool keepsTheFileItself(const QFileInfo &info)
{
    std::error_code error;
    const auto links = std::filesystem::hard_link_count(
        std::filesystem::path(info.absoluteFilePath().toStdU16String()), error);
    if (!error && links > 1)
        return true;
    if (info.ownerId() == uint(-2))
        return false; // no owners on this platform
    QTemporaryFile probe(info.dir().filePath(QStringLiteral(".inkwellor-probe-XXXXXX")));
    if (!probe.open())
        return false; // no new file can be made there; the save says why
    const QFileInfo made(probe.fileName());
    return made.ownerId() != info.ownerId() || made.groupId() != info.groupId();
}

// Qt gives the new file the old one's permissions as seen by this process,
// so for root a read-only file would come back writable: the exact mode.
void keepMode(QFileDevice &file, const QFileInfo &info)
{
#ifdef Q_OS_UNIX
    std::error_code error;
    const auto mode =
        std::filesystem::status(info.absoluteFilePath().toStdU16String(), error).permissions();
    if (error)
        return;
    using P = std::filesystem::perms;
    QFileDevice::Permissions kept;
    const std::pair<P, QFileDevice::Permission> bits[] = {
        {P::owner_read, QFileDevice::ReadOwner},   {P::owner_write, QFileDevice::WriteOwner},
        {P::owner_exec, QFileDevice::ExeOwner},    {P::group_read, QFileDevice::ReadGroup},
        {P::group_write, QFileDevice::WriteGroup}, {P::group_exec, QFileDevice::ExeGroup},
        {P::others_read, QFileDevice::ReadOther},  {P::others_write, QFileDevice::WriteOther},
        {P::others_exec, QFileDevice::ExeOther}};
    for (const auto &[bit, permission] : bits) {
        if ((mode & bit) != P::none)
            kept |= permission;
    }
    file.setPermissions(kept);
#else
    Q_UNUSED(file);
    Q_UNUSED(info);
#endif
}

QString ioError(const QString &shown, const QFileDevice &file)
{
    return QStringLiteral("%1 cannot be written: %2").arg(shown, file.errorString());
}

// Writes until all is written or the system gives its reason: a short
// write carries no error, the next one does (a full disk, for instance).
bool writeAll(QFileDevice &file, const char *data, qint64 size)
{
    while (size > 0) {
        const qint64 n = file.write(data, size);
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

// Takes the disk room for a text of SIZE bytes without changing the file's
// length or bytes, so a full disk fails before anything is overwritten and
// a kill leaves the file as it was. Where the file system cannot do that,
// no room is taken ahead: a failure while overwriting then puts the old
// bytes back.
QString takeRoom(QFile &file, qint64 size)
{
#ifdef Q_OS_LINUX
    if (::fallocate(file.handle(), FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno != EOPNOTSUPP &&
        errno != ENOSYS)
        return qt_error_string(errno);
#else
    Q_UNUSED(file);
    Q_UNUSED(size);
#endif
    return {};
}

// Until what was written is on the disk itself, not only in its cache.
bool onDisk(QFileDevice &file)
{
    if (!file.flush())
        return false;
#if defined(Q_OS_UNIX)
    return ::fsync(file.handle()) == 0;
#elif defined(Q_OS_WIN)
    return ::_commit(file.handle()) == 0;
#else
    return true;
#endif
}

// Where the old bytes of a file written in place wait until the new ones
// are whole on the disk: beside it, or where the folder takes no new file
// (or the name would be too long), in the user's data folder.
QString keepRecoveryCopy(const QString &path, const QByteArray &old)
{
    const QString beside = path + TextFile::RecoverySuffix;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    const QString elsewhere =
        data.isEmpty()
            ? QString()
            : QDir(data).filePath(QStringLiteral("recovery/") +
                                  QFileInfo(path).fileName().left(40) + TextFile::RecoverySuffix);
    for (const QString &copy : {beside, elsewhere}) {
        if (copy.isEmpty() || QFile::encodeName(QFileInfo(copy).fileName()).size() > 250)
            continue;
        QDir().mkpath(QFileInfo(copy).path());
        QFile file(copy);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
            writeAll(file, old.constData(), old.size()) && onDisk(file))
            return copy;
        file.remove();
    }
    return {};
}

// Writes over the file's own bytes, after the room for them is taken and
// the old bytes are kept in a recovery copy; a failure while overwriting
// puts the old bytes back. A crash during the overwrite leaves the file
// mixed, and the whole old text in the recovery copy.
QString writeInPlace(const QString &path, const QByteArray &bytes)
{
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return ioError(shown, file);
    const QByteArray old = file.readAll();
    if (file.error() != QFileDevice::NoError || old.size() != file.size())
        return QStringLiteral("%1 cannot be read before it is replaced: %2")
            .arg(shown, file.errorString());
    const QString recovery = keepRecoveryCopy(path, old);
    if (recovery.isEmpty())
        return QStringLiteral("%1 cannot be written: no copy of its old text could be kept "
                              "while it is written over (the disk may be full).")
            .arg(shown);
    if (bytes.size() > old.size()) {
        const QString why = takeRoom(file, bytes.size());
        if (!why.isEmpty()) {
            QFile::remove(recovery);
            return QStringLiteral("%1 cannot be written: %2").arg(shown, why);
        }
    }
    if (!file.seek(0) || !writeAll(file, bytes.constData(), bytes.size()) ||
        !file.resize(bytes.size()) || !onDisk(file)) {
        const QString why = ioError(shown, file);
        if (file.seek(0) && writeAll(file, old.constData(), old.size()) &&
            file.resize(old.size()) && onDisk(file))
            QFile::remove(recovery);
        return why;
    }
    QFile::remove(recovery);
    return {};
}

// In bytes, so that one byte over the limit reads as over it.
QString tooLarge(const QString &shown, qint64 size)
{
    const QLocale locale;
    return QStringLiteral(
               "%1 is too large to load: it has %2 bytes, the limit is %3 bytes (%4 MB).")
        .arg(shown, locale.toString(size), locale.toString(TextFile::MaxLoadBytes))
        .arg(TextFile::MaxLoadBytes / (1024 * 1024));
}

TextFile::Decoded failure(const QString &error)
{
    return {QString(), error};
}

bool decodeStrict(QStringDecoder &decoder, QByteArrayView bytes, QString &out)
{
    out = decoder.decode(bytes);
    if (!decoder.hasError())
        return true;
    out = QString(); // before another decoding takes as much again
    return false;
}

// The length of the valid UTF-8 sequence at `at`, or 0 when there is none
// (no overlong forms, no surrogates, nothing above U+10FFFF).
int utf8Sequence(QByteArrayView bytes, qsizetype at)
{
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes.at(i)); };
    const unsigned char lead = byte(at);
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > bytes.size() || byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (int i = 2; i < length; ++i) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF)
            return 0;
    }
    return length;
}

// UTF-8 where the bytes are valid UTF-8, Windows-1252 for each byte that is
// not: a stray byte in a UTF-8 text garbles nothing around it, and a wholly
// Windows-1252 text decodes as Windows-1252.
QString fromMixed(QByteArrayView bytes)
{
    // A U+FEFF that starts a run is text: only the file's first is a mark.
    const auto fromUtf8 = [](QByteArrayView run) -> QString {
        return QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom)
            .decode(run);
    };
    QString out;
    out.reserve(bytes.size());
    qsizetype run = 0; // start of the valid UTF-8 not yet decoded
    for (qsizetype i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes.at(i));
        const int length = b < 0x80 ? 1 : utf8Sequence(bytes, i);
        if (length > 0) {
            i += length;
            continue;
        }
        out += fromUtf8(bytes.sliced(run, i - run));
        out += fromCp1252(bytes.sliced(i, 1));
        run = ++i;
    }
    out += fromUtf8(bytes.sliced(run));
    return out;
}

} // namespace

namespace TextFile {

Decoded decode(const QByteArray &bytes)
{
    QByteArrayView view(bytes);
    QString text;
    if (view.startsWith("\xEF\xBB\xBF")) {
        // The same rule as without the mark: a stray byte is Windows-1252.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                      QStringDecoder::Flag::ConvertInitialBom);
        if (!decodeStrict(utf8, view.sliced(3), text))
            text = fromMixed(view.sliced(3));
    } else if (view.startsWith("\xFF\xFE") || view.startsWith("\xFE\xFF")) {
        const bool le = view.startsWith("\xFF\xFE");
        if (view.size() % 2 != 0)
            return failure(QStringLiteral("The file is marked as UTF-16 but has an odd number of "
                                          "bytes."));
        QStringDecoder utf16(le ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                             QStringDecoder::Flag::Stateless |
                                 QStringDecoder::Flag::ConvertInitialBom);
        if (!decodeStrict(utf16, view.sliced(2), text) || hasLoneSurrogate(text))
            return failure(QStringLiteral("The file is marked as UTF-16 but is not valid UTF-16."));
    } else {
        // Qt's fastest decoding turns each malformed sequence into U+FFFD
        // and each NUL byte into U+0000: where neither shows, nor a CR (as
        // in nearly every file), one pass has proved the text done.
        text = QString::fromUtf8(view);
        static constexpr char16_t kSuspect[] = {0, u'\r', 0xFFFD};
        if (!TextBlocks::containsAny(text, kSuspect))
            return {text, QString()};
        if (text.contains(QChar(0)))
            return failure(
                QStringLiteral("The file holds NUL bytes: it is not a plain-text file."));
        if (text.contains(QChar(0xFFFD))) { // malformed, or a U+FFFD of the file's own
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                          QStringDecoder::Flag::ConvertInitialBom);
            if (!decodeStrict(utf8, view, text))
                text = fromMixed(view);
        }
    }
    // NUL bytes are normal in UTF-16, NUL characters are not text: they
    // would save as NUL bytes that no load accepts. Most texts hold neither
    // a NUL nor a CR: one pass says so.
    static constexpr char16_t kRare[] = {0, u'\r'};
    if (TextBlocks::containsAny(text, kRare)) {
        if (text.contains(QChar(0)))
            return failure(
                QStringLiteral("The file holds NUL characters: it is not a plain-text file."));
        unifyLineEnds(text);
    }
    return {text, QString()};
}

QByteArray encode(const QString &text, LineEnd lineEnd)
{
    // A text that itself starts with U+FEFF would lose it to the next load,
    // which takes it for a byte-order mark; a real mark in front keeps it.
    const QByteArray mark =
        text.startsWith(QChar(0xFEFF)) ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    if (lineEnd == LineEnd::Lf)
        return mark + text.toUtf8();
    QString crlf = text;
    crlf.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return mark + crlf.toUtf8();
}

Decoded read(const QString &path)
{
    const QFileInfo info(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (!info.exists())
        return failure(QStringLiteral("File not found: %1").arg(shown));
    if (info.isDir())
        return failure(QStringLiteral("%1 is a folder, not a file.").arg(shown));
    if (!info.isFile())
        return failure(QStringLiteral("%1 is not an ordinary file.").arg(shown));
    if (info.size() > MaxLoadBytes)
        return failure(tooLarge(shown, info.size()));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(QStringLiteral("%1 cannot be read: %2").arg(shown, file.errorString()));
    // One byte more than the limit tells a file that grew since the check.
    const QByteArray bytes = file.read(MaxLoadBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return failure(QStringLiteral("%1 cannot be read: %2").arg(shown, file.errorString()));
    if (bytes.size() > MaxLoadBytes)
        return failure(tooLarge(shown, file.size()));
    return decode(bytes);
}

QString unwritable(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isNull() || c.isSurrogate())
            return QStringLiteral("The text cannot be saved faithfully: character %1 is %2, which "
                                  "a text file cannot hold. Remove it and save again.")
                .arg(i + 1)
                .arg(c.isNull() ? QStringLiteral("a NUL character")
                                : QStringLiteral("half of a character (a lone surrogate)"));
    }
    return {};
}

QString cleanPasted(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
        } else if (c.isSurrogate()) {
            out += QChar::ReplacementCharacter;
        } else if (!c.isNull()) {
            out += c;
        }
    }
    unifyLineEnds(out);
    return out;
}

QString write(const QString &path, const QByteArray &bytes)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("%1 is a folder; a file cannot be saved there.").arg(shown);
    if (info.exists() && !info.isFile()) {
        // A pipe would block until a reader comes, a device may never end;
        // only the null device takes text and gives nothing back.
        if (isNullDevice(info))
            return {};
        return QStringLiteral("%1 is not an ordinary file (a device, pipe or socket); text is "
                              "saved to ordinary files only.")
            .arg(shown);
    }
    // The temporary file is named after the file, with 7 bytes more; a name
    // near the file system's limit (255 bytes) leaves no room for them.
    const bool nameNearTheLimit = QFile::encodeName(info.fileName()).size() > 248;
    if (info.exists() && (nameNearTheLimit || keepsTheFileItself(info)))
        return writeInPlace(path, bytes);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        // A folder that takes no new file may still hold a writable file.
        if (info.exists() && info.isWritable())
            return writeInPlace(path, bytes);
        return QStringLiteral("%1 cannot be written: %2").arg(shown, file.errorString());
    }
    if (info.exists())
        keepMode(file, info);
    if (!writeAll(file, bytes.constData(), bytes.size())) {
        const QString why = file.errorString();
        file.cancelWriting();
        return QStringLiteral("%1 cannot be written: %2").arg(shown, why);
    }
    if (!file.commit())
        return QStringLiteral("%1 cannot be written: %2").arg(shown, file.errorString());
    return {};
}

} // namespace TextFile
