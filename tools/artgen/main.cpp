// Writes the icon images and the hand pointer into the folder given.
#include "artgen/Artwork.h"
#include "artgen/CursorWriter.h"

#include <QDir>
#include <QFile>
#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: inkwellor_artgen OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("icons")))
        return 1;
    QList<CursorWriter::Image> iconImages;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        if (!Artwork::icon(size).save(
                out.filePath(QStringLiteral("icons/inkwellor-%1.png").arg(size))))
            return 1;
        // The Windows icon: 32 as a 24-bit bitmap, 48, 128 and 256 as PNG.
        if (size == 32)
            iconImages.append({Artwork::icon(size, true), QPoint(), 24});
        else if (size == 48 || size >= 128)
            iconImages.append({Artwork::icon(size), QPoint(), 0});
    }
    QFile svgFile(out.filePath(QStringLiteral("icons/inkwellor.svg")));
    const QByteArray svg = Artwork::svg();
    if (!svgFile.open(QIODevice::WriteOnly) || svgFile.write(svg) != svg.size())
        return 1;
    const QByteArray ico = CursorWriter::write(iconImages, true);
    QFile icoFile(out.filePath(QStringLiteral("icons/inkwellor.ico")));
    if (ico.isEmpty() || !icoFile.open(QIODevice::WriteOnly) || icoFile.write(ico) != ico.size())
        return 1;
    const QByteArray cursor = CursorWriter::write({{Artwork::hand(), Artwork::handHotspot(), 32}});
    QFile file(out.filePath(QStringLiteral("HAND-M.CUR")));
    if (cursor.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(cursor) != cursor.size())
        return 1;
    return 0;
}
