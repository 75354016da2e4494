#include "app/ErrorReport.h"

QString locationText(const char *window, const char *handler)
{
    return QStringLiteral("in Inkwellor2021/08/31.%1.%2 ")
        .arg(QLatin1String(window), QLatin1String(handler));
}

QString composeErrorReport(const QString &description, const QString &location, int step)
{
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ") +
           QString::number(step) +
           QStringLiteral("\r\rPlease email screenshot of this message to ") +
           QLatin1String(kSupportAddress);
}
