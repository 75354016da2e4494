#include "support/TestEnvironment.h"

#include "app/SettingsStore.h"
#include "app/SideFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

TestEnvironment::TestEnvironment()
{
    qputenv("XDG_CONFIG_HOME", m_root.filePath(QStringLiteral("config")).toLocal8Bit());
    reset();
}

TestEnvironment::~TestEnvironment()
{
    SideFiles::setProgramFolder(QString());
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
    for (const char *sub : {"config", "program", "user"}) {
        QDir dir(m_root.filePath(QLatin1String(sub)));
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
    return readAll(qEnvironmentVariable("INKWELLOR_ART_DIR") + QStringLiteral("/HAND-M.CUR"));
}

QByteArray TestEnvironment::builtSkin()
{
    return readAll(QStringLiteral(INKWELLOR_SOURCE_DIR "/assets/skin.qss"));
}

QString reportLocation(const QString &report)
{
    static const QRegularExpression re(QStringLiteral("\\r\\n(in .* at line \\d+)\\r"));
    const auto m = re.match(report);
    return m.hasMatch() ? m.captured(1) : QString();
}
