#pragma once

#include <QObject>

class QWidget;

// Esc hands the screen from one window to the other. Pressed faster than
// the window system maps a window (a held key, a flood of presses), the
// hide of one and the show of the other could overtake each other there
// and leave neither on the screen while Qt thinks one is up. So Esc counts
// only as a fresh press, and only once the window now up is on the screen.
class HandOverGuard : public QObject
{
public:
    HandOverGuard(const QWidget &first, const QWidget &second);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool settled() const;

    const QWidget &m_first;
    const QWidget &m_second;
};
