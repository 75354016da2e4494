// The real dialogs behind the dialog seam, offscreen: what the adapters hand
// them and read back, as a user who only presses OK or Ctrl+C sees it.
#include "app/QtTranslations.h"
#include "controls/CommonDialog.h"
#include "controls/Modal.h"
#include "support/TestEnvironment.h"

#include <QClipboard>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <QTreeView>
#include <QtTest>
#include <functional>

namespace {

// Runs `act` on the next modal dialog once it is up.
void whenModal(std::function<void(QWidget *)> act)
{
    QTimer::singleShot(0, [act] {
        if (QWidget *modal = QApplication::activeModalWidget())
            act(modal);
    });
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

    TestEnvironment m_env; // Qt's own files go to its folders too

private slots:
    // Regression: "Arial" is only an alias on Linux, so the font dialog
    // preset its first family and OK on an untouched dialog changed the font.
    void fontDialogUntouchedKeepsTheFont_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<float>("size");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::newRow("alias face") << "Arial" << 9.0f << true << false;
        QTest::newRow("face the machine lacks")
            << "No Such Face Anywhere" << 12.0f << false << true;
        QTest::newRow("real family, half size") << "DejaVu Serif" << 10.5f << false << false;
    }

    void fontDialogUntouchedKeepsTheFont()
    {
        QFETCH(QString, name);
        QFETCH(float, size);
        QFETCH(bool, bold);
        QFETCH(bool, italic);
        CommonDialog dialog;
        dialog.setFontName(name);
        dialog.setFontSize(size);
        dialog.setFontBold(bold);
        dialog.setFontItalic(italic);
        QString shownFamily;
        whenModal([&](QWidget *modal) {
            auto *fonts = qobject_cast<QFontDialog *>(modal);
            QVERIFY(fonts);
            shownFamily = fonts->currentFont().family();
            fonts->accept();
        });
        dialog.showFont();
        QVERIFY(!dialog.cancelled());
        QCOMPARE(shownFamily, QFontInfo(QFont(name)).family());
        QCOMPARE(dialog.fontName(), name);
        QCOMPARE(dialog.fontSize(), size);
        QCOMPARE(dialog.fontBold(), bold);
        QCOMPARE(dialog.fontItalic(), italic);
    }

    // Regression: "*.*" listed only names with a dot outside Windows, so a
    // file saved as "chapter1" could not be loaded.
    void allFilesListsNamesWithoutADot()
    {
        QTemporaryDir dir;
        for (const char *name : {"chapter1", "notes.txt"}) {
            QFile f(dir.filePath(QLatin1String(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QFileDialog files(nullptr, QString(), dir.path());
        files.setOption(QFileDialog::DontUseNativeDialog);
        files.setNameFilters(CommonDialog::qtFilters(QStringLiteral("All Files (*.*)|*.*|")));
        auto *model = files.findChild<QFileSystemModel *>();
        QVERIFY(model);
        QTRY_COMPARE(model->rowCount(model->index(dir.path())), 2);
    }

#ifdef Q_OS_UNIX
    // Regression: Qt's file dialog opened its own QtProject.conf beside the
    // user's settings whatever it was: a FIFO hung Load File, a folder or a
    // dangling lock froze it, 100 MB stalled it; and it wrote the file there.
    void fileDialogLeavesQtsOwnFileAlone_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("absent: nothing is written") << "absent";
        QTest::newRow("a FIFO") << "fifo";
        QTest::newRow("a folder") << "folder";
        QTest::newRow("its lock a dangling link") << "lock";
        QTest::newRow("100 MB") << "large";
    }

    void fileDialogLeavesQtsOwnFileAlone()
    {
        QFETCH(QString, what);
        const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
        QVERIFY(QDir().mkpath(config));
        const QString conf = config + QStringLiteral("/QtProject.conf");
        auto clean = [&] {
            QFile::remove(conf + QStringLiteral(".lock"));
            QDir(conf).removeRecursively();
            QFile::remove(conf);
        };
        clean(); // the tests' own dialogs in this process write it
        const auto cleanAfter = qScopeGuard(clean);
        if (what == QLatin1String("fifo"))
            QCOMPARE(QProcess::execute(QStringLiteral("mkfifo"), {conf}), 0);
        else if (what == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(conf));
        else if (what == QLatin1String("lock"))
            QVERIFY(
                QFile::link(QStringLiteral("/nonexistent/lock"), conf + QStringLiteral(".lock")));
        else if (what == QLatin1String("large"))
            QVERIFY(QFile(conf).open(QIODevice::WriteOnly) && QFile(conf).resize(100 << 20));
        QProcess probe;
        probe.start(qEnvironmentVariable("PROBE"), {QStringLiteral("dialog"), config});
        const bool ended = probe.waitForFinished(20000);
        if (!ended)
            probe.kill();
        QVERIFY2(ended, "the dialog hung");
        QVERIFY(probe.readAllStandardOutput().contains("dialog closed"));
        if (what == QLatin1String("absent"))
            QVERIFY(!QFileInfo::exists(conf));
    }
#endif

    // Regression: the save dialog's columns were cut ("17....KiB") and it
    // started in the folder the program was started from.
    void fileDialogStartsInTheFolderWithItsColumnsWhole()
    {
        QTemporaryDir folder;
        QString shown;
        int size = 0;
        int date = 0;
        QFontMetrics metrics(QApplication::font());
        whenModal([&](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            if (auto *view = dialog ? dialog->findChild<QTreeView *>() : nullptr) {
                shown = dialog->directory().absolutePath();
                size = view->header()->sectionSize(1);
                date = view->header()->sectionSize(3);
                metrics = QFontMetrics(view->font());
            }
            modal->close();
        });
        Modal::FileRequest request;
        request.folder = folder.path();
        QVERIFY(!Modal::instance().saveFileName(request));
        QCOMPARE(shown, QDir(folder.path()).absolutePath());
        QVERIFY(size > metrics.horizontalAdvance(QStringLiteral("1023.9 KiB")));
        QVERIFY(date > metrics.horizontalAdvance(
                           QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat)));
    }

    // Qt's dialogs speak the user's language; English needs no translation.
    void qtTextsAreInTheUsersLanguage_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("cancel");
        QTest::addColumn<QString>("lookIn");
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << "Abbrechen"
                                << "Suchen in:";
        QTest::newRow("French") << QLocale(QLocale::French, QLocale::France) << "Annuler"
                                << "Voir dans :";
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates) << "Cancel"
                                 << "Look in:";
    }

    void qtTextsAreInTheUsersLanguage()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, cancel);
        QFETCH(QString, lookIn);
        QTranslator *translator = installQtTranslations(locale);
        QMessageBox box(QMessageBox::NoIcon, QString(), QString(), QMessageBox::Cancel);
        const QString shown = box.button(QMessageBox::Cancel)->text().remove(QLatin1Char('&'));
        const QString label = QCoreApplication::translate("QFileDialog", "Look in:");
        if (translator)
            QCoreApplication::removeTranslator(translator);
        delete translator;
        QCOMPARE(shown, cancel);
        QCOMPARE(label, lookIn);
    }

    // The error report can be copied whole with Ctrl+C, on every platform;
    // a click into its text once made Ctrl+C copy nothing.
    void reportIsCopiedWithCtrlC_data()
    {
        QTest::addColumn<bool>("clicked");
        QTest::newRow("the box has the focus") << false;
        QTest::newRow("after a click into the text") << true;
    }

    void reportIsCopiedWithCtrlC()
    {
        QFETCH(bool, clicked);
        const QString report =
            QStringLiteral("Disk full\r\nin X at line 110\r\rPlease email screenshot of this");
        QGuiApplication::clipboard()->clear();
        whenModal([clicked](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            QVERIFY(box);
            QWidget *target = box;
            if (clicked) {
                target = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
                QVERIFY(target);
                QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(4, 4));
            }
            QTest::keySequence(target, QKeySequence::Copy);
            box->accept();
        });
        Modal::instance().messageBox(report, Modal::StyleExclamation,
                                     QStringLiteral("Application Error"));
        const QString copied = QGuiApplication::clipboard()->text();
        QVERIFY2(copied.contains(QStringLiteral("Disk full\nin X at line 110\n\nPlease email")),
                 qPrintable(copied));
        QVERIFY(copied.contains(QStringLiteral("Application Error")));
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
