#pragma once

#include <QObject>
#include <QPointer>

class QScreen;
class QWidget;

// Keeps a full-screen window covering the primary screen exactly through
// changes of resolution, of the primary screen and of scaling. Window
// managers refit only ordinary windows, and the writing window is a tool
// window, kept out of the taskbar.
class ScreenFollower : public QObject
{
    Q_OBJECT

public:
    explicit ScreenFollower(QWidget *window);

    // Puts the window on the primary screen and gives it that screen's
    // geometry; a hidden window gets it for when it shows.
    void fit();

private:
    void watch(QScreen *screen);

    QWidget *m_window;
    QPointer<QScreen> m_watched;
    QMetaObject::Connection m_geometry;
    QMetaObject::Connection m_scale;
};
