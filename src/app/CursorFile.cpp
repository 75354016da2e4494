#include "app/CursorFile.h"

#include "controls/AppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QtEndian>
#include <cstdlib>

namespace {

constexpr qsizetype kDirHeader = 6;
constexpr qsizetype kDirEntry = 16;
constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;
// Larger pointer images are refused: X servers cannot take them in one
// request, and no pointer needs them.
constexpr int kMaxSide = 256;

quint16 u16(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint16>(b.constData() + at);
}
quint32 u32(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}
qint32 i32(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<qint32>(b.constData() + at);
}

CursorFile::Parsed failure(const QString &why)
{
    return {CursorFile::Entry(), why};
}

// Checks a DIB's header and size and wraps it in a one-image ICO so that
// Qt's ICO reader decodes the colours and the transparency mask.
QString wrapDib(const QByteArray &dib, CursorFile::Entry &entry)
{
    if (dib.size() < 40 || u32(dib, 0) < 40)
        return QStringLiteral("an image has no valid bitmap header");
    const qint32 width = i32(dib, 4);
    const qint32 doubleHeight = i32(dib, 8);
    const quint16 bits = u16(dib, 14);
    const quint32 compression = u32(dib, 16);
    if (width <= 0 || width > 256 || doubleHeight <= 0 || doubleHeight > 512)
        return QStringLiteral("an image has an impossible size");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        return QStringLiteral("an image has an unsupported colour depth (%1 bits)").arg(bits);
    if (compression != 0)
        return QStringLiteral("an image is compressed, which cursors never are");
    const qint64 height = doubleHeight / 2;
    const qint64 colours = bits <= 8 ? (u32(dib, 32) ? u32(dib, 32) : (1u << bits)) : 0;
    if (colours > 256)
        return QStringLiteral("an image has an impossible colour table");
    const qint64 xorStride = ((width * bits + 31) / 32) * 4;
    const qint64 andStride = ((width + 31) / 32) * 4;
    const qint64 needed = u32(dib, 0) + colours * 4 + (xorStride + andStride) * height;
    if (dib.size() < needed)
        return QStringLiteral("an image is cut short");

    QByteArray &ico = entry.payload;
    ico.clear();
    ico.reserve(22 + dib.size());
    auto put16 = [&ico](quint16 v) { ico.append(char(v & 0xFF)).append(char(v >> 8)); };
    auto put32 = [&](quint32 v) {
        put16(quint16(v & 0xFFFF));
        put16(quint16(v >> 16));
    };
    put16(0);
    put16(1); // icon
    put16(1);
    ico.append(char(entry.width & 0xFF)).append(char(entry.height & 0xFF));
    ico.append(char(bits < 8 ? (1 << bits) : 0)).append('\0');
    put16(1);
    put16(bits);
    put32(quint32(dib.size()));
    put32(22);
    ico.append(dib);
    entry.bitsPerPixel = bits;
    entry.maskOffset = 22 + needed - andStride * height;
    return {};
}

} // namespace

namespace CursorFile {

Parsed parse(const QByteArray &bytes, int preferredSize)
{
    if (bytes.size() < kDirHeader)
        return failure(QStringLiteral("The pointer file is too short to be a cursor."));
    if (u16(bytes, 0) != 0 || u16(bytes, 2) != 2) {
        if (bytes.startsWith("RIFF"))
            return failure(QStringLiteral("The pointer file is an animated cursor, not a "
                                          "cursor."));
        return failure(QStringLiteral("The pointer file is not a cursor file."));
    }
    const int count = u16(bytes, 4);
    if (count == 0)
        return failure(QStringLiteral("The pointer file holds no image."));
    if (bytes.size() < kDirHeader + count * kDirEntry)
        return failure(QStringLiteral("The pointer file is cut short."));

    // The best fit: the exact size, else the smallest larger one, else the
    // largest smaller one.
    int best = -1;
    int bestSize = 0;
    for (int i = 0; i < count; ++i) {
        const qsizetype at = kDirHeader + i * kDirEntry;
        const int size = quint8(bytes.at(at)) ? quint8(bytes.at(at)) : 256;
        const bool better =
            best < 0 || (size == preferredSize && bestSize != preferredSize) ||
            (bestSize != preferredSize &&
             ((size > preferredSize && (bestSize < preferredSize || size < bestSize)) ||
              (size < preferredSize && bestSize < preferredSize && size > bestSize)));
        if (better) {
            best = i;
            bestSize = size;
        }
    }

    const qsizetype at = kDirHeader + best * kDirEntry;
    Entry entry;
    entry.width = bestSize;
    entry.height = quint8(bytes.at(at + 1)) ? quint8(bytes.at(at + 1)) : 256;
    entry.hotspot = QPoint(u16(bytes, at + 4), u16(bytes, at + 6));
    const quint32 length = u32(bytes, at + 8);
    const quint32 offset = u32(bytes, at + 12);
    if (length == 0 || offset > quint32(bytes.size()) || length > quint32(bytes.size()) - offset)
        return failure(QStringLiteral("The pointer file is cut short."));
    if (entry.hotspot.x() >= entry.width || entry.hotspot.y() >= entry.height)
        return failure(QStringLiteral("The pointer file's hotspot lies outside its image."));

    const QByteArray image = bytes.mid(offset, length);
    if (image.startsWith("\x89PNG\r\n\x1A\n")) {
        if (image.size() < 24 || image.mid(12, 4) != "IHDR")
            return failure(QStringLiteral("The pointer file is damaged: its PNG image has no "
                                          "header."));
        const quint32 width = qFromBigEndian<quint32>(image.constData() + 16);
        const quint32 height = qFromBigEndian<quint32>(image.constData() + 20);
        if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide)
            return failure(QStringLiteral("The pointer file's image is %1 x %2 pixels; a pointer "
                                          "is at most %3 x %3.")
                               .arg(width)
                               .arg(height)
                               .arg(kMaxSide));
        entry.png = true;
        entry.payload = image;
        return {entry, QString()};
    }
    const QString why = wrapDib(image, entry);
    if (!why.isEmpty())
        return failure(QStringLiteral("The pointer file is damaged: %1.").arg(why));
    return {entry, QString()};
}

QImage decodeImage(const Entry &entry)
{
    QImage image = QImage::fromData(entry.payload, entry.png ? "PNG" : "ICO");
    if (entry.png || image.isNull())
        return image;
    // Qt's reader ignores the AND mask of some depths; apply it here unless
    // a 32-bit image carries its own alpha.
    image = image.convertToFormat(QImage::Format_ARGB32);
    if (entry.bitsPerPixel == 32) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) != 0)
                    return image;
    }
    const qsizetype stride = ((image.width() + 31) / 32) * 4;
    if (entry.maskOffset + stride * image.height() > entry.payload.size())
        return image;
    for (int y = 0; y < image.height(); ++y) {
        const char *row =
            entry.payload.constData() + entry.maskOffset + stride * (image.height() - 1 - y);
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const bool clear = (quint8(row[x / 8]) >> (7 - x % 8)) & 1;
            line[x] = clear ? qRgba(0, 0, 0, 0) : (line[x] | 0xFF000000u);
        }
    }
    return image;
}

QCursor load(const QString &path, qreal devicePixelRatio)
{
    const QString shown = QDir::toNativeSeparators(path);
    // Checked before opening: a pipe would block start-up, a device never end.
    const QFileInfo info(path);
    if (!info.isFile())
        throw AppError(QStringLiteral("%1 is not an ordinary file.").arg(shown));
    if (info.size() > kMaxFileBytes)
        throw AppError(QStringLiteral("%1 is far too large to be a cursor.").arg(shown));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("%1 cannot be read: %2").arg(shown, file.errorString()));
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes)
        throw AppError(QStringLiteral("%1 is far too large to be a cursor.").arg(shown));

    // The pointer's own size is that of its image for an ordinary screen;
    // on a denser one it takes the file's image for as many device pixels,
    // else the nearest one smoothly scaled.
    const Parsed base = parse(bytes, 32);
    if (!base.error.isEmpty())
        throw AppError(base.error);
    const QSize target(qMax(1, qRound(base.entry.width * devicePixelRatio)),
                       qMax(1, qRound(base.entry.height * devicePixelRatio)));
    const Parsed parsed = devicePixelRatio == 1.0 ? base : parse(bytes, target.width());
    if (!parsed.error.isEmpty())
        throw AppError(parsed.error);
    QImage image = decodeImage(parsed.entry);
    if (image.isNull())
        throw AppError(QStringLiteral("The image in %1 cannot be decoded.").arg(shown));
    if (image.width() > kMaxSide || image.height() > kMaxSide)
        throw AppError(QStringLiteral("The image in %1 is too large for a pointer.").arg(shown));
    if (image.size() != target)
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    // The hotspot is given for the directory's size; it stays on the same
    // point of the image at the size shown.
    const QPointF hot(parsed.entry.hotspot.x() * qreal(target.width()) / parsed.entry.width,
                      parsed.entry.hotspot.y() * qreal(target.height()) / parsed.entry.height);
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    // X11 takes the hotspot in the image's own pixels, the other platforms
    // in the window's.
    const QPointF given =
        QGuiApplication::platformName() == QLatin1String("xcb") ? hot : hot / devicePixelRatio;
    return QCursor(pixmap, qRound(given.x()), qRound(given.y()));
}

QCursor load(const QString &path)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return load(path, screen ? screen->devicePixelRatio() : 1.0);
}

} // namespace CursorFile
