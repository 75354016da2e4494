// The stored look of the writing area, applied at start-up.
#include "app/SettingsStore.h"
#include "controls/OleColor.h"
#include "controls/PushButton.h"
#include "controls/RichTextBox.h"
#include "support/Harness.h"
#include "writer/Form2.h"

#include <QtTest>

using Stored = QMap<QString, QString>;
Q_DECLARE_METATYPE(Stored)

class TestAppearance : public QObject
{
    Q_OBJECT

    TestEnvironment m_env;
    Harness m_run{m_env};

    static void store(const Stored &values)
    {
        const SettingKey keys[] = {SettingKey::ForeColor,     SettingKey::BackColor,
                                   SettingKey::Name,          SettingKey::Size,
                                   SettingKey::Bold,          SettingKey::Italic,
                                   SettingKey::Strikethrough, SettingKey::Underline};
        for (const SettingKey key : keys) {
            const QString name = SettingsStore::keyName(key);
            if (values.contains(name))
                SettingsStore::write(key, values.value(name));
        }
    }

private slots:
    void init() { m_env.reset(); }
    void cleanup() { m_run.stop(); }

    void applied_data()
    {
        QTest::addColumn<Stored>("stored");
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("points");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::addColumn<bool>("strike");
        QTest::addColumn<qint64>("fore");
        QTest::addColumn<qint64>("back");
        QTest::addColumn<int>("reportedAt"); // 0: no report

        const qint64 green = 65280;
        const qint64 designText = -1; // the control's own text colour
        const qint64 face = qint32(OleColor::ButtonFace);
        QTest::newRow("empty store")
            << Stored{} << "Arial" << 9 << true << false << false << green << qint64(0) << 0;
        QTest::newRow("half size rounds to even")
            << Stored{{"Size", "10.5"}} << "Arial" << 10 << true << false << false << green
            << qint64(0) << 0;
        QTest::newRow("odd half rounds up") << Stored{{"Size", "11.5"}} << "Arial" << 12 << true
                                            << false << false << green << qint64(0) << 0;
        QTest::newRow("Bold 2 and Italic -1 are on, Bold 0 off")
            << Stored{{"Bold", "0"}, {"Italic", "-1"}, {"Strikethrough", "2"}} << "Arial" << 9
            << false << true << true << green << qint64(0) << 0;
        QTest::newRow("stored face and colours")
            << Stored{{"Name", "Liberation Serif"}, {"ForeColor", "255"}, {"BackColor", "16777215"}}
            << "Liberation Serif" << 9 << true << false << false << qint64(255) << qint64(16777215)
            << 0;
        QTest::newRow("system colour as background")
            << Stored{{"BackColor", "-2147483633"}} << "Arial" << 9 << true << false << false
            << green << face << 0;
        // Bold, italic and name applied; the rest keep their design values.
        QTest::newRow("letters as size")
            << Stored{{"Size", "abc"},    {"Bold", "0"},
                      {"Italic", "1"},    {"Name", "Liberation Mono"},
                      {"Underline", "1"}, {"ForeColor", "255"}}
            << "Liberation Mono" << 9 << false << true << false << designText << face << 104;
        QTest::newRow("overflowing colour")
            << Stored{{"ForeColor", "4294967296"}} << "Arial" << 9 << true << false << false
            << designText << qint64(0) << 104;
        QTest::newRow("colour neither RGB nor system")
            << Stored{{"BackColor", "16777216"}} << "Arial" << 9 << true << false << false
            << designText << face << 104;
        QTest::newRow("empty size") << Stored{{"Size", ""}} << "Arial" << 9 << true << false
                                    << false << designText << face << 104;
        QTest::newRow("huge size text")
            << Stored{{"Size", QString(300, QLatin1Char('9'))}} << "Arial" << 9 << true << false
            << false << designText << face << 104;
        QTest::newRow("non-Latin digits as size")
            << Stored{{"Size", QStringLiteral("\u0661\u0662")}} << "Arial" << 9 << true << false
            << false << designText << face << 104;
        QTest::newRow("non-Latin face name")
            << Stored{{"Name", QStringLiteral("明朝")}} << QStringLiteral("明朝") << 9 << true
            << false << false << green << qint64(0) << 0;
        QTest::newRow("size zero is refused") << Stored{{"Size", "0"}} << "Arial" << 9 << true
                                              << false << false << designText << face << 104;
    }

    void applied()
    {
        QFETCH(Stored, stored);
        QFETCH(QString, face);
        QFETCH(int, points);
        QFETCH(bool, bold);
        QFETCH(bool, italic);
        QFETCH(bool, strike);
        QFETCH(qint64, fore);
        QFETCH(qint64, back);
        QFETCH(int, reportedAt);
        store(stored);
        m_run.start();
        const RichTextBox &text = m_run.text1();
        QCOMPARE(text.fontName(), face);
        QCOMPARE(text.fontSize(), float(points));
        QCOMPARE(text.fontBold(), bold);
        QCOMPARE(text.fontItalic(), italic);
        QCOMPARE(text.fontStrikethrough(), strike);
        if (fore != -1)
            QCOMPARE(qint64(text.selColor()), fore);
        else
            QCOMPARE(text.palette().color(QPalette::Text),
                     RichTextBox(nullptr).palette().color(QPalette::Text));
        QCOMPARE(qint64(m_run.form2().backColor()), back);
        QCOMPARE(m_run.form2().palette().color(QPalette::Window), OleColor::toColor(qint32(back)));
        if (reportedAt == 0)
            QCOMPARE(m_run.form2().palette().color(QPalette::Window),
                     text.palette().color(QPalette::Base));
        const QStringList reports = m_run.modal().reports();
        QCOMPARE(reports.size(), reportedAt ? 1 : 0);
        if (reportedAt)
            QCOMPARE(reportLocation(reports.first()),
                     QStringLiteral("in Inkwellor2021/08/31.Form2.Form_Load at line %1")
                         .arg(reportedAt));
        // The buttons are hidden whatever happened before.
        QVERIFY(!m_run.form2().pushButton1().isVisible());
    }

    void typedTextTakesTheStoredColour()
    {
        SettingsStore::write(SettingKey::ForeColor, QStringLiteral("16711680"));
        m_run.start();
        QTest::keyClicks(&m_run.text1(), QStringLiteral("blue words"));
        QCOMPARE(m_run.text1().palette().color(QPalette::Text), QColor(0, 0, 255));
    }
};

QTEST_MAIN(TestAppearance)
#include "tst_appearance.moc"
