#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPoint>

// Writes Windows cursor files, for the program's own pointer and for tests.
namespace CursorWriter {

struct Image
{
    QImage image;   // transparent pixels go to the mask
    QPoint hotspot;
    int bitsPerPixel = 32; // 1, 4, 8, 24 or 32; 0 stores the image as PNG
};

// Returns an empty array when an indexed depth cannot hold the image's
// colours.
QByteArray write(const QList<Image> &images);

} // namespace CursorWriter
