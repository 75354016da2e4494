#pragma once

#include <QColor>
#include <QPalette>
#include <cstdint>

// Colours as the settings store and the dialogs exchange them: 0x00BBGGRR,
// or 0x80000000 plus an index for one of the platform's system colours.
namespace OleColor {

inline constexpr std::int32_t ButtonFace = std::int32_t(0x8000000F);
inline constexpr std::int32_t ButtonText = std::int32_t(0x80000012);
inline constexpr std::int32_t WindowBackground = std::int32_t(0x80000005);
inline constexpr std::int32_t White = 0x00FFFFFF;

// Raises AppError for a value that is neither form.
QColor toColor(std::int32_t value, const QPalette &systemPalette);
// Uses the application's palette for system colours.
QColor toColor(std::int32_t value);
std::int32_t fromColor(const QColor &color);

} // namespace OleColor
