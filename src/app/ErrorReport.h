#pragma once

#include <QString>

// The address the error report and About ask the user to write to.
inline constexpr char kSupportAddress[] = "support@inkwellor.app";

// "in Inkwellor2021/08/31.<window>.<handler> ", the report's location text.
QString locationText(const char *window, const char *handler);

// The report exactly as users send it to support: description, CR LF,
// location, "at line ", step, CR, CR, request.
QString composeErrorReport(const QString &description, const QString &location, int step);
