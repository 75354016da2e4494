#pragma once

#include <QString>

// Qt logs and ignores a style sheet it cannot parse; a skin must fail
// loudly instead. Checks the structure every Qt style sheet has: rules of
// selectors and a braced list of "property: value" declarations, with
// comments and quoted strings anywhere. Returns the fault, or an empty text.
QString checkStyleSheet(const QString &css);
