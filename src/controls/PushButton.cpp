#include "controls/PushButton.h"

#include "controls/OleColor.h"
#include "controls/Twips.h"

#include <QMouseEvent>

PushButton::PushButton(const QString &caption, const QRect &twips, const QFont &font,
                       QWidget *parent)
    : QPushButton(caption, parent)
{
    setGeometry(Twips::toPixels(twips.x(), twips.y(), twips.width(), twips.height()));
    setFont(font);
    QPalette p = palette();
    p.setColor(QPalette::Button, OleColor::toColor(OleColor::White));
    p.setColor(QPalette::ButtonText, OleColor::toColor(OleColor::ButtonText));
    setPalette(p);
    setAutoDefault(false);
    setMouseTracking(true);
}

int PushButton::heightTwips() const
{
    return Twips::fromPixels(height());
}

void PushButton::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved();
    QPushButton::mouseMoveEvent(event);
    // A move over the button is not a move over the window behind it.
    event->accept();
}
