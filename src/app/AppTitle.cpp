#include "app/AppTitle.h"

#include <QCoreApplication>
#include <QIcon>
#include <QIconEngine>
#include <QPainter>

QString appTitleFor(const QString &productName)
{
    QString title = productName;
    do {
        const qsizetype space = title.lastIndexOf(QLatin1Char(' '), -1, Qt::CaseSensitive);
        title.truncate(qMax<qsizetype>(space, 0));
    } while (title.size() > 40);
    return title;
}

void setAppTitle()
{
    // The application name, not the display name: Qt appends a display name
    // to every window caption.
    QCoreApplication::setApplicationName(appTitleFor(kProductName));
}

namespace {

// Decodes the icon's images only when a window first needs them: start-up
// sets the icon on a panel that is not shown yet.
class LazyIconEngine : public QIconEngine
{
public:
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {QSize(32, 32), QSize(48, 48), QSize(128, 128), QSize(256, 256)};
    }
    QIconEngine *clone() const override { return new LazyIconEngine; }
    QString key() const override { return QStringLiteral("inkwellor-lazy"); }

private:
    const QIcon &icon()
    {
        if (m_icon.isNull()) {
            for (const QSize &size : availableSizes(QIcon::Normal, QIcon::Off))
                m_icon.addFile(QStringLiteral(":/icons/inkwellor-%1.png").arg(size.width()), size);
        }
        return m_icon;
    }

    QIcon m_icon;
};

} // namespace

QIcon applicationIcon()
{
    return QIcon(new LazyIconEngine);
}
