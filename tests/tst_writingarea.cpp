// The writing area itself, offscreen: lines far longer than a paragraph are
// cut into small blocks yet load, copy, paste and save as the one line they
// are (how keys act on them is tst_editing's).
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

    // Short lines load joined and are split once idle: the caret, the
    // selection and the text stay as they were.
    void joinedLinesAreSplitWhenIdle()
    {
        load(QByteArray("a line of a few words\n").repeated(300));
        QVERIFY(m_box->document()->blockCount() < 100);
        m_box->setSelStart(45); // on a line end inside a joined block
        m_box->setSelLength(3000);
        const QString text = m_box->text();
        QTRY_COMPARE(m_box->document()->blockCount(), 301);
        QCOMPARE(m_box->selStart(), 45);
        QCOMPARE(m_box->selLength(), 3000);
        QCOMPARE(m_box->text(), text);
        QVERIFY(!m_box->document()->isUndoAvailable());
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
        QVERIFY(m_box->document()->documentMargin() > margin * 3);
    }
};

QTEST_MAIN(TestWritingArea)
#include "tst_writingarea.moc"
