#pragma once

#include <QColor>

// The selection in the page's own colours: a blend of text and page that
// the selected text stands out from, by the WCAG contrast formula at least
// MinimumContrast, whatever the two colours are.
namespace PageColours {

inline constexpr double MinimumContrast = 4.5;

struct Selection
{
    QColor highlight;
    QColor text;
};

double contrast(const QColor &a, const QColor &b);
Selection selection(const QColor &ink, const QColor &page);

} // namespace PageColours
