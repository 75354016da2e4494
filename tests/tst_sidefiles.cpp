// The skin and pointer files beside the program, and the pointer rules.
#include "app/SideFiles.h"
#include "artgen/CursorWriter.h"
#include "controls/OleColor.h"
#include "controls/PushButton.h"
#include "panel/Form1.h"
#include "support/Harness.h"
#include "writer/Form2.h"

#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
QByteArray pngPointer()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::red);
    return CursorWriter::write({{image, QPoint(9, 4), 0}});
}
} // namespace

class TestSideFiles : public QObject
{
    Q_OBJECT

    TestEnvironment m_env;
    Harness m_run{m_env};

private slots:
    void init() { m_env.reset(); }
    void cleanup() { m_run.stop(); }

    void fileExistsNeverFails_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("exists");
        QTest::newRow("present") << "present.txt" << true;
        QTest::newRow("hidden file still counts") << ".hidden" << true;
        QTest::newRow("missing") << "missing.txt" << false;
        QTest::newRow("in a missing folder") << "no/such/folder/file" << false;
        QTest::newRow("empty path") << "" << false;
    }

    void fileExistsNeverFails()
    {
        QFETCH(QString, path);
        QFETCH(bool, exists);
        m_env.putSideFile(QStringLiteral("present.txt"), "x");
        m_env.putSideFile(QStringLiteral(".hidden"), "x");
        const QString full = path.isEmpty() ? path : QDir(m_env.programFolder()).filePath(path);
        QCOMPARE(SideFiles::fileExists(full), exists);
    }

    void skin_data()
    {
        QTest::addColumn<QByteArray>("skin");
        QTest::addColumn<bool>("present");
        QTest::addColumn<bool>("applied");
        QTest::newRow("absent") << QByteArray() << false << false;
        QTest::newRow("the program's own skin") << TestEnvironment::builtSkin() << true << true;
        QTest::newRow("third-party style sheet")
            << QByteArray("QPushButton { border: 2px solid rgb(10, 20, 30); }\n"
                          "QWidget#x:hover { background: qlineargradient(x1:0, y1:0, x2:1, y2:1,"
                          " stop:0 white, stop:1 black); }")
            << true << true;
        QTest::newRow("empty") << QByteArray("") << true << false;
        QTest::newRow("binary junk") << QByteArray("\x00\x01\x02\xff\xfe", 5) << true << false;
        QTest::newRow("garbage text") << QByteArray("this is { not css") << true << false;
        QTest::newRow("huge") << QByteArray(2 * 1024 * 1024, ' ') << true << false;
    }

    void skin()
    {
        QFETCH(QByteArray, skin);
        QFETCH(bool, present);
        QFETCH(bool, applied);
        if (present)
            m_env.putSideFile(QStringLiteral("x/o.cjs"), skin);
        m_run.start();
        Form1 &panel = m_run.form1();
        QCOMPARE(panel.styleSheet().isEmpty(), !applied);
        // The background turns to the button face as soon as a skin file is found.
        QCOMPARE(panel.palette().color(QPalette::Window),
                 OleColor::toColor(present ? OleColor::ButtonFace : OleColor::White));
        const QStringList reports = m_run.modal().reports();
        QCOMPARE(reports.size(), present && !applied ? 1 : 0);
        if (!reports.isEmpty()) {
            QCOMPARE(reportLocation(reports.first()),
                     "in Inkwellor2021/08/31.Form1.Form_Load at line 102");
            QVERIFY(!reports.first().startsWith(QStringLiteral("\r\n"))); // says why
        }
        QVERIFY(m_run.form2().isVisible()); // start-up carried on
        QVERIFY(!panel.isVisible());
        if (applied)
            QCOMPARE(panel.skinFramework1().applyOptions() & 1, 1);
    }

    void pointer_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QPoint>("hotspot"); // null: no image expected
        const QByteArray built = TestEnvironment::builtPointer();
        QTest::newRow("absent") << QByteArray() << QPoint();
        QTest::newRow("the program's hand") << built << QPoint(5, 0);
        QTest::newRow("PNG payload") << pngPointer() << QPoint(9, 4);
        QTest::newRow("truncated") << built.left(built.size() / 2) << QPoint();
        QTest::newRow("zero bytes") << QByteArray("") << QPoint();
        QTest::newRow("wrong type") << QByteArray("GIF89a not a cursor at all") << QPoint();
        QTest::newRow("absurdly large file")
            << built + QByteArray(5 * 1024 * 1024, '\0') << QPoint();
        // Regression: uploading it as a pointer broke the X connection.
        QImage huge(2048, 2048, QImage::Format_ARGB32);
        huge.fill(Qt::red);
        QTest::newRow("PNG image of 2048 x 2048")
            << CursorWriter::write({{huge, QPoint(1, 1), 0}}) << QPoint();
    }

    void pointer()
    {
        QFETCH(QByteArray, file);
        QFETCH(QPoint, hotspot);
        QVERIFY(!TestEnvironment::builtPointer().isEmpty());
        const bool present =
            !QTest::currentDataTag() || QByteArray(QTest::currentDataTag()) != "absent";
        if (present)
            m_env.putSideFile(QStringLiteral("HAND-M.CUR"), file);
        m_run.start();
        const bool loads = !hotspot.isNull();
        QCOMPARE(m_run.form1().pointer().hasImage(), loads);
        QCOMPARE(m_run.form2().pointer().hasImage(), loads);
        const QStringList reports = m_run.modal().reports();
        if (present && !loads) {
            // One report from each window's load, each at its own step.
            QCOMPARE(reports.size(), 2);
            QCOMPARE(reportLocation(reports.at(0)),
                     "in Inkwellor2021/08/31.Form1.Form_Load at line 106");
            QCOMPARE(reportLocation(reports.at(1)),
                     "in Inkwellor2021/08/31.Form2.Form_Load at line 102");
        } else {
            QCOMPARE(reports.size(), 0);
        }
        if (loads) {
            Harness::hover(&m_run.form1().pushButton(1));
            QCOMPARE(m_run.form1().cursor().shape(), Qt::BitmapCursor);
            QCOMPARE(m_run.form1().cursor().hotSpot(), hotspot);
        }
    }

#ifdef Q_OS_UNIX
    // Special files where side files or a saved file belong. Each runs in a
    // child process with a time limit, so a regression fails, not hangs.
    void specialFilesNeverBlock_data()
    {
        QTest::addColumn<QString>("what"); // save, pointer, skin: where the special file goes
        QTest::addColumn<QString>("special");
        QTest::addColumn<QStringList>("reports"); // fragments, one per expected report
        const QString ordinary = QStringLiteral("not an ordinary file");
        const QStringList twice{ordinary + "*line 106", ordinary + "*line 102"};
        QTest::newRow("save onto a FIFO with no reader") << "save"
                                                         << "fifo" << QStringList{ordinary};
        QTest::newRow("pointer file that is a FIFO") << "pointer"
                                                     << "fifo" << twice;
        QTest::newRow("pointer file linked to a FIFO") << "pointer"
                                                       << "link:fifo" << twice;
        QTest::newRow("pointer file linked to /dev/zero") << "pointer"
                                                          << "link:/dev/zero" << twice;
        QTest::newRow("pointer file linked to /dev/urandom") << "pointer"
                                                             << "link:/dev/urandom" << twice;
        QTest::newRow("skin image that is a FIFO") << "skin"
                                                   << "fifo" << QStringList{ordinary + "*line 102"};
        QTest::newRow("skin image that is /dev/zero")
            << "skin"
            << "/dev/zero" << QStringList{ordinary + "*line 102"};
        // Regression: a skin that could not be read was silently ignored.
        QTest::newRow("skin that cannot be read")
            << "unreadable skin"
            << "" << QStringList{"Permission denied*line 102"};
    }

    void specialFilesNeverBlock()
    {
        QFETCH(QString, what);
        QFETCH(QString, special);
        QFETCH(QStringList, reports);
        const QDir folder(m_env.programFolder());
        const QString fifo = folder.filePath(QStringLiteral("fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QString target = special == QLatin1String("fifo") ? fifo : special;
        if (target.startsWith(QLatin1String("link:"))) {
            target = target.mid(5) == QLatin1String("fifo") ? fifo : target.mid(5);
            QVERIFY(QFile::link(target, folder.filePath(QStringLiteral("HAND-M.CUR"))));
        } else if (what == QLatin1String("pointer")) {
            QVERIFY(QFile::rename(fifo, folder.filePath(QStringLiteral("HAND-M.CUR"))));
        }
        if (what == QLatin1String("skin"))
            m_env.putSideFile(QStringLiteral("x/o.cjs"),
                              "QWidget { background-image: url(" + target.toUtf8() + "); }");

        QStringList arguments{QStringLiteral("start"), m_env.programFolder()};
        if (what == QLatin1String("save"))
            arguments = QStringList{QStringLiteral("save"), target};
        QString program = qEnvironmentVariable("PROBE");
        std::unique_ptr<QTemporaryDir> shared;
        if (what == QLatin1String("unreadable skin")) {
            m_env.putSideFile(QStringLiteral("x/o.cjs"), TestEnvironment::builtSkin());
            QVERIFY(QFile::setPermissions(folder.filePath(QStringLiteral("x/o.cjs")), {}));
            if (::geteuid() == 0) {
                // Permission bits stop no one but an ordinary user, who is
                // given a program folder of the same files that they can reach.
                shared = TestEnvironment::sharedFolder();
                QVERIFY(shared);
                const QDir reachable(shared->path());
                QVERIFY(reachable.mkdir(QStringLiteral("x")));
                QVERIFY(QFile::copy(folder.filePath(QStringLiteral("x/o.cjs")),
                                    reachable.filePath(QStringLiteral("x/o.cjs"))));
                QVERIFY(QFile::setPermissions(reachable.filePath(QStringLiteral("x/o.cjs")), {}));
                arguments = TestEnvironment::asNobody(*shared, program,
                                                      {QStringLiteral("start"), shared->path()});
                program = QStringLiteral("setpriv");
            }
        }
        QProcess probe;
        probe.start(program, arguments);
        const bool ended = probe.waitForFinished(20000);
        if (!ended)
            probe.kill();
        QVERIFY2(ended, "the step blocked on a special file");
        const QString out = QString::fromUtf8(probe.readAllStandardOutput());
        QVERIFY2(out.contains(what == QLatin1String("save") ? "" : "started"), qPrintable(out));
        for (const QString &fragment : reports) {
            const QStringList parts = fragment.split(QLatin1Char('*'));
            const qsizetype at = out.indexOf(parts.first());
            QVERIFY2(at >= 0 && out.indexOf(parts.last(), at) >= 0,
                     qPrintable(fragment + QStringLiteral(" not in: ") + out));
        }
    }
#endif

    void panelPointerRules()
    {
        m_env.putSideFile(QStringLiteral("HAND-M.CUR"), TestEnvironment::builtPointer());
        m_run.start();
        m_run.toPanel();
        Form1 &panel = m_run.form1();
        WindowPointer &pointer = panel.pointer();
        // Load File, the gap below it, then Save File.
        Harness::hover(&panel.pushButton(1));
        QCOMPARE(pointer.kind(), 99);
        Harness::hover(&panel, QPoint(200, panel.pushButton(1).geometry().bottom() + 3));
        QCOMPARE(pointer.kind(), 0);
        QCOMPARE(panel.cursor().shape(), Qt::ArrowCursor);
        Harness::hover(&panel.pushButton(4));
        QCOMPARE(pointer.kind(), 99);
        // Busy survives every hover.
        pointer.setKind(11);
        Harness::hover(&panel.pushButton(2));
        Harness::hover(&panel);
        QCOMPARE(pointer.kind(), 11);
        QCOMPARE(panel.cursor().shape(), Qt::WaitCursor);
    }

    void writerPointerRules()
    {
        m_run.start(); // no pointer file: the custom kind shows the arrow
        Form2 &writer = m_run.form2();
        Harness::hover(&writer, QPoint(300, 5));
        Harness::hover(&writer.pushButton1());
        QCOMPARE(writer.pointer().kind(), 99);
        QCOMPARE(writer.cursor().shape(), Qt::ArrowCursor);
        Harness::hover(&writer, QPoint(300, 5)); // no rule turns it back
        QCOMPARE(writer.pointer().kind(), 99);
        writer.pointer().setKind(11);
        Harness::hover(&writer.pushButton2());
        QCOMPARE(writer.pointer().kind(), 11);
    }
};

QTEST_MAIN(TestSideFiles)
#include "tst_sidefiles.moc"
