// The writing area itself, offscreen: long lines are cut into small blocks
// yet load, edit, copy, paste and save as the one line they are.
#include "controls/RichTextBox.h"
#include "controls/TextBlocks.h"
#include "controls/TextFile.h"

#include <QClipboard>
#include <QScrollBar>
#include <QTextBlock>
#include <QtTest>

namespace {

QByteArray contentOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// No block is longer than the limit, and none starts inside a character.
bool blocksAreSmallAndWhole(const RichTextBox &box)
{
    for (QTextBlock b = box.document()->begin(); b.isValid(); b = b.next()) {
        const QString text = b.text();
        if (text.size() > TextBlocks::MaxChars ||
            (!text.isEmpty() && (text.front().isLowSurrogate() || text.front().isMark())))
            return false;
    }
    return true;
}

// Words of 1-9 letters between single spaces, no line end.
QByteArray wordsLine(int bytes)
{
    QByteArray out;
    for (int i = 0; out.size() < bytes; ++i)
        out += QByteArray(1 + i % 9, char('a' + i % 26)) + ' ';
    return out.left(bytes);
}

} // namespace

class TestWritingArea : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    RichTextBox *m_box = nullptr;

    void load(const QByteArray &bytes)
    {
        const QString in = m_dir.filePath(QStringLiteral("in.txt"));
        QFile f(in);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        m_box->loadFile(in);
    }

    void press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(m_box, key, mods);
    }

private slots:
    void init() { m_box = new RichTextBox(nullptr); }
    void cleanup() { delete m_box; }

    void loadAndSaveGiveBackTheBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("1 MB line of words") << wordsLine(1000 * 1000);
        QTest::newRow("1 MB line without spaces") << QByteArray(1000 * 1000, 'x');
        QTest::newRow("long line of four-byte characters")
            << QString(QStringLiteral("\U0001F58B")).repeated(5000).toUtf8();
        QTest::newRow("long line of combining accents")
            << QStringLiteral("e\u0301").repeated(5000).toUtf8();
        // Regression: the file's own separators came back as line ends.
        QTest::newRow("the file's own line and paragraph separators")
            << QStringLiteral("one\u2028two\u2029three\n\u2028\u2029").toUtf8();
        QTest::newRow("characters Qt takes for frames")
            << QStringLiteral("a\uFDD0b\uFDD1c").toUtf8();
        QTest::newRow("short lines, blank lines, long line")
            << QByteArray("short\n\nlines\n") + wordsLine(5000) + "\nend";
    }

    void loadAndSaveGiveBackTheBytes()
    {
        QFETCH(QByteArray, bytes);
        load(bytes);
        QVERIFY(blocksAreSmallAndWhole(*m_box));
        QCOMPARE(m_box->text(), QString::fromUtf8(bytes));
        const QString out = m_dir.filePath(QStringLiteral("out.txt"));
        m_box->saveFile(out);
        QCOMPARE(contentOf(out), TextFile::encode(QString::fromUtf8(bytes)));
    }

    // A long line with a space cut at it ("a..a b..b"), one without ("c..c").
    void editsAtACutActAsOnOneLine_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("keys"); // R L B D: arrows, Backspace, Delete; E Enter; U undo
        QTest::addColumn<QByteArray>("expected");
        const QByteArray a(1000, 'a');
        const QByteArray b(1000, 'b');
        const QByteArray spaced = a + ' ' + b;
        const QByteArray c(1500, 'c');
        QTest::newRow("right crosses the space in one press") << spaced << "RX" << a + " X" + b;
        QTest::newRow("left crosses the space in one press") << spaced << "RLX" << a + "X " + b;
        QTest::newRow("delete removes the space") << spaced << "D" << a + b;
        QTest::newRow("enter after the space is a line end") << spaced << "RE" << a + " \n" + b;
        QTest::newRow("enter then undo keeps the space") << spaced << "EU" << spaced;
        QTest::newRow("delete then undo keeps the space") << spaced << "DU" << spaced;
        QTest::newRow("right crosses a hidden cut in one press")
            << c << "RX" << c.left(1025) + "X" + c.mid(1025);
        QTest::newRow("left crosses a hidden cut in one press")
            << c << "RLLX" << c.left(1023) + "X" + c.mid(1023);
        QTest::newRow("backspace after a hidden cut deletes a character")
            << c << "RLB" << c.left(1499);
        QTest::newRow("delete before a hidden cut deletes a character") << c << "D" << c.left(1499);
    }

    void editsAtACutActAsOnOneLine()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, keys);
        QFETCH(QByteArray, expected);
        load(line);
        QCOMPARE(m_box->document()->blockCount(), 2);
        m_box->setSelStart(m_box->document()->firstBlock().length() - 1); // end of the first
        for (const QChar k : keys) {
            switch (k.toLatin1()) {
            case 'R':
                press(Qt::Key_Right);
                break;
            case 'L':
                press(Qt::Key_Left);
                break;
            case 'B':
                press(Qt::Key_Backspace);
                break;
            case 'D':
                press(Qt::Key_Delete);
                break;
            case 'E':
                press(Qt::Key_Return);
                break;
            case 'U':
                m_box->undo();
                break;
            default:
                QTest::keyClicks(m_box, QString(k));
            }
        }
        QCOMPARE(m_box->text(), QString::fromLatin1(expected));
    }

    // Lines joined at load become blocks of their own at the first edit, so
    // a key repaints one line; key and split are one undo step.
    void firstEditSplitsJoinedLines()
    {
        load("one\ntwo\nthree");
        QCOMPARE(m_box->document()->blockCount(), 1);
        m_box->setSelStart(4);
        QTest::keyClicks(m_box, QStringLiteral("X"));
        QCOMPARE(m_box->document()->blockCount(), 3);
        QCOMPARE(m_box->text(), QStringLiteral("one\nXtwo\nthree"));
        m_box->undo();
        QCOMPARE(m_box->text(), QStringLiteral("one\ntwo\nthree"));
        QVERIFY(!m_box->document()->isUndoAvailable());
    }

    void pasteAndCopyKeepTheText_data()
    {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("held"); // what the area then holds
        QTest::newRow("a 3 MB line is cut, not frozen on")
            << QString::fromLatin1(wordsLine(3 * 1000 * 1000))
            << QString::fromLatin1(wordsLine(3 * 1000 * 1000));
        // Regression: pasted NULs and half characters were saved without a
        // word and could not be loaded again.
        QTest::newRow("NUL dropped") << QString::fromUtf8("a\0b", 3) << "ab";
        QTest::newRow("lone surrogate replaced")
            << QString(QChar(0xD800)) + "x" << QStringLiteral("\uFFFDx");
        QTest::newRow("CR LF and CR become line ends") << "a\r\nb\rc"
                                                       << "a\nb\nc";
    }

    void pasteAndCopyKeepTheText()
    {
        QFETCH(QString, pasted);
        QFETCH(QString, held);
        QGuiApplication::clipboard()->setText(pasted);
        m_box->paste();
        QCOMPARE(m_box->text(), held);
        QVERIFY(blocksAreSmallAndWhole(*m_box));
        m_box->selectAll();
        m_box->copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), held);
        QCOMPARE(TextFile::unwritable(m_box->text()), QString());
    }

    // The page: text set in from the edge by a margin that grows with the
    // font, and a thin scroll bar in the page's own colours.
    void pageIsCalm()
    {
        m_box->resize(400, 300);
        m_box->setBackColor(0x000000);
        m_box->setSelColor(0x00FF00);
        m_box->setPlainText(QStringLiteral("line\n").repeated(500));
        m_box->show();
        QScrollBar *bar = m_box->verticalScrollBar();
        QTRY_VERIFY(bar->isVisible());
        QVERIFY(bar->width() <= 10);
        // At the top, the foot of the bar is bare groove: the page's colour.
        auto groove = [bar] {
            return bar->grab().toImage().pixelColor(bar->width() / 2, bar->height() - 2);
        };
        QCOMPARE(groove(), QColor(0, 0, 0));
        m_box->setBackColor(0x803010);
        QCOMPARE(groove(), QColor(0x10, 0x30, 0x80));

        const qreal margin = m_box->document()->documentMargin();
        QVERIFY(margin >= 12);
        QFont larger = m_box->font();
        larger.setPointSizeF(m_box->font().pointSizeF() * 4);
        m_box->setFont(larger);
        QVERIFY(m_box->document()->documentMargin() > margin * 3);
    }
};

QTEST_MAIN(TestWritingArea)
#include "tst_writingarea.moc"
