#pragma once

#include <QPushButton>

// A design-time button: caption, place in twips and font fixed, caption in
// the system button-text colour on white. Reports clicks and pointer moves.
class PushButton : public QPushButton
{
    Q_OBJECT

public:
    PushButton(const QString &caption, const QRect &twips, const QFont &font, QWidget *parent);

    int heightTwips() const;

signals:
    void mouseMoved();

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
};
