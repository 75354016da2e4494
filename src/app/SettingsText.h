#pragma once

#include <QLocale>
#include <QString>
#include <cstdint>

// Conversions between the settings store's texts and numbers. A number is:
// optional blanks, an optional sign, digits with an optional decimal part
// (the locale's separator), optional blanks. No grouping, no exponent.
// Failures raise AppError "Type mismatch" or "Overflow".

// Rounds to the nearest whole number, a half going to the even neighbour.
std::int16_t textToInt16(const QString &text, const QLocale &locale = QLocale());
std::int32_t textToInt32(const QString &text, const QLocale &locale = QLocale());

// Single precision, at most seven significant digits, no exponent, no
// grouping, no decimal part when whole.
QString sizeToText(float size, const QLocale &locale = QLocale());

inline QString flagToText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}
