#include "app/SideFiles.h"

#include "app/StyleSheetCheck.h"
#include "controls/OleColor.h"
#include "controls/SkinFramework.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QWidget>

namespace {
QString g_programFolder;
}

namespace SideFiles {

QString programFolder()
{
    return g_programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : g_programFolder;
}

void setProgramFolder(const QString &folder)
{
    g_programFolder = folder;
}

QString pointerPath()
{
    return QDir(programFolder()).filePath(QStringLiteral("HAND-M.CUR"));
}

QString skinPath()
{
    return QDir(programFolder()).filePath(QStringLiteral("x/o.cjs"));
}

bool fileExists(const QString &path) noexcept
{
    try {
        const QFileInfo info(path);
        return info.exists() && info.lastModified().isValid();
    } catch (...) {
        return false;
    }
}

void applySkin(QWidget *panel, SkinFramework &skin)
{
    // Ordinary files only: a hidden or system file is not a skin. One that
    // cannot be read is found, so that loading it says why.
    const QFileInfo expected(skinPath());
    const QStringList found = expected.dir().entryList({expected.fileName()}, QDir::Files);
    const QString name = found.isEmpty() ? QString() : found.constFirst();
    if (name.isEmpty())
        return;

    QPalette p = panel->palette();
    p.setColor(QPalette::Window, OleColor::toColor(OleColor::ButtonFace));
    panel->setPalette(p);

    skin.setCheck(skinFault);
    skin.loadSkin(expected.dir().filePath(name), QString());
    skin.setApplyOptions(skin.applyOptions() | 1);
    skin.setOption5(true);
    skin.setOption10(true);
    skin.applyWindow(panel);
}

} // namespace SideFiles
