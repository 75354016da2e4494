#include "app/SettingsText.h"

#include "controls/AppError.h"

#include <cmath>
#include <limits>

namespace {

[[noreturn]] void typeMismatch()
{
    throw AppError(QStringLiteral("Type mismatch"));
}
[[noreturn]] void overflow()
{
    throw AppError(QStringLiteral("Overflow"));
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// Parses and rounds half to even; the magnitude saturates well above any
// 32-bit value so that long digit strings report overflow, not wrap.
std::int64_t parseRounded(const QString &text, const QLocale &locale)
{
    const QString point = locale.decimalPoint();
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && isBlank(text.at(i)))
        ++i;
    while (end > i && isBlank(text.at(end - 1)))
        --end;

    bool negative = false;
    if (i < end && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }

    constexpr std::int64_t saturated = std::int64_t(1) << 40;
    std::int64_t whole = 0;
    int digits = 0;
    for (; i < end && text.at(i).isDigit() && text.at(i).unicode() < 128; ++i, ++digits)
        whole = std::min(saturated, whole * 10 + (text.at(i).unicode() - '0'));

    int firstFraction = -1; // first digit after the separator
    bool restNonZero = false;
    if (i < end && text.mid(i, point.size()) == point) {
        i += point.size();
        for (; i < end && text.at(i).isDigit() && text.at(i).unicode() < 128; ++i, ++digits) {
            const int d = text.at(i).unicode() - '0';
            if (firstFraction < 0)
                firstFraction = d;
            else if (d != 0)
                restNonZero = true;
        }
    }
    if (i != end || digits == 0)
        typeMismatch();

    if (firstFraction > 5 || (firstFraction == 5 && (restNonZero || whole % 2 == 1)))
        ++whole;
    return negative ? -whole : whole;
}

} // namespace

std::int16_t textToInt16(const QString &text, const QLocale &locale)
{
    const std::int64_t v = parseRounded(text, locale);
    if (v < std::numeric_limits<std::int16_t>::min() ||
        v > std::numeric_limits<std::int16_t>::max())
        overflow();
    return static_cast<std::int16_t>(v);
}

std::int32_t textToInt32(const QString &text, const QLocale &locale)
{
    const std::int64_t v = parseRounded(text, locale);
    if (v < std::numeric_limits<std::int32_t>::min() ||
        v > std::numeric_limits<std::int32_t>::max())
        overflow();
    return static_cast<std::int32_t>(v);
}

QString sizeToText(float size, const QLocale &locale)
{
    if (!std::isfinite(size))
        overflow();
    // Seven significant digits in scientific form, then laid out in fixed
    // notation by hand so that no exponent and no grouping can appear.
    // QString::number, unlike the C library, ignores the process's numeric
    // locale: under a decimal comma snprintf gave "9,000000e+00".
    const QString sci = QString::number(static_cast<double>(size), 'e', 6);
    const bool negative = sci.startsWith(QLatin1Char('-'));
    const qsizetype ePos = sci.indexOf(QLatin1Char('e'));
    QString mantissa = sci.mid(negative ? 1 : 0, ePos - (negative ? 1 : 0));
    mantissa.remove(QLatin1Char('.'));
    const int exponent = sci.mid(ePos + 1).toInt();

    QString intPart;
    QString fracPart;
    if (exponent >= 0) {
        const int intDigits = exponent + 1;
        intPart = mantissa.left(intDigits).leftJustified(intDigits, QLatin1Char('0'));
        fracPart = mantissa.mid(intDigits);
    } else {
        intPart = QStringLiteral("0");
        fracPart = QString(-exponent - 1, QLatin1Char('0')) + mantissa;
    }
    while (fracPart.endsWith(QLatin1Char('0')))
        fracPart.chop(1);

    QString out = intPart;
    if (!fracPart.isEmpty())
        out += locale.decimalPoint() + fracPart;
    if (negative && out != QLatin1String("0"))
        out.prepend(QLatin1Char('-'));
    return out;
}
