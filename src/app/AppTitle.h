#pragma once

#include <QString>

class QIcon;

inline const QString kProductName = QStringLiteral("Inkwellor Software");

// The product name less its last word, and less further words while it is
// longer than 40 characters.
QString appTitleFor(const QString &productName);

// Makes appTitleFor(kProductName) the title of untitled message boxes.
void setAppTitle();

// The program's icon in its four sizes.
QIcon applicationIcon();
