#include "app/Application.h"

#include "app/HandOverGuard.h"
#include "app/QtTranslations.h"
#include "app/Version.h"
#include "panel/Form1.h"
#include "writer/Form2.h"

#include <QApplication>
#include <QLocale>

Application::Application()
{
    // Both windows are hidden in turn; that must never end the event loop.
    QApplication::setQuitOnLastWindowClosed(false);
    QGuiApplication::setDesktopFileName(QLatin1String(kDesktopId));
    QCoreApplication::setApplicationVersion(QLatin1String(kVersion));
    installQtTranslations(QLocale());
    m_form2 = std::make_unique<Form2>([this] { m_form1->showWindow(); });
    m_form1 = std::make_unique<Form1>(*m_form2);
    m_guard = std::make_unique<HandOverGuard>(*m_form1, *m_form2);
}

Application::~Application()
{
    m_guard.reset();
    m_form1.reset();
    m_form2.reset();
}

void Application::start()
{
    m_form1->Form_Load();
}
