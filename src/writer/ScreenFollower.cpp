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
    disconnect(m_scale);
    m_watched = screen;
    if (!screen)
        return;
    m_geometry = connect(screen, &QScreen::geometryChanged, this, &ScreenFollower::fit);
    // A change of scale changes the geometry in the window's pixels.
    m_scale = connect(screen, &QScreen::logicalDotsPerInchChanged, this, &ScreenFollower::fit);
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
