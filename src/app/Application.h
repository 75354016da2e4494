#pragma once

#include <memory>

class Form1;
class Form2;
class HandOverGuard;

// Owns the two windows, each created once and kept until the process ends.
class Application
{
public:
    Application();
    ~Application();
    Application(const Application &) = delete;
    Application &operator=(const Application &) = delete;

    // Start-up: the panel's load handler, which opens the writing window.
    void start();

    Form1 &form1() const { return *m_form1; }
    Form2 &form2() const { return *m_form2; }

private:
    std::unique_ptr<Form2> m_form2;
    std::unique_ptr<Form1> m_form1;
    std::unique_ptr<HandOverGuard> m_guard;
};
