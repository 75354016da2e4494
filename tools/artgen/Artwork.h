#pragma once

#include <QByteArray>
#include <QImage>
#include <QPoint>

namespace Artwork {

// The application icon: a dark page with lines of green writing and a
// caret. Opaque: the square filled, for icon formats without alpha.
QImage icon(int size, bool opaque = false);
// The same drawing as a scalable SVG image.
QByteArray svg();

// The hand pointer, 32 x 32, and its hotspot on the fingertip.
QImage hand();
QPoint handHotspot();

} // namespace Artwork
