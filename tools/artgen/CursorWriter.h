#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPoint>

// Writes Windows cursor and icon files, for the program's own pointer and
// icon, and for tests.
namespace CursorWriter {

struct Image
{
    QImage image; // transparent pixels go to the mask
    QPoint hotspot;
    int bitsPerPixel = 32; // 1, 4, 8, 24 or 32; 0 stores the image as PNG
};

// Returns an empty array when an indexed depth cannot hold the image's
// colours. An icon file (.ico) has the same layout but no hotspots.
QByteArray write(const QList<Image> &images, bool icon = false);

} // namespace CursorWriter
