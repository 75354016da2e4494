#pragma once

#include <QImage>
#include <QPoint>

namespace Artwork {

// The application icon: a dark page with lines of green writing and a
// caret, as the program looks on its first start.
QImage icon(int size);

// The hand pointer, 32 x 32, and its hotspot on the fingertip.
QImage hand();
QPoint handHotspot();

} // namespace Artwork
