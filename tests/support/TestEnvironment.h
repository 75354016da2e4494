#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>

// Every test runs against its own settings folder and program folder, both
// temporary, so nothing is written outside them.
class TestEnvironment
{
public:
    TestEnvironment();
    ~TestEnvironment();

    // The program folder where side files are looked for.
    QString programFolder() const { return m_root.filePath(QStringLiteral("program")); }
    // A scratch folder for the user's files.
    QString userFolder() const { return m_root.filePath(QStringLiteral("user")); }
    QString userFile(const QString &name) const;
    // The settings file (the registry path on Windows, where the store is
    // no file and the tests of the file itself are skipped).
    QString settingsFile() const;

    // Removes the stored settings and side files between test cases.
    void reset();

    void putSideFile(const QString &relativePath, const QByteArray &bytes) const;
    // The program's own hand pointer and skin as the build made them.
    static QByteArray builtPointer();
    static QByteArray builtSkin();

    // Makes NAME (such as "de_DE"; "C" for none) the number format of the C
    // library and of QLocale, as the user's LANG would; where the machine
    // lacks the locale it is built into a temporary folder. False when it
    // cannot be had.
    static bool useNumberFormat(const QString &name);

#ifdef Q_OS_UNIX
    // For runs as user nobody, which only matter as root: a new folder
    // every user can enter, wherever TMPDIR is, and the command that runs a
    // copy of PROGRAM from it as nobody.
    static std::unique_ptr<QTemporaryDir> sharedFolder();
    static QStringList asNobody(const QTemporaryDir &shared, const QString &program,
                                const QStringList &arguments);
#endif

private:
    QTemporaryDir m_root;
};

// "in Inkwellor2021/08/31.<window>.<handler> at line <n>" for assertions.
QString reportLocation(const QString &report);

// Skips a test that is about the settings file, which Windows does not have.
#ifdef Q_OS_WIN
#define SKIP_WITHOUT_SETTINGS_FILE() QSKIP("the settings store is the registry here")
#else
#define SKIP_WITHOUT_SETTINGS_FILE()
#endif
