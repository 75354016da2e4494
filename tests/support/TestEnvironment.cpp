#include "support/TestEnvironment.h"

#include "app/SettingsStore.h"
#include "app/SideFiles.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <clocale>
#include <vector>

#ifdef Q_OS_WIN
#include <windows.h>

namespace {
// On Windows the store is the registry: HKEY_CURRENT_USER is pointed at a
// key of this run's own for the life of the test process.
const std::wstring kTestHive =
    L"Software\\Inkwellor Tests\\" + std::to_wstring(::GetCurrentProcessId());
HKEY g_hive = nullptr;
} // namespace
#endif

TestEnvironment::TestEnvironment()
{
#ifdef Q_OS_WIN
    if (!g_hive && ::RegCreateKeyExW(HKEY_CURRENT_USER, kTestHive.c_str(), 0, nullptr, 0,
                                     KEY_ALL_ACCESS, nullptr, &g_hive, nullptr) == ERROR_SUCCESS)
        ::RegOverridePredefKey(HKEY_CURRENT_USER, g_hive);
    // Helper processes the tests start use the same key.
    qputenv("INKWELLOR_TEST_HIVE", QString::fromStdWString(kTestHive).toUtf8());
#else
    qputenv("XDG_CONFIG_HOME", m_root.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", m_root.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", m_root.filePath(QStringLiteral("cache")).toLocal8Bit());
#endif
    reset();
}

TestEnvironment::~TestEnvironment()
{
    SideFiles::setProgramFolder(QString());
#ifdef Q_OS_WIN
    if (g_hive) {
        ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        ::RegCloseKey(g_hive);
        g_hive = nullptr;
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestHive.c_str());
    }
#endif
}

QString TestEnvironment::userFile(const QString &name) const
{
    return QDir(userFolder()).filePath(name);
}

QString TestEnvironment::settingsFile() const
{
    return SettingsStore::location();
}

void TestEnvironment::reset()
{
#ifdef Q_OS_WIN
    if (g_hive)
        ::RegDeleteTreeW(g_hive, nullptr);
#endif
    for (const char *sub : {"config", "program", "user"}) {
        QDir dir(m_root.filePath(QLatin1String(sub)));
        QFile::remove(dir.path()); // a test may have put a file in its place
        dir.removeRecursively();
        dir.mkpath(QStringLiteral("."));
    }
    SideFiles::setProgramFolder(programFolder());
}

void TestEnvironment::putSideFile(const QString &relativePath, const QByteArray &bytes) const
{
    const QString path = QDir(programFolder()).filePath(relativePath);
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

QByteArray TestEnvironment::builtPointer()
{
    return contentOf(qEnvironmentVariable("INKWELLOR_ART_DIR") + QStringLiteral("/HAND-M.CUR"));
}

QByteArray TestEnvironment::builtSkin()
{
    return contentOf(QStringLiteral(INKWELLOR_SOURCE_DIR "/assets/skin.qss"));
}

#ifdef Q_OS_UNIX
namespace {
bool everyoneCanEnter(QString path)
{
    for (; !path.isEmpty() && path != QLatin1String("/"); path = QFileInfo(path).path()) {
        if (!(QFileInfo(path).permissions() & QFileDevice::ExeOther))
            return false;
    }
    return true;
}
} // namespace

std::unique_ptr<QTemporaryDir> TestEnvironment::sharedFolder()
{
    for (const QString &base :
         {QDir::tempPath(), QStringLiteral("/tmp"), QStringLiteral("/var/tmp")}) {
        if (!everyoneCanEnter(base))
            continue;
        auto dir =
            std::make_unique<QTemporaryDir>(base + QStringLiteral("/inkwellor-shared-XXXXXX"));
        if (dir->isValid() && QFile::setPermissions(dir->path(), QFileDevice::Permissions(0x7755)))
            return dir;
    }
    return nullptr;
}

QStringList TestEnvironment::asNobody(const QTemporaryDir &shared, const QString &program,
                                      const QStringList &arguments)
{
    const QString copy = shared.filePath(QFileInfo(program).fileName());
    QFile::copy(program, copy);
    return QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                       QStringLiteral("--clear-groups"), copy} +
           arguments;
}
#endif

QString reportLocation(const QString &report)
{
    static const QRegularExpression re(QStringLiteral("\\r\\n(in .* at line \\d+)\\r"));
    const auto m = re.match(report);
    return m.hasMatch() ? m.captured(1) : QString();
}

bool TestEnvironment::useNumberFormat(const QString &name)
{
    const QByteArray posix =
        name == QLatin1String("C") ? QByteArray("C") : name.toLatin1() + ".UTF-8";
    bool ok = std::setlocale(LC_ALL, posix.constData()) != nullptr;
#ifdef Q_OS_UNIX
    if (!ok) {
        // A folder of its own each time: the C library remembers a name it
        // did not find in a folder.
        static std::vector<std::unique_ptr<QTemporaryDir>> built;
        built.push_back(std::make_unique<QTemporaryDir>());
        QProcess::execute(QStringLiteral("localedef"),
                          {QStringLiteral("-i"), name, QStringLiteral("-f"),
                           QStringLiteral("UTF-8"),
                           built.back()->filePath(QString::fromLatin1(posix))});
        qputenv("LOCPATH", built.back()->path().toLocal8Bit());
        ok = std::setlocale(LC_ALL, posix.constData()) != nullptr;
    }
#else
    if (!ok)
        ok = std::setlocale(LC_ALL, name.toLatin1().replace('_', '-').constData()) != nullptr;
#endif
    QLocale::setDefault(QLocale(name));
    return ok;
}
