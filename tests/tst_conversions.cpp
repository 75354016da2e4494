// Pure conversions: settings texts, colours, the error report, filters,
// the application title and the skin checker.
#include "app/AppTitle.h"
#include "app/ErrorReport.h"
#include "app/SettingsText.h"
#include "app/StyleSheetCheck.h"
#include "controls/AppError.h"
#include "controls/CommonDialog.h"
#include "controls/OleColor.h"
#include "controls/PageColours.h"
#include "controls/QtModal.h"

#include <QtTest>

namespace {
// "" when the conversion succeeds, else the error's description.
template <typename F> QString errorOf(F &&f)
{
    try {
        f();
    } catch (const AppError &e) {
        return e.description();
    }
    return QString();
}
const QLocale kPoint(QLocale::English, QLocale::UnitedStates);
const QLocale kComma(QLocale::German, QLocale::Germany);
} // namespace

class TestConversions : public QObject
{
    Q_OBJECT

private slots:
    void textToInteger_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("comma");
        QTest::addColumn<int>("int16"); // expected when no error
        QTest::addColumn<QString>("error16");
        QTest::addColumn<qint64>("int32");
        QTest::addColumn<QString>("error32");
        const QString ok;
        const QString tm = QStringLiteral("Type mismatch");
        const QString of = QStringLiteral("Overflow");
        QTest::newRow("half rounds to even below")
            << "10.5" << false << 10 << ok << qint64(10) << ok;
        QTest::newRow("half rounds to even above")
            << "11.5" << false << 12 << ok << qint64(12) << ok;
        QTest::newRow("more than half rounds up")
            << "10.51" << false << 11 << ok << qint64(11) << ok;
        QTest::newRow("whole") << "12" << false << 12 << ok << qint64(12) << ok;
        QTest::newRow("surrounding blanks") << " 12 " << false << 12 << ok << qint64(12) << ok;
        QTest::newRow("minus one is on") << "-1" << false << -1 << ok << qint64(-1) << ok;
        QTest::newRow("plus sign") << "+2" << false << 2 << ok << qint64(2) << ok;
        QTest::newRow("zero") << "0" << false << 0 << ok << qint64(0) << ok;
        QTest::newRow("negative half to even") << "-2.5" << false << -2 << ok << qint64(-2) << ok;
        QTest::newRow("only a fraction") << ".5" << false << 0 << ok << qint64(0) << ok;
        QTest::newRow("letters") << "abc" << false << 0 << tm << qint64(0) << tm;
        QTest::newRow("empty") << "" << false << 0 << tm << qint64(0) << tm;
        QTest::newRow("blanks only") << "   " << false << 0 << tm << qint64(0) << tm;
        QTest::newRow("sign only") << "-" << false << 0 << tm << qint64(0) << tm;
        QTest::newRow("exponent") << "1e3" << false << 0 << tm << qint64(0) << tm;
        QTest::newRow("inner blank") << "1 2" << false << 0 << tm << qint64(0) << tm;
        QTest::newRow("grouping") << "1,000" << false << 0 << tm << qint64(0) << tm;
        QTest::newRow("non-Latin digits")
            << QStringLiteral("\u0661\u0662") << false << 0 << tm << qint64(0) << tm;
        QTest::newRow("16-bit overflow") << "40000" << false << 0 << of << qint64(40000) << ok;
        QTest::newRow("16-bit edge") << "32767" << false << 32767 << ok << qint64(32767) << ok;
        QTest::newRow("16-bit edge rounds over")
            << "32767.5" << false << 0 << of << qint64(32768) << ok;
        QTest::newRow("system colour")
            << "-2147483633" << false << 0 << of << qint64(-2147483633) << ok;
        QTest::newRow("32-bit overflow") << "-2147483649" << false << 0 << of << qint64(0) << of;
        QTest::newRow("huge digit string")
            << QString(60, QLatin1Char('9')) << false << 0 << of << qint64(0) << of;
        QTest::newRow("comma locale decimal") << "10,5" << true << 10 << ok << qint64(10) << ok;
        QTest::newRow("comma locale rejects point") << "10.5" << true << 0 << tm << qint64(0) << tm;
    }

    void textToInteger()
    {
        QFETCH(QString, text);
        QFETCH(bool, comma);
        QFETCH(int, int16);
        QFETCH(QString, error16);
        QFETCH(qint64, int32);
        QFETCH(QString, error32);
        const QLocale &locale = comma ? kComma : kPoint;
        std::int16_t v16 = 0;
        std::int32_t v32 = 0;
        QCOMPARE(errorOf([&] { v16 = textToInt16(text, locale); }), error16);
        QCOMPARE(errorOf([&] { v32 = textToInt32(text, locale); }), error32);
        if (error16.isEmpty())
            QCOMPARE(int(v16), int16);
        if (error32.isEmpty())
            QCOMPARE(qint64(v32), int32);
    }

    void sizeToText_data()
    {
        QTest::addColumn<float>("size");
        QTest::addColumn<bool>("comma");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 12.0f << false << "12";
        QTest::newRow("ten and a half") << 10.5f << false << "10.5";
        QTest::newRow("ten and a half, comma") << 10.5f << true << "10,5";
        QTest::newRow("design size") << 9.0f << false << "9";
        QTest::newRow("seven digits at most") << 11.25f / 3.0f << false << "3.75";
        QTest::newRow("third") << 1.0f / 3.0f << false << "0.3333333";
        QTest::newRow("large, no exponent, no grouping") << 123456789.0f << false << "123456800";
        QTest::newRow("small, no exponent") << 0.00012f << false << "0.00012";
        QTest::newRow("zero") << 0.0f << false << "0";
    }

    void sizeToText()
    {
        QFETCH(float, size);
        QFETCH(bool, comma);
        QFETCH(QString, text);
        QCOMPARE(::sizeToText(size, comma ? kComma : kPoint), text);
    }

    void sizeRoundTrip()
    {
        // What the store writes for a half size reads back as a whole size.
        QCOMPARE(int(textToInt16(::sizeToText(10.5f, kComma), kComma)), 10);
    }

    void oleColour_data()
    {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<bool>("refused");
        QPalette palette;
        palette.setColor(QPalette::Active, QPalette::Button, QColor(1, 2, 3));
        palette.setColor(QPalette::Active, QPalette::ButtonText, QColor(4, 5, 6));
        palette.setColor(QPalette::Active, QPalette::Base, QColor(7, 8, 9));
        QTest::newRow("green") << qint64(65280) << QColor(0, 255, 0) << false;
        QTest::newRow("red is the low byte") << qint64(0xFF) << QColor(255, 0, 0) << false;
        QTest::newRow("blue is the high byte") << qint64(0xFF0000) << QColor(0, 0, 255) << false;
        QTest::newRow("button face") << qint64(-2147483633) << QColor(1, 2, 3) << false;
        QTest::newRow("button text") << qint64(qint32(0x80000012)) << QColor(4, 5, 6) << false;
        QTest::newRow("window background")
            << qint64(qint32(0x80000005)) << QColor(7, 8, 9) << false;
        QTest::newRow("unassigned system index") << qint64(qint32(0x80000019)) << QColor() << true;
        QTest::newRow("system index past the table")
            << qint64(qint32(0x80000040)) << QColor() << true;
        QTest::newRow("high byte set") << qint64(0x01000000) << QColor() << true;
    }

    void oleColour()
    {
        QFETCH(qint64, value);
        QFETCH(QColor, colour);
        QFETCH(bool, refused);
        QPalette palette;
        palette.setColor(QPalette::Active, QPalette::Button, QColor(1, 2, 3));
        palette.setColor(QPalette::Active, QPalette::ButtonText, QColor(4, 5, 6));
        palette.setColor(QPalette::Active, QPalette::Base, QColor(7, 8, 9));
        QColor got;
        const QString error = errorOf([&] { got = OleColor::toColor(qint32(value), palette); });
        QCOMPARE(!error.isEmpty(), refused);
        if (!refused) {
            QCOMPARE(got, colour);
            if (value >= 0)
                QCOMPARE(qint64(OleColor::fromColor(got)), value);
        }
    }

    // The selection shows on the page and its text reads on it, for any
    // pair of colours the user can choose.
    void selectionReadsOnEveryPair_data()
    {
        QTest::addColumn<QColor>("ink");
        QTest::addColumn<QColor>("page");
        QTest::newRow("green on black, the first start's") << QColor(0, 255, 0) << QColor(0, 0, 0);
        QTest::newRow("dark grey on cream") << QColor(0x33, 0x33, 0x33) << QColor(0xF4, 0xF1, 0xEA);
        QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white);
        QTest::newRow("white on black") << QColor(Qt::white) << QColor(Qt::black);
        QTest::newRow("yellow on white") << QColor(Qt::yellow) << QColor(Qt::white);
        QTest::newRow("red on blue") << QColor(Qt::red) << QColor(Qt::blue);
        QTest::newRow("mid grey on mid grey") << QColor(128, 128, 128) << QColor(120, 120, 120);
        QTest::newRow("the same colour twice") << QColor(200, 30, 90) << QColor(200, 30, 90);
        QTest::newRow("black on black") << QColor(Qt::black) << QColor(Qt::black);
        QTest::newRow("white on white") << QColor(Qt::white) << QColor(Qt::white);
    }

    void selectionReadsOnEveryPair()
    {
        QFETCH(QColor, ink);
        QFETCH(QColor, page);
        const PageColours::Selection s = PageColours::selection(ink, page);
        QVERIFY(PageColours::contrast(s.text, s.highlight) >= PageColours::MinimumContrast);
        QVERIFY(PageColours::contrast(s.highlight, page) >= 1.25);
    }

    void errorReportBytes()
    {
        const QString report = composeErrorReport(QStringLiteral("Type mismatch"),
                                                  locationText("Form1", "Form_Load"), 106);
        QCOMPARE(report.toLatin1(),
                 QByteArray("Type mismatch\r\nin Inkwellor2021/08/31.Form1.Form_Load at line 106"
                            "\r\rPlease email screenshot of this message to ") +
                     kSupportAddress);
        // An empty description still gives a full report.
        QVERIFY(composeErrorReport(QString(), QStringLiteral("in X "), 0)
                    .startsWith("\r\nin X at line 0\r\r"));
        QCOMPARE(QtModal::displayText(report).count(QLatin1Char('\n')), 3);
        QVERIFY(!QtModal::displayText(report).contains(QLatin1Char('\r')));
    }

    void appTitle_data()
    {
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("title");
        QTest::newRow("product name") << kProductName << "Inkwellor";
        QTest::newRow("last word goes even when short") << "A B"
                                                        << "A";
        QTest::newRow("words go until at most 40")
            << "Alpha Bravo Charlie Delta Echo Foxtrot Golf Hotel"
            << "Alpha Bravo Charlie Delta Echo Foxtrot";
        QTest::newRow("exactly 40 after one cut") << "1234567890 1234567890 1234567890 1234567 tail"
                                                  << "1234567890 1234567890 1234567890 1234567";
        QTest::newRow("case-sensitive cut keeps trailing text") << "Quill  Werk"
                                                                << "Quill ";
    }

    void appTitle()
    {
        QFETCH(QString, product);
        QFETCH(QString, title);
        QCOMPARE(appTitleFor(product), title);
    }

    void fileFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("qt");
        // Regression: "*.*" hid files without a dot everywhere but Windows.
        QTest::newRow("open") << "All Files (*.*)|*.*|" << QStringList{"All Files (*)"};
        QTest::newRow("save") << "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"
                              << QStringList{"Text Files (*.txt)", "All Files (*)"};
        QTest::newRow("description without patterns")
            << "Notes|*.txt;*.md|" << QStringList{"Notes (*.txt *.md)"};
        QTest::newRow("no closing bar") << "Text|*.txt" << QStringList{"Text (*.txt)"};
    }

    void fileFilters()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, qt);
        QCOMPARE(CommonDialog::qtFilters(filter), qt);
    }

    void styleSheets_data()
    {
        QTest::addColumn<QString>("css");
        QTest::addColumn<bool>("valid");
        QTest::newRow("simple rule") << "QWidget { background: white; }" << true;
        QTest::newRow("gradients, urls, states, comments")
            << "/* c */ QPushButton:hover, QLabel#x[flat=\"true\"] {\n"
               "  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fff, stop:1 #000);\n"
               "  image: url(\"a;b.png\") }\nQToolTip{color:red}"
            << true;
        QTest::newRow("last semicolon optional") << "QWidget { color: red }" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("comment only") << "/* nothing */" << false;
        QTest::newRow("unclosed rule") << "QWidget { color: red;" << false;
        QTest::newRow("missing selector") << "{ color: red; }" << false;
        QTest::newRow("missing colon") << "QWidget { color red; }" << false;
        QTest::newRow("missing value") << "QWidget { color: ; }" << false;
        QTest::newRow("unclosed comment") << "QWidget { color: red; } /*" << false;
        QTest::newRow("unclosed bracket") << "QWidget { background: rgb(1,2,3; }" << false;
        QTest::newRow("stray closing brace") << "QWidget { color: red; } }" << false;
        QTest::newRow("binary junk") << QString::fromLatin1("\x89PNG\r\n\x1a\n\x01\xff{{") << false;
    }

    void styleSheets()
    {
        QFETCH(QString, css);
        QFETCH(bool, valid);
        QCOMPARE(checkStyleSheet(css).isEmpty(), valid);
    }
};

QTEST_MAIN(TestConversions)
#include "tst_conversions.moc"
