#include "app/HandOverGuard.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

HandOverGuard::HandOverGuard(const QWidget &first, const QWidget &second)
    : m_first(first), m_second(second)
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool HandOverGuard::settled() const
{
    for (const QWidget *window : {&m_first, &m_second}) {
        if (window->isVisible() && window->windowHandle() && !window->windowHandle()->isExposed())
            return false;
    }
    return true;
}

bool HandOverGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape && (key->isAutoRepeat() || !settled()))
            return true;
    }
    return QObject::eventFilter(watched, event);
}
