// Pointer files: every image kind decodes and keeps its hotspot; damaged
// files are refused with a reason.
#include "app/CursorFile.h"
#include "artgen/CursorWriter.h"
#include "controls/AppError.h"

#include <QtTest>

namespace {

// A two-colour arrow-ish image with transparent corners.
QImage sample(int size, int colours)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    const QRgb palette[] = {qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(255, 0, 0), qRgb(0, 0, 255)};
    for (int y = 2; y < size - 2; ++y)
        for (int x = 2; x < size - 2; ++x)
            image.setPixel(x, y, palette[(x + y) % colours]);
    return image;
}

} // namespace

class TestCursorFile : public QObject
{
    Q_OBJECT

private slots:
    void decodes_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("colours");
        QTest::newRow("1-bit") << 1 << 2;
        QTest::newRow("4-bit") << 4 << 4;
        QTest::newRow("8-bit") << 8 << 4;
        QTest::newRow("24-bit") << 24 << 4;
        QTest::newRow("32-bit") << 32 << 4;
        QTest::newRow("PNG payload") << 0 << 4;
    }

    void decodes()
    {
        QFETCH(int, bits);
        QFETCH(int, colours);
        const QImage source = sample(32, colours);
        const QByteArray file = CursorWriter::write({{source, QPoint(7, 3), bits}});
        QVERIFY(!file.isEmpty());
        const CursorFile::Parsed parsed = CursorFile::parse(file);
        QCOMPARE(parsed.error, QString());
        QCOMPARE(parsed.entry.hotspot, QPoint(7, 3));
        const QImage image =
            CursorFile::decodeImage(parsed.entry).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), QSize(32, 32));
        // The mask keeps the corner clear and the inside opaque, in colour.
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(image.pixel(5, 4), source.pixel(5, 4));
        QCOMPARE(image.pixel(12, 20), source.pixel(12, 20));
    }

    void picksTheBestSize_data()
    {
        QTest::addColumn<int>("preferred");
        QTest::addColumn<int>("picked");
        QTest::newRow("exact") << 32 << 32;
        QTest::newRow("smallest larger") << 40 << 48;
        QTest::newRow("largest smaller when none is larger") << 64 << 48;
        QTest::newRow("smallest larger for tiny") << 8 << 16;
    }

    void picksTheBestSize()
    {
        QFETCH(int, preferred);
        QFETCH(int, picked);
        const QByteArray file = CursorWriter::write({{sample(16, 2), QPoint(1, 1), 32},
                                                     {sample(48, 2), QPoint(9, 9), 32},
                                                     {sample(32, 2), QPoint(5, 5), 32}});
        const CursorFile::Parsed parsed = CursorFile::parse(file, preferred);
        QCOMPARE(parsed.error, QString());
        QCOMPARE(parsed.entry.width, picked);
        QCOMPARE(CursorFile::decodeImage(parsed.entry).width(), picked);
    }

    void refuses_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const QByteArray good = CursorWriter::write({{sample(32, 2), QPoint(3, 3), 32}});
        QByteArray icon = good;
        icon[2] = 1;
        QByteArray noImages = good.left(6);
        noImages[4] = 0;
        QByteArray hotspotOutside = good;
        hotspotOutside[10] = char(40);
        QByteArray badDepth = good;
        badDepth[22 + 14] = 7;
        QByteArray offsetPastEnd = good;
        offsetPastEnd[18] = char(0xFF);
        offsetPastEnd[19] = char(0xFF);
        QByteArray hugeImage = good;
        hugeImage[22 + 5] = char(0x40); // width 16384
        QTest::newRow("zero bytes") << QByteArray() << "too short";
        QTest::newRow("text") << QByteArray("hello, world") << "not a cursor";
        QTest::newRow("icon, not cursor") << icon << "not a cursor";
        QTest::newRow("animated cursor") << QByteArray("RIFF\x10\0\0\0ACONanih", 16) << "animated";
        QTest::newRow("no images") << noImages << "no image";
        QTest::newRow("directory cut short") << good.left(10) << "cut short";
        QTest::newRow("image cut short") << good.left(good.size() - 1) << "cut short";
        QTest::newRow("offset past the end") << offsetPastEnd << "cut short";
        QTest::newRow("hotspot outside") << hotspotOutside << "hotspot";
        QTest::newRow("unsupported depth") << badDepth << "colour depth";
        QTest::newRow("absurd size") << hugeImage << "impossible size";
    }

    void refuses()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const CursorFile::Parsed parsed = CursorFile::parse(bytes);
        QVERIFY2(parsed.error.contains(reason, Qt::CaseInsensitive), qPrintable(parsed.error));
    }

    // The pointer is as sharp as the screen: the file's image for as many
    // device pixels, else its own smoothly scaled, the hotspot on the same
    // point. Regression: at 2x it stayed 32 device pixels, half size.
    void loadFollowsTheScale_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<bool>("large"); // the file also has a 64-pixel image
        QTest::addColumn<int>("size");
        QTest::newRow("1x") << 1.0 << true << 32;
        QTest::newRow("2x, the file's 64-pixel image") << 2.0 << true << 64;
        QTest::newRow("2x, scaled") << 2.0 << false << 64;
        QTest::newRow("1.5x, scaled") << 1.5 << false << 48;
    }

    void loadFollowsTheScale()
    {
        QFETCH(qreal, ratio);
        QFETCH(bool, large);
        QFETCH(int, size);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("HAND-M.CUR"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QList<CursorWriter::Image> images{{sample(32, 2), QPoint(6, 0), 32}};
        if (large)
            images.append({sample(64, 4), QPoint(12, 0), 32});
        f.write(CursorWriter::write(images));
        f.close();
        const QCursor cursor = CursorFile::load(path, ratio);
        QCOMPARE(cursor.pixmap().size(), QSize(size, size));
        QCOMPARE(cursor.pixmap().devicePixelRatio(), ratio);
        QCOMPARE(cursor.hotSpot(), QPoint(6, 0)); // in the window's pixels offscreen
        if (large && ratio == 2.0)
            QCOMPARE(cursor.pixmap().toImage().pixel(5, 4), sample(64, 4).pixel(5, 4));
        QVERIFY_THROWS_EXCEPTION(AppError, CursorFile::load(dir.filePath(QStringLiteral("none"))));
    }
};

QTEST_MAIN(TestCursorFile)
#include "tst_cursorfile.moc"
