#pragma once

#include <QByteArray>
#include <QCursor>
#include <QImage>
#include <QPoint>
#include <QString>

// Windows cursor (.CUR) files. Qt decodes their images but drops the
// hotspot, so the container is read here and only the image goes to Qt.
namespace CursorFile {

struct Entry
{
    int width = 0; // as the directory gives it, 0 read as 256
    int height = 0;
    QPoint hotspot;
    bool png = false;
    QByteArray payload;       // a PNG file, or a DIB wrapped as a one-image ICO
    int bitsPerPixel = 0;     // of a DIB
    qsizetype maskOffset = 0; // of a DIB's AND mask within the payload
};

struct Parsed
{
    Entry entry;
    QString error; // empty on success
};

// Picks the image that best fits a pointer of `preferredSize` pixels.
Parsed parse(const QByteArray &bytes, int preferredSize = 32);

// Decodes a parsed entry; a null image when Qt cannot.
QImage decodeImage(const Entry &entry);

// Loads the file as a pointer with its own hotspot, sharp on the primary
// screen (or at the given device pixel ratio); raises AppError with the
// reason when the file is not a usable cursor.
QCursor load(const QString &path);
QCursor load(const QString &path, qreal devicePixelRatio);

} // namespace CursorFile
