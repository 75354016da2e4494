#include "artgen/Artwork.h"

#include <QPainter>
#include <QPainterPath>

namespace {

// The hand, pixel by pixel: '#' outline, 'o' fill, '.' transparent.
// The fingertip's top-left outline pixel is the hotspot.
const char *const kHand[] = {
    ".....##.........................", "....#oo#........................",
    "....#oo#........................", "....#oo#........................",
    "....#oo#........................", "....#oo###......................",
    "....#oo#oo##....................", "....#oo#oo#o##..................",
    "....#oo#oo#oo#o#................", ".##.#oo#oo#oo#oo#...............",
    "#oo##oooooooooooo#..............", "#ooo#oooooooooooo#..............",
    ".#oo#oooooooooooo#..............", "..#oooooooooooooo#..............",
    "..#oooooooooooooo#..............", "...#ooooooooooooo#..............",
    "...#oooooooooooo#...............", "....#ooooooooooo#...............",
    "....#ooooooooooo#...............", ".....#oooooooooo#...............",
    ".....#oooooooooo#...............", ".....############...............",
};

} // namespace

namespace Artwork {

QImage icon(int size)
{
    // The smallest size carries no alpha channel, as icons of that size do.
    const bool opaque = size <= 32;
    QImage image(size, size, opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    image.fill(opaque ? QColor(0x12, 0x16, 0x1C) : QColor(Qt::transparent));

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    if (!opaque) {
        QPainterPath page;
        page.addRoundedRect(QRectF(0.04 * s, 0.04 * s, 0.92 * s, 0.92 * s), 0.18 * s, 0.18 * s);
        p.fillPath(page, QColor(0x12, 0x16, 0x1C));
    }
    const QColor green(0x00, 0xFF, 0x00);
    const qreal line = qMax(2.0, 0.075 * s);
    const qreal left = 0.2 * s;
    const qreal widths[] = {0.6, 0.48, 0.56};
    for (int i = 0; i < 3; ++i) {
        const qreal y = (0.27 + 0.17 * i) * s;
        p.fillRect(QRectF(left, y, widths[i] * s, line), green);
    }
    // The caret at the end of the last, shorter line.
    const qreal caretTop = (0.27 + 0.17 * 3) * s - 0.06 * s;
    p.fillRect(QRectF(left, caretTop + 0.06 * s, 0.26 * s, line), green);
    p.fillRect(QRectF(left + 0.32 * s, caretTop, line * 0.8, 0.16 * s), QColor(0xE8, 0xFF, 0xE8));
    p.end();
    return opaque ? image.convertToFormat(QImage::Format_RGB888) : image;
}

QImage hand()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    int y = 0;
    for (const char *row : kHand) {
        for (int x = 0; row[x] != '\0' && x < 32; ++x) {
            if (row[x] == '#')
                image.setPixel(x, y, qRgba(0, 0, 0, 255));
            else if (row[x] == 'o')
                image.setPixel(x, y, qRgba(255, 255, 255, 255));
        }
        ++y;
    }
    return image;
}

QPoint handHotspot()
{
    return QPoint(5, 0);
}

} // namespace Artwork
