// The panel's commands: Load File, Save File, and the font and colours.
#include "app/SettingsStore.h"
#include "controls/CommonDialog.h"
#include "controls/OleColor.h"
#include "controls/RichTextBox.h"
#include "controls/text/TextFile.h"
#include "panel/Form1.h"
#include "support/Files.h"
#include "support/Harness.h"
#include "writer/Form2.h"

#include <QtTest>

namespace {
enum Button { Load = 1, FontColour = 2, Back = 3, Save = 4, Font = 5, BackColour = 6 };

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT

    TestEnvironment m_env;
    Harness m_run{m_env};

    // QTest types ASCII only; other text arrives as an input method would put it.
    void type(const QString &text)
    {
        bool ascii = true;
        for (const QChar c : text)
            ascii = ascii && c.unicode() < 128;
        if (ascii)
            QTest::keyClicks(&m_run.text1(), text);
        else
            m_run.text1().insertPlainText(text);
    }

    // The user's text with a selection in its middle, then the panel.
    void writeAndOpenPanel()
    {
        type(QStringLiteral("Some words"));
        m_run.text1().setSelStart(2);
        m_run.text1().setSelLength(3);
        m_run.toPanel();
    }

    void expectWriting() const
    {
        QVERIFY(!m_run.form1().isVisible());
        QVERIFY(m_run.form2().isVisible());
        QCOMPARE(m_run.text1().selStart(), 0);
        QCOMPARE(m_run.text1().selLength(), 0);
    }

private slots:
    void init()
    {
        m_env.reset();
        m_run.start();
    }
    void cleanup() { m_run.stop(); }

    void loadTakesTheEarlierColour()
    {
        const QString file = m_env.userFile(QStringLiteral("chapter.txt"));
        writeFile(file, "Line one\r\nLine two\n");
        m_run.text1().setSelColor(255);
        writeAndOpenPanel();
        m_run.modal().fileAnswers = {file};
        m_run.click(Load);
        const Modal::FileRequest &request = m_run.modal().fileRequests.first();
        QCOMPARE(request.title, "Select A File To Load");
        QCOMPARE(request.filters, QStringList{"All Files (*)"});
        QCOMPARE(request.fileName, QString());
        QCOMPARE(m_run.text1().text(), "Line one\nLine two\n");
        QCOMPARE(m_run.text1().selColor(), 255);
        expectWriting();
        QCOMPARE(m_run.modal().messages.size(), 0);
    }

    // One block a line as in a plain editor, at once; the text, its
    // positions and every line end come back exactly.
    void loadedTextComesBackExactly()
    {
        QString original;
        for (int i = 0; i < 400; ++i)
            original += QStringLiteral("line %1 with some words\n%2").arg(i).arg(i % 7 ? "" : "\n");
        original += QStringLiteral("no final line end \u00A0\u2014 done");
        const QString in = m_env.userFile(QStringLiteral("in.txt"));
        const QString out = m_env.userFile(QStringLiteral("out.txt"));
        writeFile(in, original.toUtf8());
        m_run.toPanel();
        m_run.modal().fileAnswers = {in};
        m_run.click(Load);
        QCOMPARE(m_run.text1().textLength(), original.size());
        QCOMPARE(m_run.text1().text(), original);
        QCOMPARE(m_run.text1().document()->blockCount(), original.count(QLatin1Char('\n')) + 1);
        m_run.toPanel();
        m_run.modal().fileAnswers = {out};
        m_run.click(Save);
        QCOMPARE(contentOf(out), TextFile::encode(original));
    }

    // Regression: keys typed while a long load ran were lost (and Space or
    // Enter could press the hidden panel's button): they reach the text.
    void keysTypedDuringALoadReachTheText()
    {
        const QString in = m_env.userFile(QStringLiteral("in.txt"));
        writeFile(in, "text\n");
        m_run.toPanel();
        QWidget *focus = m_run.form1().focusWidget();
        QVERIFY(focus);
        for (const auto &[key, typed] : {std::pair{Qt::Key_H, "h"}, std::pair{Qt::Key_Space, " "},
                                         std::pair{Qt::Key_Return, "\r"}})
            QCoreApplication::postEvent(focus, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier,
                                                             QString::fromLatin1(typed)));
        m_run.modal().fileAnswers = {in};
        m_run.click(Load);
        QTRY_COMPARE(m_run.text1().text(), QStringLiteral("h \ntext\n"));
        QCOMPARE(m_run.modal().fileAnswers.size(), 0); // no second Load
    }

    void loadCancelledRightAfterALoadLoadsNothing()
    {
        const QString file = m_env.userFile(QStringLiteral("a.txt"));
        writeFile(file, "from the file");
        m_run.toPanel();
        m_run.modal().fileAnswers = {file};
        m_run.click(Load);
        type(QStringLiteral("typed "));
        m_run.toPanel();
        m_run.click(Load); // no answer: cancelled
        QCOMPARE(m_run.modal().fileRequests.last().fileName, QString());
        // The dialogs start where the user's files are, then where the last one was.
        QVERIFY(QFileInfo(m_run.modal().fileRequests.first().folder).isDir());
        QCOMPARE(m_run.modal().fileRequests.last().folder, m_env.userFolder());
        QCOMPARE(m_run.text1().text(), "typed from the file");
        QVERIFY(m_run.form1().isVisible());
        QVERIFY(!m_run.form2().isVisible());
    }

    void loadOfAMissingFileReportsAndReturnsToWriting()
    {
        writeAndOpenPanel();
        m_run.modal().fileAnswers = {m_env.userFile(QStringLiteral("typed-but-missing.txt"))};
        m_run.click(Load);
        const QStringList reports = m_run.modal().reports();
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reportLocation(reports.first()),
                 "in Inkwellor2021/08/31.Form1.PushButton1_Click at line 112");
        QCOMPARE(m_run.text1().text(), "Some words");
        expectWriting();
    }

    void saveWritesTheWholeTextAndKeepsThePanel_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("existing");
        QTest::newRow("new file") << "Hello"
                                  << "out.txt" << false;
        QTest::newRow("existing file replaced without a question") << "New text"
                                                                   << "old.txt" << true;
        QTest::newRow("empty area writes an empty file") << ""
                                                         << "empty.txt" << false;
        QTest::newRow("name without extension kept exactly") << "x"
                                                             << "noext" << false;
        QTest::newRow("non-Latin text") << "Жёлтый 黄色"
                                        << "uni.txt" << false;
    }

    void saveWritesTheWholeTextAndKeepsThePanel()
    {
        QFETCH(QString, typed);
        QFETCH(QString, name);
        QFETCH(bool, existing);
        const QString file = m_env.userFile(name);
        if (existing)
            writeFile(file, "older, longer content that must go");
        type(typed);
        m_run.text1().setSelStart(1);
        m_run.toPanel();
        m_run.modal().fileAnswers = {file};
        m_run.click(Save);
        const Modal::FileRequest &request = m_run.modal().fileRequests.first();
        QCOMPARE(request.title, "Save File As");
        QCOMPARE(request.filters, (QStringList{"Text Files (*.txt)", "All Files (*)"}));
        QCOMPARE(request.selectedFilter, 0);
        QCOMPARE(contentOf(file), typed.toUtf8());
        QCOMPARE(QDir(m_env.userFolder()).entryList(QDir::Files).size(), 1); // no extra file
        QVERIFY(m_run.form1().isVisible());
        QVERIFY(!m_run.form2().isVisible());
        QCOMPARE(m_run.text1().textCursor().position(), typed.isEmpty() ? 0 : 1);
        QCOMPARE(m_run.modal().messages.size(), 0);
    }

    void saveCancelledWritesNothing()
    {
        type(QStringLiteral("text"));
        m_run.toPanel();
        m_run.click(Save);
        QCOMPARE(QDir(m_env.userFolder()).entryList(QDir::Files).size(), 0);
        QVERIFY(m_run.form1().isVisible());
    }

    void failedSaveReportsAndKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("text");
        const QString words = QStringLiteral("new text");
        QTest::newRow("missing folder") << "no/such/folder/out.txt" << words;
        QTest::newRow("through a regular file") << "old.txt/out.txt" << words;
#ifdef Q_OS_LINUX
        QTest::newRow("full device") << "/dev/full" << words;
#endif
        // Regression: such text was saved without a word, and the file then
        // could not be loaded.
        QTest::newRow("text holding a NUL") << "old.txt" << QString::fromUtf8("a\0b", 3);
        QTest::newRow("text holding a lone surrogate") << "old.txt" << QString(QChar(0xDC00));
    }

    void failedSaveReportsAndKeepsTheOldFile()
    {
        QFETCH(QString, target);
        QFETCH(QString, text);
        const QString old = m_env.userFile(QStringLiteral("old.txt"));
        writeFile(old, "keep");
        m_run.text1().insertPlainText(text); // as an input method would
        m_run.toPanel();
        m_run.modal().fileAnswers = {target.startsWith(QLatin1Char('/')) ? target
                                                                         : m_env.userFile(target)};
        m_run.click(Save);
        const QStringList reports = m_run.modal().reports();
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reportLocation(reports.first()),
                 "in Inkwellor2021/08/31.Form1.PushButton4_Click at line 110");
        QCOMPARE(contentOf(old), QByteArray("keep"));
        QVERIFY(m_run.form1().isVisible());
    }

    void colourCommands_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("text");
        QTest::newRow("font colour chosen") << int(FontColour) << false << "words";
        QTest::newRow("font colour cancelled") << int(FontColour) << true << "words";
        QTest::newRow("background chosen") << int(BackColour) << false << "words";
        QTest::newRow("background cancelled") << int(BackColour) << true << "words";
        QTest::newRow("font colour, empty area") << int(FontColour) << false << "";
        QTest::newRow("background, empty area") << int(BackColour) << false << "";
    }

    void colourCommands()
    {
        QFETCH(int, button);
        QFETCH(bool, cancel);
        QFETCH(QString, text);
        type(text);
        m_run.toPanel();
        const qint32 before =
            button == FontColour ? m_run.text1().selColor() : m_run.form2().backColor();
        if (!cancel)
            m_run.modal().colorAnswers = {QColor(0x12, 0x34, 0x56)};
        m_run.click(button);
        // Regression: the dialog opened at black, and OK without a change
        // gave black text on the black page.
        QCOMPARE(m_run.modal().colorPresets, QList<QColor>{OleColor::toColor(before)});
        const qint32 chosen = 0x563412;
        const SettingKey key = button == FontColour ? SettingKey::ForeColor : SettingKey::BackColor;
        // Regression: a cancelled dialog must not paint the text black.
        const qint32 expected = cancel ? before : chosen;
        if (button == FontColour) {
            QCOMPARE(m_run.text1().selColor(), expected);
        } else {
            QCOMPARE(m_run.text1().backColor(), expected);
            QCOMPARE(m_run.form2().backColor(), expected);
        }
        QCOMPARE(SettingsStore::read(key, QStringLiteral("unset")),
                 cancel ? QStringLiteral("unset") : QString::number(chosen));
        expectWriting();
        QCOMPARE(m_run.modal().messages.size(), 0);
    }

    void changeFontStoresAllSixAndKeepsTheColour_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("ten and a half points chosen") << false;
        QTest::newRow("cancelled rewrites the current font") << true;
    }

    void changeFontStoresAllSixAndKeepsTheColour()
    {
        QFETCH(bool, cancel);
        m_run.text1().setSelColor(0x0000FF);
        writeAndOpenPanel();
        QFont chosen(QStringLiteral("Liberation Serif"));
        chosen.setPointSizeF(10.5);
        chosen.setItalic(true);
        chosen.setUnderline(true);
        if (!cancel)
            m_run.modal().fontAnswers = {chosen};
        m_run.click(Font);

        const QFont preset = m_run.modal().fontPresets.first();
        QCOMPARE(preset.family(), QFontInfo(QFont(QStringLiteral("Arial"))).family()); // shown face
        QCOMPARE(preset.pointSizeF(), 9.0);
        QVERIFY(preset.bold());
        QCOMPARE(m_run.form1().commonDialog2().flags(), 1);

        const RichTextBox &text = m_run.text1();
        QCOMPARE(text.fontName(), cancel ? "Arial" : "Liberation Serif");
        QCOMPARE(text.fontSize(), cancel ? 9.0f : 10.5f);
        QCOMPARE(text.selColor(), 0x0000FF);
        const QStringList expected =
            cancel ? QStringList{"1", "0", "Arial", "9", "0", "0"}
                   : QStringList{"0", "1", "Liberation Serif", "10.5", "0", "1"};
        const SettingKey keys[] = {SettingKey::Bold,          SettingKey::Italic,
                                   SettingKey::Name,          SettingKey::Size,
                                   SettingKey::Strikethrough, SettingKey::Underline};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(SettingsStore::read(keys[i], QString()), expected.at(i));
        expectWriting();
    }

    // The size is stored in the user's number format whatever the C
    // library's: under a decimal comma every start once failed.
    void choicesComeBackAtTheNextStart_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("storedSize");
        QTest::newRow("C") << "C"
                           << "10.5";
        QTest::newRow("German") << "de_DE"
                                << "10,5";
        QTest::newRow("French") << "fr_FR"
                                << "10,5";
        QTest::newRow("Turkish") << "tr_TR"
                                 << "10,5";
    }

    void choicesComeBackAtTheNextStart()
    {
        QFETCH(QString, locale);
        QFETCH(QString, storedSize);
        const auto plain = qScopeGuard([] { TestEnvironment::useNumberFormat("C"); });
        if (!TestEnvironment::useNumberFormat(locale))
            QSKIP("this machine cannot make the locale");
        m_run.stop();
        m_run.start(); // start-up itself under the locale
        QCOMPARE(m_run.modal().messages.size(), 0);
        QCOMPARE(m_run.text1().fontSize(), 9.0f);
        m_run.toPanel();
        m_run.modal().colorAnswers = {QColor(255, 255, 0)};
        m_run.click(FontColour);
        m_run.toPanel();
        m_run.modal().colorAnswers = {QColor(0, 0, 128)};
        m_run.click(BackColour);
        m_run.toPanel();
        QFont chosen(QStringLiteral("Liberation Mono"));
        chosen.setPointSizeF(10.5);
        m_run.modal().fontAnswers = {chosen};
        m_run.click(Font);
        QCOMPARE(SettingsStore::read(SettingKey::Size, QString()), storedSize);

        m_run.stop();
        m_run.start();
        const RichTextBox &text = m_run.text1();
        QCOMPARE(text.selColor(), 0x00FFFF);
        QCOMPARE(text.backColor(), 0x800000);
        QCOMPARE(m_run.form2().backColor(), 0x800000);
        QCOMPARE(text.fontName(), "Liberation Mono");
        QCOMPARE(text.fontSize(), 10.0f); // half sizes come back whole
        QVERIFY(!text.fontBold());
        QCOMPARE(m_run.modal().messages.size(), 0);
    }

    void storeWriteFailureIsReportedAndTheCommandGoesOn()
    {
        SKIP_WITHOUT_SETTINGS_FILE();
        QVERIFY(QDir().mkpath(m_env.settingsFile())); // a folder: no write can succeed
        m_run.toPanel();
        m_run.modal().colorAnswers = {QColor(255, 0, 0)};
        m_run.click(FontColour);
        const QStringList reports = m_run.modal().reports();
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reportLocation(reports.first()),
                 "in Inkwellor2021/08/31.Form1.PushButton2_Click at line 110");
        QCOMPARE(m_run.text1().selColor(), 0x0000FF);
        expectWriting();
        QVERIFY(QDir().rmdir(m_env.settingsFile()));
    }

#ifdef Q_OS_LINUX
    // Regression: a load that ran out of memory ended the program and lost
    // the page. With 300 MB of address space a 60 MB file cannot load.
    void loadWithoutTheMemoryKeepsThePage()
    {
#ifdef __SANITIZE_ADDRESS__
        QSKIP("the address sanitizer reserves far more address space than the limit");
#endif
        const QString file = m_env.userFile(QStringLiteral("large.txt"));
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            const QByteArray line("the quiet river carried her letters past the windows\n");
            for (int i = 0; i < 60 * 1000 * 1000 / line.size(); ++i)
                f.write(line);
        }
        QProcess probe;
        probe.start(QStringLiteral("prlimit"),
                    {QStringLiteral("--as=%1").arg(300 * 1024 * 1024),
                     qEnvironmentVariable("PROBE"), QStringLiteral("load"), file});
        QVERIFY(probe.waitForFinished(60000));
        const QString out = QString::fromUtf8(probe.readAllStandardOutput());
        QVERIFY2(out.contains(QStringLiteral("not enough memory")) &&
                     out.contains(QStringLiteral("at line 112")) &&
                     out.contains(QStringLiteral("page: kept")),
                 qPrintable(out));
    }

    // Regression: 50 MB of short lines pasted under 1 GiB ended the program
    // later, and 200 MB froze it and saved a file no load would take: a
    // paste that the memory or the load limit cannot take is refused.
    void pasteTooLargeIsRefusedAndThePageKept_data()
    {
        QTest::addColumn<int>("megabytes");
        QTest::addColumn<QString>("said");
        QTest::newRow("50 MB of short lines, 1 GiB") << 50 << "not enough memory to paste";
        QTest::newRow("70 MB, more than a load takes") << 70 << "too large to paste";
    }

    void pasteTooLargeIsRefusedAndThePageKept()
    {
#ifdef __SANITIZE_ADDRESS__
        QSKIP("the address sanitizer reserves far more address space than the limit");
#endif
        QFETCH(int, megabytes);
        QFETCH(QString, said);
        QProcess probe;
        probe.start(QStringLiteral("prlimit"),
                    {QStringLiteral("--as=%1").arg(1024 * 1024 * 1024),
                     qEnvironmentVariable("PROBE"), QStringLiteral("paste"),
                     QString::number(megabytes)});
        QVERIFY(probe.waitForFinished(60000));
        const QString out = QString::fromUtf8(probe.readAllStandardOutput());
        QVERIFY2(out.contains(said) && out.contains(QStringLiteral("Text1_Paste")) &&
                     out.contains(QStringLiteral("page: kept")),
                 qPrintable(out));
    }
#endif
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
