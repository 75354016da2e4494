// Start-up, hand-over between the windows, ending, and the error trap.
#include "app/AppTitle.h"
#include "app/ErrorTrap.h"
#include "app/Version.h"
#include "controls/AppError.h"
#include "controls/PushButton.h"
#include "controls/RichTextBox.h"
#include "panel/Form1.h"
#include "support/Harness.h"
#include "writer/Form2.h"

#include <QAccessible>
#include <QClipboard>
#include <QMimeData>
#include <QTextBlock>
#include <QtTest>

class TestStartup : public QObject
{
    Q_OBJECT

    TestEnvironment m_env;
    Harness m_run{m_env};

private slots:
    void init()
    {
        m_env.reset();
        m_run.start();
        QVERIFY(QTest::qWaitForWindowExposed(&m_run.form2())); // Esc counts from then on
    }
    void cleanup() { m_run.stop(); }

    void startsWithOnlyTheWritingWindow()
    {
        QVERIFY(!m_run.form1().isVisible());
        QVERIFY(m_run.form2().isVisible());
        QVERIFY(m_run.form2().isFullScreen());
        QCOMPARE(m_run.form2().geometry(), QGuiApplication::primaryScreen()->geometry());
        QVERIFY(m_run.form2().windowFlags() & Qt::FramelessWindowHint);
        QTRY_COMPARE(QApplication::focusWidget(), &m_run.text1());
        QVERIFY(!m_run.form2().pushButton1().isVisible());
        QVERIFY(!m_run.form2().pushButton2().isVisible());
        QCOMPARE(m_run.form1().windowTitle(), "Inkwellor Software");
        QVERIFY(!m_run.form1().windowIcon().isNull());
        QCOMPARE(m_run.form1().windowIcon().availableSizes().size(), 4);
        QCOMPARE(QCoreApplication::applicationName(), "Inkwellor");
        QCOMPARE(m_run.modal().messages.size(), 0); // no side files, no message
        // The writing area fills the client area below the 19-pixel strip.
        QCOMPARE(m_run.text1().geometry(),
                 QRect(0, 19, m_run.form2().width(), m_run.form2().height() - 19));
    }

    void switchingNeverRepeatsStartUp()
    {
        const QPoint placed(40, 30);
        for (int i = 0; i < 20; ++i) {
            m_run.toPanel();
            if (i == 0)
                m_run.form1().move(placed);
            m_run.click(3);
        }
        QVERIFY(m_run.form2().isVisible());
        QVERIFY(!m_run.form1().isVisible());
        QCOMPARE(m_run.form1().pos(), placed); // the user's place is kept
        QCOMPARE(m_run.modal().messages.size(), 0);
    }

    void handOverKeepsTextCaretAndSelection_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("Esc") << "Esc";
        QTest::newRow("Shift+Esc") << "Shift+Esc";
        QTest::newRow("Ctrl+Alt+Esc") << "Ctrl+Alt+Esc";
        QTest::newRow("Options") << "Options";
        QTest::newRow("Esc while a button has focus") << "ButtonEsc";
    }

    void handOverKeepsTextCaretAndSelection()
    {
        QFETCH(QString, way);
        RichTextBox &text = m_run.text1();
        QTest::keyClicks(&text, QStringLiteral("Hello, writer"));
        QTextCursor cursor = text.textCursor();
        cursor.setPosition(3);
        cursor.setPosition(7, QTextCursor::KeepAnchor);
        text.setTextCursor(cursor);

        Form2 &writer = m_run.form2();
        if (way == QLatin1String("Esc"))
            QTest::keyClick(&text, Qt::Key_Escape);
        else if (way == QLatin1String("Shift+Esc"))
            QTest::keyClick(&text, Qt::Key_Escape, Qt::ShiftModifier);
        else if (way == QLatin1String("Ctrl+Alt+Esc"))
            QTest::keyClick(&text, Qt::Key_Escape, Qt::ControlModifier | Qt::AltModifier);
        else if (way == QLatin1String("Options"))
            writer.pushButton1().click();
        else
            QTest::keyClick(&writer.pushButton2(), Qt::Key_Escape);

        QVERIFY(!writer.isVisible());
        QVERIFY(m_run.form1().isVisible());
        QCOMPARE(text.toPlainText(), "Hello, writer"); // Esc typed nothing

        m_run.click(3); // < Back To Writing
        QVERIFY(writer.isVisible());
        QVERIFY(!m_run.form1().isVisible());
        QCOMPARE(text.toPlainText(), "Hello, writer");
        QCOMPARE(text.textCursor().anchor(), 3);
        QCOMPARE(text.textCursor().position(), 7);
        QTRY_COMPARE(QApplication::focusWidget(), &text);
    }

    // Regression: a flood of Esc presses could leave neither window on the
    // screen. A repeat of a held Esc hands nothing over, and nor does Esc
    // before the window now up is on the screen.
    void escHandsOverOnlyFreshAndSettled()
    {
        m_run.stop();
        m_run.start(); // the writing window not yet on the screen
        QTest::keyClick(&m_run.text1(), Qt::Key_Escape);
        QVERIFY(!m_run.form1().isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(&m_run.form2()));
        QKeyEvent held(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(&m_run.text1(), &held);
        QVERIFY(!m_run.form1().isVisible());
        QTest::keyClick(&m_run.text1(), Qt::Key_Escape);
        QVERIFY(m_run.form1().isVisible());
    }

    void buttonsShowInTheStripAndHideOverTheText()
    {
        Form2 &writer = m_run.form2();
        Harness::hover(&writer, QPoint(writer.width() - 5, 5)); // far right of the strip
        QVERIFY(writer.pushButton1().isVisible());
        QVERIFY(writer.pushButton2().isVisible());
        Harness::hover(&writer.pushButton2()); // over a button: no change
        QVERIFY(writer.pushButton1().isVisible());
        m_run.form1().showWindow(); // focus elsewhere
        Harness::hover(m_run.text1().viewport(), QPoint(50, 50));
        QVERIFY(!writer.pushButton1().isVisible());
        QVERIFY(!writer.pushButton2().isVisible());
        QCOMPARE(writer.focusWidget(), &m_run.text1());
    }

    // The first focus draws nothing and lies on the panel, so that a magnifier
    // following it stays there; Tab passes it by: eight stops, the buttons.
    // Regression: it lay below the panel and was a ninth stop.
    void panelFirstFocusIsTheHiddenHolder()
    {
        m_run.toPanel();
        Form1 &panel = m_run.form1();
        QWidget *holder = panel.focusWidget();
        QVERIFY(holder && !qobject_cast<QPushButton *>(holder));
        QCOMPARE(panel.size(), QSize(536, 281));
        QVERIFY(panel.rect().contains(holder->geometry()));
        const QImage seen = panel.grab().toImage();
        holder->hide();
        QCOMPARE(panel.grab().toImage(), seen);
        holder->show();
        holder->setFocus();
        QList<QWidget *> stops;
        for (int i = 0; i < 9; ++i) {
            QTest::keyClick(panel.focusWidget(), Qt::Key_Tab);
            stops << panel.focusWidget();
        }
        QCOMPARE(stops.first(), &panel.pushButton(3));
        QCOMPARE(stops.last(), stops.first());
        QCOMPARE(QSet<QWidget *>(stops.begin(), stops.end()).size(), 8);
    }

    // Regression: only the first opening said how the panel is used.
    void everyOpeningSaysHowToUseThePanel()
    {
        auto said = [](QWidget *w) {
            return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Description);
        };
        m_run.toPanel();
        Form1 &panel = m_run.form1();
        QVERIFY(said(panel.focusWidget()).contains(QStringLiteral("Tab moves")));
        panel.pushButton(5).setFocus();
        QTest::keyClick(&panel.pushButton(5), Qt::Key_Escape);
        QVERIFY(!panel.isVisible());
        m_run.toPanel();
        QVERIFY(QTest::qWaitForWindowActive(&panel));
        QCOMPARE(panel.focusWidget(), &panel.pushButton(5));
        QVERIFY(said(&panel.pushButton(5)).contains(QStringLiteral("Tab moves")));
        QTest::keyClick(&panel.pushButton(5), Qt::Key_Tab);
        QCOMPARE(said(&panel.pushButton(5)), QString());
    }

    // Regression: Wayland's title bar maximised the fixed-size panel.
    void panelIsNeverMaximised()
    {
        m_run.toPanel();
        m_run.form1().setWindowState(Qt::WindowMaximized);
        QTRY_COMPARE(m_run.form1().windowState(), Qt::WindowNoState);
        QCOMPARE(m_run.form1().size(), QSize(536, 281));
    }

    // Enter presses the focused button as Space does; Esc goes back.
    void panelKeys_data()
    {
        QTest::addColumn<int>("focus"); // button number, 0 for the focus holder
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("dialogs");  // file dialogs and messages that opened
        QTest::addColumn<bool>("writing"); // back in the writing window
        QTest::newRow("Enter on Load File") << 1 << int(Qt::Key_Return) << 1 << false;
        QTest::newRow("keypad Enter on About") << 7 << int(Qt::Key_Enter) << 1 << false;
        QTest::newRow("Space on About") << 7 << int(Qt::Key_Space) << 1 << false;
        QTest::newRow("Enter on the focus holder") << 0 << int(Qt::Key_Return) << 0 << false;
        QTest::newRow("Esc on a button") << 4 << int(Qt::Key_Escape) << 0 << true;
        QTest::newRow("Esc on the focus holder") << 0 << int(Qt::Key_Escape) << 0 << true;
    }

    void panelKeys()
    {
        QFETCH(int, focus);
        QFETCH(int, key);
        QFETCH(int, dialogs);
        QFETCH(bool, writing);
        m_run.toPanel();
        Form1 &panel = m_run.form1();
        QWidget *target =
            focus ? static_cast<QWidget *>(&panel.pushButton(focus)) : panel.focusWidget();
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key),
                        key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QCOMPARE(m_run.modal().fileRequests.size() + m_run.modal().messages.size(), dialogs);
        QCOMPARE(m_run.form2().isVisible(), writing);
        QCOMPARE(panel.isVisible(), !writing);
    }

    // What a screen reader is told of each window and control.
    void accessibleNames_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("role"); // -1: the window's own
        QTest::newRow("writing window") << "writer"
                                        << "Inkwellor" << -1;
        QTest::newRow("writing area") << "text"
                                      << "Writing area" << int(QAccessible::EditableText);
        QTest::newRow("X is Exit") << "x"
                                   << "Exit" << int(QAccessible::Button);
        QTest::newRow("Options") << "options"
                                 << "Options" << int(QAccessible::Button);
        QTest::newRow("panel") << "panel"
                               << "Inkwellor Software" << -1;
        QTest::newRow("first panel button") << "back"
                                            << "Back To Writing" << int(QAccessible::Button);
        // Regression: the panel's first focus was announced as an empty edit field.
        QTest::newRow("what the panel's first focus says")
            << "holder"
            << "Inkwellor control panel" << int(QAccessible::StaticText);
    }

    void accessibleNames()
    {
        QFETCH(QString, what);
        QFETCH(QString, name);
        QFETCH(int, role);
        m_run.toPanel();
        Form2 &writer = m_run.form2();
        const QMap<QString, QObject *> objects{
            {QStringLiteral("writer"), &writer},
            {QStringLiteral("text"), &m_run.text1()},
            {QStringLiteral("x"), &writer.pushButton2()},
            {QStringLiteral("options"), &writer.pushButton1()},
            {QStringLiteral("panel"), &m_run.form1()},
            {QStringLiteral("back"), &m_run.form1().pushButton(3)},
            {QStringLiteral("holder"), m_run.form1().focusWidget()}};
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(objects.value(what));
        QVERIFY(face);
        QCOMPARE(face->text(QAccessible::Name), name);
        if (role >= 0)
            QCOMPARE(int(face->role()), role);
    }

    void aboutKeepsThePanelUp()
    {
        m_run.toPanel();
        m_run.click(7);
        QCOMPARE(m_run.modal().messages.size(), 1);
        const FakeModal::Message &about = m_run.modal().messages.first();
        QCOMPARE(about.style, 0);
        QCOMPARE(about.title, QString()); // the application title shows
        QVERIFY(about.text.contains(QStringLiteral("support@")));
        QVERIFY(about.text.contains(QLatin1String(kVersion)));
        QVERIFY(about.text.contains(QStringLiteral("Esc")));
        QCOMPARE(QGuiApplication::desktopFileName(), "app.inkwellor.Inkwellor");
        QVERIFY(m_run.form1().isVisible());
    }

    void endingAsksNothingAndRunsNothingElse_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Exit") << "Exit";
        QTest::newRow("X") << "X";
        QTest::newRow("panel close box") << "PanelClose";
        QTest::newRow("writing window close key") << "WriterClose";
    }

    void endingAsksNothingAndRunsNothingElse()
    {
        QFETCH(QString, how);
        QTest::keyClicks(&m_run.text1(), QStringLiteral("unsaved"));
        if (how == QLatin1String("X")) {
            m_run.form2().pushButton2().click();
        } else if (how == QLatin1String("WriterClose")) {
            m_run.form2().close();
        } else {
            m_run.toPanel();
            if (how == QLatin1String("Exit"))
                m_run.click(8);
            else
                m_run.form1().close();
        }
        QCOMPARE(m_run.modal().exitCodes, QList<int>{0});
        QCOMPARE(m_run.modal().messages.size(), 0);
        QVERIFY(m_run.modal().fileRequests.isEmpty());
    }

    // Handlers without steps must not let an error reach Qt's event loop.
    void untrappedHandlersReportAtLineZero()
    {
        Form2 writer([] { throw AppError(QStringLiteral("no panel")); });
        QTest::keyClick(&writer.text1(), Qt::Key_Escape);
        const QStringList reports = m_run.modal().reports();
        QCOMPARE(reports.size(), 2); // window level first, then the writing area
        QCOMPARE(reportLocation(reports.at(0)),
                 "in Inkwellor2021/08/31.Form2.Form_KeyDown at line 0");
        QCOMPARE(reportLocation(reports.at(1)),
                 "in Inkwellor2021/08/31.Form2.Text1_KeyDown at line 0");
        QVERIFY(reports.at(0).startsWith(QStringLiteral("no panel\r\n")));
    }

    void pasteInsertsPlainTextInTheAreasLook()
    {
        RichTextBox &text = m_run.text1();
        text.setSelColor(0x0000FF);
        auto *mime = new QMimeData;
        mime->setHtml(QStringLiteral("<b style='color:#00ff00;font-size:40pt'>rich</b>"));
        mime->setText(QStringLiteral("rich"));
        QGuiApplication::clipboard()->setMimeData(mime);
        text.paste();
        QCOMPARE(text.toPlainText(), "rich");
        const QTextCharFormat format = text.document()->begin().begin().fragment().charFormat();
        QVERIFY(!format.hasProperty(QTextFormat::ForegroundBrush));
        QVERIFY(!format.hasProperty(QTextFormat::FontWeight));
        QCOMPARE(text.palette().color(QPalette::Text), QColor(255, 0, 0));
    }

    void trapReportsEachFailureInStepOrder()
    {
        ErrorTrap trap("Form1", "PushButton5_Click");
        QStringList ran;
        trap.step(100, [&] { throw AppError(QStringLiteral("first")); });
        trap.step(102, [&] { ran << QStringLiteral("102"); });
        trap.step(104, [&] { throw AppError(QStringLiteral("second")); });
        // A failing condition runs the steps it guards.
        if (trap.test(106, [&]() -> bool { throw AppError(QStringLiteral("condition")); }))
            trap.step(108, [&] { ran << QStringLiteral("108"); });
        // A routine without a trap: its rest is skipped, the caller's step is named.
        auto routine = [&] {
            ran << QStringLiteral("routine start");
            throw AppError(QStringLiteral("inside"));
        };
        trap.step(110, [&] {
            routine();
            ran << QStringLiteral("routine rest");
        });

        QCOMPARE(ran, (QStringList{"102", "108", "routine start"}));
        const QStringList reports = m_run.modal().reports();
        QCOMPARE(reports.size(), 4);
        const QString where =
            QStringLiteral("in Inkwellor2021/08/31.Form1.PushButton5_Click at line %1");
        QCOMPARE(reportLocation(reports.at(0)), where.arg(100));
        QCOMPARE(reportLocation(reports.at(1)), where.arg(104));
        QCOMPARE(reportLocation(reports.at(2)), where.arg(106));
        QCOMPARE(reportLocation(reports.at(3)), where.arg(110));
        QVERIFY(reports.at(1).startsWith(QStringLiteral("second\r\n")));
        QCOMPARE(m_run.modal().messages.first().style, 48);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
