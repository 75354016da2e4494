#pragma once

#include "app/Application.h"
#include "support/FakeModal.h"
#include "support/TestEnvironment.h"

#include <QPoint>
#include <memory>

class QWidget;
class Form1;
class Form2;
class RichTextBox;

// A started program with a scripted Modal, fresh for each test case.
class Harness
{
public:
    // Runs in the given environment, which the caller keeps and resets.
    explicit Harness(TestEnvironment &) {}

    void start();
    void stop();

    FakeModal &modal() { return *m_modal; }
    Form1 &form1() const { return m_app->form1(); }
    Form2 &form2() const { return m_app->form2(); }
    RichTextBox &text1() const;
    // The panel's button with the given number (1-8).
    void click(int panelButton) const;
    // Brings the panel up the way the user does, with Esc.
    void toPanel() const;

    static void hover(QWidget *widget, QPoint pos = QPoint(2, 2));

private:
    std::unique_ptr<FakeModal> m_modal;
    std::unique_ptr<Application> m_app;
};
