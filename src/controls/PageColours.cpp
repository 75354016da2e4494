#include "controls/PageColours.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace PageColours {

namespace {

double luminance(const QColor &c)
{
    auto channel = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

QColor mix(const QColor &from, const QColor &to, double share)
{
    auto at = [share](double a, double b) { return a + (b - a) * share; };
    return QColor::fromRgbF(float(at(from.redF(), to.redF())),
                            float(at(from.greenF(), to.greenF())),
                            float(at(from.blueF(), to.blueF())));
}

} // namespace

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Selection selection(const QColor &ink, const QColor &page)
{
    // The lightest blend that is plainly not the page, its text the ink
    // where that reads, else the page's colour, else black or white.
    for (int step = 3; step <= 10; ++step) {
        const QColor highlight = mix(page, ink, step / 10.0);
        if (contrast(highlight, page) < 1.25)
            continue;
        for (const QColor &text : {ink, page, QColor(Qt::black), QColor(Qt::white)}) {
            if (contrast(text, highlight) >= MinimumContrast)
                return {highlight, text};
        }
    }
    // Text and page too alike to blend: a grey apart from the page.
    const bool darkPage = luminance(page) < 0.18;
    const QColor highlight = darkPage ? QColor(200, 200, 200) : QColor(64, 64, 64);
    return {highlight, darkPage ? QColor(Qt::black) : QColor(Qt::white)};
}

} // namespace PageColours
