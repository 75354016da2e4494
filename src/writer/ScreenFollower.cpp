#include "writer/ScreenFollower.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

ScreenFollower::ScreenFollower(QWidget *window) : QObject(window), m_window(window)
{
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, &ScreenFollower::fit);
    watch(QGuiApplication::primaryScreen());
}

void ScreenFollower::watch(QScreen *screen)
{
    if (screen == m_watched)
        return;
    disconnect(m_geometry);
    m_watched = screen;
    // A change of scale changes the logical geometry too.
    if (screen)
        m_geometry = connect(screen, &QScreen::geometryChanged, this, &ScreenFollower::fit);
}

void ScreenFollower::fit()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    watch(screen);
    if (!screen)
        return;
    if (QWindow *handle = m_window->windowHandle(); handle && handle->screen() != screen)
        handle->setScreen(screen);
    if (m_window->geometry() != screen->geometry())
        m_window->setGeometry(screen->geometry());
}
