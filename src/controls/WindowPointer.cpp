#include "controls/WindowPointer.h"

#include <QWidget>

void WindowPointer::setKind(int kind)
{
    m_kind = kind;
    if (kind == Busy)
        m_window->setCursor(Qt::WaitCursor);
    else if (kind == Custom && m_image)
        m_window->setCursor(*m_image);
    else
        m_window->unsetCursor();
}

void WindowPointer::setImage(const QCursor &image)
{
    m_image = image;
    if (m_kind == Custom)
        setKind(Custom);
}
