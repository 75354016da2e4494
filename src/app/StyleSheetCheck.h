#pragma once

#include <QString>
#include <QStringList>

// Qt logs and ignores a style sheet it cannot parse; a skin must fail
// loudly instead. Checks the structure every Qt style sheet has: rules of
// selectors and a braced list of "property: value" declarations, with
// comments and quoted strings anywhere. Returns the fault, or an empty text.
QString checkStyleSheet(const QString &css);

// Every file a style sheet names in url(...), in order, as written.
QStringList styleSheetUrls(const QString &css);

// What makes a skin unfit to be applied: the check above, then every file
// it names, which must be an ordinary file of an image's size (or one of
// the program's resources). Empty when the skin may be applied.
QString skinFault(const QString &css);
