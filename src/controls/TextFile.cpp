#include "controls/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

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

TextFile::Decoded failure(const QString &error)
{
    return {QString(), error};
}

bool decodeStrict(QStringDecoder &decoder, QByteArrayView bytes, QString &out)
{
    out = decoder.decode(bytes);
    return !decoder.hasError();
}

} // namespace

namespace TextFile {

Decoded decode(const QByteArray &bytes)
{
    QByteArrayView view(bytes);
    QString text;
    if (view.startsWith("\xEF\xBB\xBF")) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                      QStringDecoder::Flag::ConvertInitialBom);
        if (!decodeStrict(utf8, view.sliced(3), text))
            return failure(QStringLiteral("The file starts as UTF-8 but holds bytes that are not "
                                          "valid UTF-8."));
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
        if (view.contains('\0'))
            return failure(
                QStringLiteral("The file holds NUL bytes: it is not a plain-text file."));
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                      QStringDecoder::Flag::ConvertInitialBom);
        if (!decodeStrict(utf8, view, text))
            text = fromCp1252(view);
    }
    // NUL bytes are normal in UTF-16, NUL characters are not text: they
    // would save as NUL bytes that no load accepts.
    if (text.contains(QChar(0)))
        return failure(
            QStringLiteral("The file holds NUL characters: it is not a plain-text file."));
    unifyLineEnds(text);
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
        return failure(QStringLiteral("%1 is too large to load: %2 MB, the limit is %3 MB.")
                           .arg(shown)
                           .arg(info.size() / (1024 * 1024))
                           .arg(MaxLoadBytes / (1024 * 1024)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(QStringLiteral("%1 cannot be read: %2").arg(shown, file.errorString()));
    // One byte more than the limit tells a file that grew since the check.
    const QByteArray bytes = file.read(MaxLoadBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return failure(QStringLiteral("%1 cannot be read: %2").arg(shown, file.errorString()));
    if (bytes.size() > MaxLoadBytes)
        return failure(QStringLiteral("%1 is too large to load.").arg(shown));
    return decode(bytes);
}

QString write(const QString &path, const QByteArray &bytes)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("%1 is a folder; a file cannot be saved there.").arg(shown);
    if (info.exists() && !info.isFile()) {
        // A device or pipe is written to directly: renaming a file over it
        // would replace the device itself.
        QFile device(path);
        if (!device.open(QIODevice::WriteOnly) || device.write(bytes) != bytes.size() ||
            !device.flush())
            return QStringLiteral("%1 cannot be written: %2").arg(shown, device.errorString());
        return {};
    }
    QSaveFile file(path);
    // Folders that allow no new file still let a writable file be replaced.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("%1 cannot be written: %2").arg(shown, file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return QStringLiteral("%1 cannot be written: %2").arg(shown, why);
    }
    if (!file.commit())
        return QStringLiteral("%1 cannot be written: %2").arg(shown, file.errorString());
    return {};
}

} // namespace TextFile
