#include "support/Harness.h"

#include "controls/PushButton.h"
#include "controls/RichTextBox.h"
#include "panel/Form1.h"
#include "writer/Form2.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

void Harness::start()
{
    m_modal = std::make_unique<FakeModal>();
    m_app = std::make_unique<Application>();
    m_app->start();
}

void Harness::stop()
{
    m_app.reset();
    m_modal.reset();
}

RichTextBox &Harness::text1() const
{
    return form2().text1();
}

void Harness::click(int panelButton) const
{
    form1().pushButton(panelButton).click();
}

void Harness::toPanel() const
{
    // As a user sees it: Esc counts once the writing window is on the screen.
    if (!QTest::qWaitForWindowExposed(&form2()))
        qWarning("the writing window never showed");
    QTest::keyClick(&text1(), Qt::Key_Escape);
    if (form1().isVisible() && !QTest::qWaitForWindowExposed(&form1()))
        qWarning("the panel never showed");
}

void Harness::hover(QWidget *widget, QPoint pos)
{
    QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}
