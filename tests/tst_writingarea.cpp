// The writing area itself, offscreen: lines far longer than a paragraph are
// cut into small blocks yet load, copy, paste and save as the one line they
// are (how keys act on them is tst_editing's).
#include "controls/RichTextBox.h"
#include "controls/text/TextBlocks.h"
#include "controls/text/TextFile.h"
#include "support/Files.h"
#include "support/TestEnvironment.h"

#include <QClipboard>
#include <QScrollBar>
#include <QTextBlock>
#include <QtTest>

namespace {

// No block is longer than the limit, and none starts inside a character.
bool blocksAreSmallAndWhole(const RichTextBox &box)
{
    for (QTextBlock b = box.document()->begin(); b.isValid(); b = b.next()) {
        const QString text = b.text();
        if (text.size() > TextBlocks::WholeLineChars ||
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

// Prose not used to size the column.
const char kTwoCities[] =
    "It was the best of times, it was the worst of times, it was the age of wisdom, it was "
    "the age of foolishness, it was the epoch of belief, it was the epoch of incredulity, it "
    "was the season of Light, it was the season of Darkness, it was the spring of hope, it was "
    "the winter of despair, we had everything before us, we had nothing before us, we were all "
    "going direct to Heaven, we were all going direct the other way. ";

} // namespace

class TestWritingArea : public QObject
{
    Q_OBJECT

    TestEnvironment m_env; // every file Qt or a save writes in its folders

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
            << QByteArray("short\n\nlines\n") + wordsLine(300000) + "\nend";
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

    // Regression: the line being typed at the end sat on the bottom edge.
    void typingStaysAboveTheBottomThird()
    {
        m_box->resize(500, 300);
        m_box->show();
        load(QByteArray("line\n").repeated(100));
        m_box->moveCursor(QTextCursor::End);
        for (int i = 0; i < 30; ++i) {
            QTest::keyClicks(m_box, QStringLiteral("more"));
            QTest::keyClick(m_box, Qt::Key_Return);
            QVERIFY(m_box->cursorRect().bottom() <= m_box->viewport()->height() * 2 / 3);
        }
    }

    // Regression: positions and the length were the document's, which a cut
    // that stands for nothing shifts, not the saved text's.
    void positionsAreTheSavedTextsAcrossHiddenCuts()
    {
        load(QByteArray(300000, 'x'));
        QCOMPARE(m_box->textLength(), 300000);
        m_box->setSelStart(200000);
        QCOMPARE(m_box->selStart(), 200000);
        m_box->setSelLength(5000);
        QCOMPARE(m_box->selLength(), 5000);
        m_box->setSelLength(0);
        QTest::keyClicks(m_box, QStringLiteral("Y"));
        QCOMPARE(m_box->text().indexOf(QLatin1Char('Y')), 200000);
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
        QTRY_VERIFY(m_box->document()->documentMargin() > margin * 3);
    }

    // The text stands in a centred column of 66 to 80 characters of prose,
    // whatever the font; a narrower window gives the text all its width.
    void textStandsInACentredColumn_data()
    {
        QTest::addColumn<QFont>("font");
        QTest::addColumn<int>("width");
        QFont first(QStringLiteral("Arial"), 9);
        first.setBold(true);
        QTest::newRow("9 pt bold Arial, the first start's, 1920 wide") << first << 1920;
        QTest::newRow("12 pt serif, 1366 wide")
            << QFont(QStringLiteral("Liberation Serif"), 12) << 1366;
        QTest::newRow("11 pt monospace, 1920 wide")
            << QFont(QStringLiteral("DejaVu Sans Mono"), 11) << 1920;
        QTest::newRow("26 pt sans, 3840 wide") << QFont(QStringLiteral("DejaVu Sans"), 26) << 3840;
        QTest::newRow("20 pt sans, 800 wide: all of it")
            << QFont(QStringLiteral("DejaVu Sans"), 20) << 800;
    }

    void textStandsInACentredColumn()
    {
        QFETCH(QFont, font);
        QFETCH(int, width);
        m_box->resize(width, 900);
        m_box->setFont(font);
        QCoreApplication::sendPostedEvents(m_box, QEvent::MetaCall); // its margins
        m_box->setPlainText(QString::fromLatin1(kTwoCities).repeated(3));
        m_box->show();
        const QTextBlock block = m_box->document()->firstBlock();
        m_box->document()->documentLayout()->blockBoundingRect(block);
        const QTextLayout *layout = block.layout();
        QVERIFY(layout->lineCount() > 3);
        const QTextLine last = layout->lineAt(layout->lineCount() - 2);
        const double perLine =
            double(last.textStart() + last.textLength()) / (layout->lineCount() - 1);
        const QRect page = m_box->viewport()->geometry();
        const int margin = int(m_box->document()->documentMargin());
        const int bar = m_box->verticalScrollBar()->sizeHint().width();
        if (perLine < 66) {
            QVERIFY2(width < 1000, qPrintable(QString::number(perLine)));
            QCOMPARE(m_box->columnMargins(), QMargins());
        } else {
            QVERIFY2(perLine <= 80, qPrintable(QString::number(perLine)));
            const int left = page.left() + margin;
            const int right = width - (page.right() + 1 - margin);
            QVERIFY2(qAbs(left - right) <= bar + 1,
                     qPrintable(QStringLiteral("%1 %2").arg(left).arg(right)));
        }
    }

    // Every line at one pitch of 1.5 times its height, and each paragraph
    // against the edge its own direction starts from.
    void linesBreatheAndStandByTheirDirection_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("block");
        QTest::addColumn<bool>("right");
        const QString latin = QString::fromLatin1(kTwoCities);
        const QString arabic = QStringLiteral("مرحبا بالعالم، هذه فقرة عربية. ").repeated(12);
        QTest::newRow("Latin, wrapped") << latin << 0 << false;
        QTest::newRow("Arabic, wrapped") << arabic << 0 << true;
        QTest::newRow("Hebrew") << QStringLiteral("שלום עולם.") << 0 << true;
        QTest::newRow("Chinese") << QStringLiteral("你好，世界。") << 0 << false;
        QTest::newRow("Latin first, then Arabic") << QStringLiteral("Word مرحبا") << 0 << false;
        QTest::newRow("Arabic first, then Latin") << QStringLiteral("مرحبا word") << 0 << true;
        QTest::newRow("empty line after Arabic") << arabic + QStringLiteral("\n\nend") << 1 << true;
        QTest::newRow("empty line after Latin") << latin + QStringLiteral("\n\nend") << 1 << false;
    }

    void linesBreatheAndStandByTheirDirection()
    {
        QFETCH(QString, text);
        QFETCH(int, block);
        QFETCH(bool, right);
        m_box->resize(700, 600);
        m_box->setPlainText(text);
        m_box->show();
        const QTextBlock b = m_box->document()->findBlockByNumber(block);
        const QRectF rect = m_box->document()->documentLayout()->blockBoundingRect(b);
        const QTextLayout *layout = b.layout();
        const qreal pitch = qRound(layout->lineAt(0).height() * 1.5);
        const qreal foot = b.next().isValid() ? 0 : m_box->document()->documentMargin();
        QCOMPARE(rect.height(), layout->lineCount() * pitch + foot);
        const qreal margin = m_box->document()->documentMargin();
        const qreal edge = m_box->viewport()->width() - margin;
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            QCOMPARE(line.y(), i * pitch + (pitch - line.height()) / 2);
            const qreal from = line.x();
            const qreal to = line.x() + line.naturalTextWidth();
            if (right)
                QVERIFY2(qAbs(to - edge) < 1.5,
                         qPrintable(QStringLiteral("%1 %2").arg(to).arg(edge)));
            else
                QCOMPARE(from, margin);
        }
    }

    // The caret in the text's colour, 2 pixels wide; a click between two
    // lines lands on the line above or below, where the pointer is level.
    void caretAndClicksBetweenLines()
    {
        m_box->resize(600, 300);
        m_box->setBackColor(0xEAF1F4);
        m_box->setSelColor(0x333333);
        m_box->setPlainText(QStringLiteral("first line\nsecond line"));
        m_box->show();
        m_box->setFocus();
        QVERIFY(QTest::qWaitForWindowExposed(m_box));
        const QRect first = m_box->cursorRect(QTextCursor(m_box->document()->firstBlock()));
        const QRect second = m_box->cursorRect(QTextCursor(m_box->document()->lastBlock()));
        const int gap = (first.bottom() + second.top()) / 2;
        const int x = first.x() + 30;
        QTest::mouseClick(m_box->viewport(), Qt::LeftButton, {}, QPoint(x, gap - 2));
        QCOMPARE(m_box->textCursor().position(),
                 m_box->cursorForPosition(QPoint(x, first.center().y())).position());
        QTest::mouseClick(m_box->viewport(), Qt::LeftButton, {}, QPoint(x, gap + 3));
        QCOMPARE(m_box->textCursor().position(),
                 m_box->cursorForPosition(QPoint(x, second.center().y())).position());
        QTest::keyClick(m_box, Qt::Key_End); // nothing but the page beside it
        const QRect caret = m_box->cursorRect();
        const QImage page = m_box->viewport()->grab().toImage();
        QCOMPARE(page.pixelColor(caret.left(), caret.center().y()), QColor(0x33, 0x33, 0x33));
        QCOMPARE(page.pixelColor(caret.left() + 1, caret.center().y()), QColor(0x33, 0x33, 0x33));
        QCOMPARE(page.pixelColor(caret.left() + 2, caret.center().y()), QColor(0xF4, 0xF1, 0xEA));
    }

    // Beside the column the page is the text's: its colour and pointer, and
    // clicks and the wheel act on the line they are level with.
    void marginsActOnTheText()
    {
        m_box->resize(1600, 300);
        m_box->setBackColor(0x102030);
        m_box->setPlainText(QStringLiteral("a line\n").repeated(200));
        m_box->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_box));
        QVERIFY(m_box->viewport()->x() > 100);
        const QRect third = m_box->cursorRect(QTextCursor(m_box->document()->findBlockByNumber(2)))
                                .translated(m_box->viewport()->pos());
        QCOMPARE(m_box->grab().toImage().pixelColor(20, third.center().y()),
                 QColor(0x30, 0x20, 0x10));
        QCOMPARE(m_box->cursor().shape(), Qt::IBeamCursor);
        QSignalSpy moved(m_box, &RichTextBox::mouseMoved);
        QTest::mouseMove(m_box, QPoint(1580, third.center().y()));
        QCOMPARE(moved.count(), 1);
        QTest::mouseClick(m_box, Qt::LeftButton, {}, QPoint(1580, third.center().y()));
        QCOMPARE(m_box->textCursor().blockNumber(), 2);
        QCOMPARE(m_box->textCursor().positionInBlock(), 6);
        QTest::mouseClick(m_box, Qt::LeftButton, {}, QPoint(20, third.center().y()));
        QCOMPARE(m_box->textCursor().positionInBlock(), 0);
        QWheelEvent wheel(QPointF(20, 100), m_box->mapToGlobal(QPointF(20, 100)), {}, {0, -120},
                          Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(m_box, &wheel);
        QVERIFY(m_box->verticalScrollBar()->value() > 0);
    }
};

QTEST_MAIN(TestWritingArea)
#include "tst_writingarea.moc"
