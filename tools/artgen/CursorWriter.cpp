#include "artgen/CursorWriter.h"

#include <QBuffer>
#include <QList>
#include <QtEndian>

namespace {

void put16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void put32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

QByteArray png(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A bottom-up DIB with doubled height: colours, then the AND mask.
QByteArray dib(const QImage &source, int bits)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int w = image.width();
    const int h = image.height();

    QList<QRgb> palette;
    if (bits <= 8) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const QRgb c = image.pixel(x, y);
                const QRgb rgb = qAlpha(c) < 128 ? 0u : (c & 0xFFFFFFu);
                if (!palette.contains(rgb))
                    palette.append(rgb);
            }
        if (palette.size() > (1 << bits))
            return {};
        palette.resize(1 << bits);
    }

    QByteArray out;
    put32(out, 40);
    put32(out, quint32(w));
    put32(out, quint32(h * 2));
    put16(out, 1);
    put16(out, quint16(bits));
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, bits <= 8 ? quint32(palette.size()) : 0);
    put32(out, 0);
    for (const QRgb c : palette)
        put32(out, c & 0xFFFFFFu);

    const int xorStride = ((w * bits + 31) / 32) * 4;
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(xorStride, '\0');
        for (int x = 0; x < w; ++x) {
            const QRgb c = image.pixel(x, y);
            const bool clear = qAlpha(c) < 128;
            if (bits == 32) {
                qToLittleEndian<quint32>(clear ? 0u : c, row.data() + x * 4);
            } else if (bits == 24) {
                const QRgb rgb = clear ? 0u : c;
                row[x * 3] = char(qBlue(rgb));
                row[x * 3 + 1] = char(qGreen(rgb));
                row[x * 3 + 2] = char(qRed(rgb));
            } else {
                const int index = int(palette.indexOf(clear ? 0u : (c & 0xFFFFFFu)));
                const int bit = x * bits;
                const int shift = 8 - bits - (bit % 8);
                row[bit / 8] = char(row[bit / 8] | (index << shift));
            }
        }
        out.append(row);
    }
    const int andStride = ((w + 31) / 32) * 4;
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(andStride, '\0');
        for (int x = 0; x < w; ++x)
            if (qAlpha(image.pixel(x, y)) < 128)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        out.append(row);
    }
    return out;
}

} // namespace

namespace CursorWriter {

QByteArray write(const QList<Image> &images, bool icon)
{
    QList<QByteArray> payloads;
    for (const Image &img : images) {
        payloads.append(img.bitsPerPixel == 0 ? png(img.image) : dib(img.image, img.bitsPerPixel));
        if (payloads.last().isEmpty())
            return {};
    }
    QByteArray out;
    put16(out, 0);
    put16(out, icon ? 1 : 2);
    put16(out, quint16(images.size()));
    quint32 offset = quint32(6 + 16 * images.size());
    for (qsizetype i = 0; i < images.size(); ++i) {
        const Image &img = images.at(i);
        out.append(char(img.image.width() >= 256 ? 0 : img.image.width()));
        out.append(char(img.image.height() >= 256 ? 0 : img.image.height()));
        out.append(char(img.bitsPerPixel > 0 && img.bitsPerPixel < 8 ? 1 << img.bitsPerPixel : 0));
        out.append('\0');
        // A cursor's hotspot stands where an icon gives planes and depth.
        put16(out, icon ? 1 : quint16(img.hotspot.x()));
        put16(out,
              icon ? quint16(img.bitsPerPixel ? img.bitsPerPixel : 32) : quint16(img.hotspot.y()));
        put32(out, quint32(payloads.at(i).size()));
        put32(out, offset);
        offset += quint32(payloads.at(i).size());
    }
    for (const QByteArray &p : payloads)
        out.append(p);
    return out;
}

} // namespace CursorWriter
