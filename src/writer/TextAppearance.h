#pragma once

class Form2;

// Gives the writing area and its window the stored font and colours, in
// nine steps. Each default is read off the writing area as it stands at
// that step. No trap: the first failing step raises and ends the set-up,
// leaving what was applied before it.
void applyStoredAppearance(Form2 &form);
