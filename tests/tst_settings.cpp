// The settings store: exact texts, defaults, failures and two writers.
#include "app/SettingsStore.h"
#include "controls/AppError.h"
#include "support/TestEnvironment.h"

#include <QtTest>

class TestSettings : public QObject
{
    Q_OBJECT

    TestEnvironment m_env;

private slots:
    void init() { m_env.reset(); }

    void textsRoundTripExactly_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("ForeColor green") << int(SettingKey::ForeColor) << "65280";
        QTest::newRow("BackColor system colour") << int(SettingKey::BackColor) << "-2147483633";
        QTest::newRow("Size with decimal part") << int(SettingKey::Size) << "10.5";
        QTest::newRow("Name with spaces") << int(SettingKey::Name) << "Liberation Serif";
        QTest::newRow("Name with commas") << int(SettingKey::Name) << "Foo, Bar, Baz";
        QTest::newRow("Name non-Latin") << int(SettingKey::Name) << "Шрифт 明朝";
        QTest::newRow("Name with leading @") << int(SettingKey::Name) << "@Mincho";
        QTest::newRow("Bold on") << int(SettingKey::Bold) << "1";
        QTest::newRow("Italic off") << int(SettingKey::Italic) << "0";
        QTest::newRow("Strikethrough") << int(SettingKey::Strikethrough) << "1";
        QTest::newRow("Underline") << int(SettingKey::Underline) << "0";
    }

    void textsRoundTripExactly()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        SettingsStore::write(SettingKey(key), text);
        QCOMPARE(SettingsStore::read(SettingKey(key), QStringLiteral("default")), text);
#ifndef Q_OS_WIN // where the store is a file
        // The file stays a readable INI file with the section and key in it.
        QFile file(m_env.settingsFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray ini = file.readAll();
        QVERIFY(ini.contains("[Inkwellor%20Software]"));
        QVERIFY(ini.contains(SettingsStore::keyName(SettingKey(key)).toLatin1() + '='));
#endif
    }

    void missingKeysGiveTheDefault()
    {
        QCOMPARE(SettingsStore::read(SettingKey::Name, QStringLiteral("Arial")), "Arial");
        QCOMPARE(SettingsStore::readColor(SettingKey::ForeColor, 65280), 65280);
        QCOMPARE(SettingsStore::readSize(9.0f), 9);
        QCOMPARE(SettingsStore::readFlag(SettingKey::Bold, true), true);
#ifndef Q_OS_WIN
        QVERIFY(!QFile::exists(m_env.settingsFile())); // reading writes nothing
#endif
    }

    void writeFailureRaisesWithAReason()
    {
        SKIP_WITHOUT_SETTINGS_FILE();
        // A folder where the file should be stops even root.
        QVERIFY(QDir().mkpath(m_env.settingsFile()));
        try {
            SettingsStore::write(SettingKey::ForeColor, QStringLiteral("255"));
            QFAIL("the write should have failed");
        } catch (const AppError &e) {
            QVERIFY2(e.description().contains(QStringLiteral("ForeColor")),
                     qPrintable(e.description()));
            QVERIFY(e.description().contains(QStringLiteral("cannot be written")));
        }
        QVERIFY(QDir().rmdir(m_env.settingsFile()));
    }

    void damagedFileKeepsWhatCanBeRead_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("name"); // what "Name" then reads
        QTest::addColumn<bool>("copied");  // kept aside before the write
        // Regression: one stray line reset every setting and the next write
        // moved the whole file aside.
        QTest::newRow("a line without =")
            << QByteArray("[Inkwellor%20Software]\nForeColor=255\nstray line\nName=Arial\n")
            << "Arial" << false;
        QTest::newRow("broken section header after good keys")
            << QByteArray("[Inkwellor%20Software]\nForeColor=255\nName=Arial\n[broken\n") << "Arial"
            << false;
        QTest::newRow("binary junk") << QByteArray("\x01\x02\x03garbage\xc3(") << "dflt" << true;
    }

    void damagedFileKeepsWhatCanBeRead()
    {
        SKIP_WITHOUT_SETTINGS_FILE();
        QFETCH(QByteArray, content);
        QFETCH(QString, name);
        QFETCH(bool, copied);
        QDir().mkpath(QFileInfo(m_env.settingsFile()).path());
        QFile file(m_env.settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();

        // Found by fuzzing: Qt writes no file it cannot parse whole, so the
        // write came back as failed.
        SettingsStore::write(SettingKey::Size, QStringLiteral("12"));
        QCOMPARE(SettingsStore::read(SettingKey::Size, QString()), "12");
        QCOMPARE(SettingsStore::read(SettingKey::Name, QStringLiteral("dflt")), name);

        const QFileInfo info(m_env.settingsFile());
        const QStringList copies =
            info.dir().entryList({info.fileName() + QStringLiteral(".unreadable-*")});
        QCOMPARE(copies.size(), copied ? 1 : 0);
        if (copied) {
            QFile copy(info.dir().filePath(copies.first()));
            QVERIFY(copy.open(QIODevice::ReadOnly));
            QCOMPARE(copy.readAll(), content);
        }
    }

    // Regression: the verdict "unreadable" was remembered per process, so
    // a copy that had seen the file damaged moved aside the good file that
    // another copy wrote meanwhile, and that copy's choice was lost.
    void anotherCopysGoodFileIsNeverMovedAside()
    {
        SKIP_WITHOUT_SETTINGS_FILE();
        QDir().mkpath(QFileInfo(m_env.settingsFile()).path());
        QFile file(m_env.settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Inkwellor%20Software]\nstray line\n");
        file.close();
        QCOMPARE(SettingsStore::read(SettingKey::ForeColor, QStringLiteral("dflt")), "dflt");
        QProcess other;
        other.start(qEnvironmentVariable("SETTINGS_WRITER"),
                    {QStringLiteral("fore"), QStringLiteral("8")});
        QVERIFY(other.waitForFinished(60000));
        SettingsStore::write(SettingKey::BackColor, QStringLiteral("5"));
        QCOMPARE(SettingsStore::read(SettingKey::ForeColor, QStringLiteral("lost")), "7");
        const QFileInfo info(m_env.settingsFile());
        QCOMPARE(info.dir().entryList({info.fileName() + QStringLiteral(".unreadable-*")}).size(),
                 1);
    }

    void concurrentWritersNeverCorruptTheFile()
    {
        const QString writer = qEnvironmentVariable("SETTINGS_WRITER");
        QVERIFY(QFile::exists(writer));
        QProcess fore;
        QProcess back;
        fore.start(writer, {QStringLiteral("fore"), QStringLiteral("150")});
        back.start(writer, {QStringLiteral("back"), QStringLiteral("150")});
        QVERIFY(fore.waitForFinished(60000));
        QVERIFY(back.waitForFinished(60000));
        QCOMPARE(fore.exitCode(), 0);
        QCOMPARE(back.exitCode(), 0);
        // Each writer's last value is there: neither overwrote the other's key.
        QCOMPARE(SettingsStore::readColor(SettingKey::ForeColor, -1), 149);
        QCOMPARE(SettingsStore::readColor(SettingKey::BackColor, -1), 149);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
