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

namespace {

struct Shape
{
    QRectF rect; // in units of the icon's side
    qreal radius;
    QColor colour;
};

// The icon, once, for every size and the scalable image: a dark page with
// lines of green writing and a caret, as the program looks when in use.
QList<Shape> shapes()
{
    const QColor page(0x12, 0x16, 0x1C);
    const QColor green(0x00, 0xFF, 0x00);
    const QColor caret(0xE8, 0xFF, 0xE8);
    QList<Shape> out{{QRectF(0.04, 0.04, 0.92, 0.92), 0.18, page}};
    const qreal widths[] = {0.6, 0.48, 0.56, 0.26};
    for (int i = 0; i < 4; ++i)
        out.append({QRectF(0.2, 0.27 + 0.17 * i, widths[i], 0.075), 0, green});
    out.append({QRectF(0.52, 0.72, 0.06, 0.16), 0, caret});
    return out;
}

} // namespace

QImage icon(int size, bool opaque)
{
    QImage image(size, size, opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    image.fill(opaque ? shapes().constFirst().colour : QColor(Qt::transparent));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (const Shape &shape : shapes()) {
        if (shape.radius > 0) {
            if (opaque)
                continue; // the whole square is the page
            QPainterPath path;
            path.addRoundedRect(QRectF(shape.rect.topLeft() * size, shape.rect.size() * size),
                                shape.radius * size, shape.radius * size);
            p.fillPath(path, shape.colour);
            continue;
        }
        // Whole pixels, at least one wide and two high, so small sizes stay
        // sharp.
        const QRectF r(shape.rect.topLeft() * size, shape.rect.size() * size);
        p.fillRect(QRect(qRound(r.x()), qRound(r.y()), qMax(1, qRound(r.width())),
                         qMax(2, qRound(r.height()))),
                   shape.colour);
    }
    p.end();
    return opaque ? image.convertToFormat(QImage::Format_RGB888) : image;
}

QByteArray svg()
{
    QByteArray out = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
                     "viewBox=\"0 0 256 256\">\n";
    for (const Shape &shape : shapes()) {
        const QRectF r(shape.rect.topLeft() * 256, shape.rect.size() * 256);
        out += QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" "
                              "fill=\"%6\"/>\n")
                   .arg(r.x())
                   .arg(r.y())
                   .arg(r.width())
                   .arg(r.height())
                   .arg(shape.radius * 256)
                   .arg(shape.colour.name())
                   .toUtf8();
    }
    return out + "</svg>\n";
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
