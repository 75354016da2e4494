#include "controls/SkinFramework.h"

#include "controls/AppError.h"
#include "controls/text/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QWidget>

namespace {

constexpr qint64 kMaxSkinBytes = 1024 * 1024;

} // namespace

void SkinFramework::loadSkin(const QString &path, const QString &)
{
    if (QFileInfo(path).size() > kMaxSkinBytes)
        throw AppError(QStringLiteral("The skin file %1 is too large to be a style sheet.")
                           .arg(QDir::toNativeSeparators(path)));
    const TextFile::Decoded file = TextFile::read(path);
    if (!file.error.isEmpty())
        throw AppError(QStringLiteral("The skin file cannot be used. %1").arg(file.error));
    if (m_check) {
        if (const QString fault = m_check(file.text); !fault.isEmpty())
            throw AppError(fault);
    }
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
