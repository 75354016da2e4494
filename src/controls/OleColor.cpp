#include "controls/OleColor.h"

#include "controls/AppError.h"

#include <QApplication>
#include <array>

namespace {

struct SystemColour
{
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// Every index of the Windows system-colour table, mapped to the palette role
// that plays the same part on the running platform. Index 25 is unassigned.
constexpr std::array<SystemColour, 31> kSystemColours{{
    {QPalette::Active, QPalette::Mid},             // 0 scroll bar
    {QPalette::Active, QPalette::Dark},            // 1 desktop
    {QPalette::Active, QPalette::Highlight},       // 2 active caption
    {QPalette::Inactive, QPalette::Button},        // 3 inactive caption
    {QPalette::Active, QPalette::Window},          // 4 menu
    {QPalette::Active, QPalette::Base},            // 5 window background
    {QPalette::Active, QPalette::Shadow},          // 6 window frame
    {QPalette::Active, QPalette::WindowText},      // 7 menu text
    {QPalette::Active, QPalette::Text},            // 8 window text
    {QPalette::Active, QPalette::HighlightedText}, // 9 caption text
    {QPalette::Active, QPalette::Button},          // 10 active border
    {QPalette::Inactive, QPalette::Button},        // 11 inactive border
    {QPalette::Active, QPalette::Dark},            // 12 application workspace
    {QPalette::Active, QPalette::Highlight},       // 13 highlight
    {QPalette::Active, QPalette::HighlightedText}, // 14 highlighted text
    {QPalette::Active, QPalette::Button},          // 15 button face
    {QPalette::Active, QPalette::Dark},            // 16 button shadow
    {QPalette::Disabled, QPalette::Text},          // 17 grey text
    {QPalette::Active, QPalette::ButtonText},      // 18 button text
    {QPalette::Inactive, QPalette::WindowText},    // 19 inactive caption text
    {QPalette::Active, QPalette::Light},           // 20 button highlight
    {QPalette::Active, QPalette::Shadow},          // 21 3D dark shadow
    {QPalette::Active, QPalette::Midlight},        // 22 3D light
    {QPalette::Active, QPalette::ToolTipText},     // 23 tooltip text
    {QPalette::Active, QPalette::ToolTipBase},     // 24 tooltip background
    {QPalette::Active, QPalette::NoRole},          // 25 unassigned
    {QPalette::Active, QPalette::Link},            // 26 hot-tracked item
    {QPalette::Active, QPalette::Highlight},       // 27 active caption gradient
    {QPalette::Inactive, QPalette::Button},        // 28 inactive caption gradient
    {QPalette::Active, QPalette::Highlight},       // 29 menu highlight
    {QPalette::Active, QPalette::Window},          // 30 menu bar
}};

[[noreturn]] void invalid(std::int32_t value)
{
    throw AppError(QStringLiteral("Invalid colour value %1 (0x%2).")
                       .arg(value)
                       .arg(static_cast<std::uint32_t>(value), 8, 16, QLatin1Char('0')));
}

} // namespace

namespace OleColor {

QColor toColor(std::int32_t value, const QPalette &systemPalette)
{
    const auto bits = static_cast<std::uint32_t>(value);
    if (bits & 0x80000000u) {
        const std::uint32_t index = bits & 0x7FFFFFFFu;
        if (index >= kSystemColours.size() || kSystemColours[index].role == QPalette::NoRole)
            invalid(value);
        const SystemColour &c = kSystemColours[index];
        return systemPalette.color(c.group, c.role);
    }
    if (bits & 0xFF000000u)
        invalid(value);
    return QColor(int(bits & 0xFF), int((bits >> 8) & 0xFF), int((bits >> 16) & 0xFF));
}

QColor toColor(std::int32_t value)
{
    return toColor(value, QApplication::palette());
}

std::int32_t fromColor(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return std::int32_t(rgb.red() | (rgb.green() << 8) | (rgb.blue() << 16));
}

} // namespace OleColor
