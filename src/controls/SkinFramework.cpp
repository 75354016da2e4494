#include "controls/SkinFramework.h"

#include "controls/AppError.h"
#include "controls/StyleSheetCheck.h"
#include "controls/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QWidget>

namespace {

constexpr qint64 kMaxSkinBytes = 1024 * 1024;
constexpr qint64 kMaxImageBytes = 16 * 1024 * 1024;

// Qt's style engine opens every file a skin names while it paints, where a
// pipe would block and a device never end: each must be an ordinary file
// of sane size, or one of the program's own resources.
QString unusableUrl(const QString &css)
{
    for (const QString &url : styleSheetUrls(css)) {
        if (url.startsWith(QLatin1String(":/")) || url.startsWith(QLatin1String("qrc:")))
            continue;
        const QFileInfo info(url);
        const QString shown = QDir::toNativeSeparators(url);
        if (!info.exists())
            return QStringLiteral("The skin names a file that does not exist: %1").arg(shown);
        if (!info.isFile())
            return QStringLiteral("The skin names %1, which is not an ordinary file.").arg(shown);
        if (info.size() > kMaxImageBytes)
            return QStringLiteral("The skin names %1, which is too large for an image.").arg(shown);
    }
    return {};
}

} // namespace

void SkinFramework::loadSkin(const QString &path, const QString &)
{
    if (QFileInfo(path).size() > kMaxSkinBytes)
        throw AppError(QStringLiteral("The skin file %1 is too large to be a style sheet.")
                           .arg(QDir::toNativeSeparators(path)));
    const TextFile::Decoded file = TextFile::read(path);
    if (!file.error.isEmpty())
        throw AppError(QStringLiteral("The skin file cannot be used. %1").arg(file.error));
    QString fault = checkStyleSheet(file.text);
    if (fault.isEmpty())
        fault = unusableUrl(file.text);
    if (!fault.isEmpty())
        throw AppError(fault);
    m_styleSheet = file.text;
}

void SkinFramework::applyWindow(QWidget *window)
{
    if (!window)
        throw AppError(QStringLiteral("The skin has no window to apply to."));
    if (m_styleSheet.isEmpty())
        throw AppError(QStringLiteral("No skin has been loaded."));
    window->setStyleSheet(m_styleSheet);
}
