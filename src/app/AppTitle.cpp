#include "app/AppTitle.h"

#include <QCoreApplication>
#include <QIcon>

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

QIcon applicationIcon()
{
    QIcon icon;
    for (const int size : {32, 48, 128, 256})
        icon.addFile(QStringLiteral(":/icons/inkwellor-%1.png").arg(size), QSize(size, size));
    return icon;
}
