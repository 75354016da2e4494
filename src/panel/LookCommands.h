#pragma once

class CommonDialog;
class Form2;
class QWidget;

// "Change Font Color", "Change Background Color" and "Change Font": each
// applies to the whole writing area, is stored, and returns to writing.
class LookCommands
{
public:
    LookCommands(CommonDialog &colorDialog, CommonDialog &fontDialog, Form2 &writer,
                 QWidget &panel);

    void PushButton2_Click(); // Change Font Color
    void PushButton6_Click(); // Change Background Color
    void PushButton5_Click(); // Change Font

private:
    CommonDialog &m_colorDialog;
    CommonDialog &m_fontDialog;
    Form2 &m_writer;
    QWidget &m_panel;
};
