#pragma once

class CommonDialog;
class Form2;
class QWidget;

// "Load File" and "Save File": plain text between a file and the writing area.
class FileCommands
{
public:
    FileCommands(CommonDialog &dialog, Form2 &writer, QWidget &panel);

    void PushButton1_Click(); // Load File
    void PushButton4_Click(); // Save File

private:
    CommonDialog &m_dialog;
    Form2 &m_writer;
    QWidget &m_panel;
};
