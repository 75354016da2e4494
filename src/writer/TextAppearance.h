#pragma once

#include <cstdint>
#include <functional>

class RichTextBox;

// Gives the writing area and its window the stored font and colours, in
// nine steps; the window's colour through `setWindowBackColor`. Each
// default is read off the writing area as it stands at that step. No trap:
// the first failing step raises and ends the set-up, leaving what was
// applied before it.
void applyStoredAppearance(RichTextBox &text,
                           const std::function<void(std::int32_t)> &setWindowBackColor);
