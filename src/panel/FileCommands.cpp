#include "panel/FileCommands.h"

#include "app/ErrorTrap.h"
#include "controls/CommonDialog.h"
#include "controls/RichTextBox.h"
#include "writer/Form2.h"

#include <cstdint>

namespace {
const char kWindow[] = "Form1";
}

FileCommands::FileCommands(CommonDialog &dialog, Form2 &writer, QWidget &panel)
    : m_dialog(dialog), m_writer(writer), m_panel(panel)
{
}

void FileCommands::PushButton1_Click()
{
    ErrorTrap trap(kWindow, "PushButton1_Click");
    RichTextBox &text = m_writer.text1();
    trap.step(100, [&] { m_dialog.setFileName(QString()); });
    trap.step(102, [&] { m_dialog.setDialogTitle(QStringLiteral("Select A File To Load")); });
    trap.step(104, [&] { m_dialog.setFilter(QStringLiteral("All Files (*.*)|*.*|")); });
    trap.step(106, [&] { m_dialog.showOpen(); });
    if (trap.test(108, [&] { return m_dialog.fileName().isEmpty(); }))
        return;
    std::int32_t colour = 0;
    trap.step(110, [&] { colour = text.selColor(); });
    trap.step(112, [&] { text.loadFile(m_dialog.fileName()); });
    trap.step(114, [&] { m_panel.hide(); });
    trap.step(116, [&] { m_writer.showWindow(); });
    trap.step(118, [&] { text.setSelStart(0); });
    trap.step(120, [&] { text.setSelLength(text.textLength()); });
    trap.step(122, [&] { text.setSelColor(colour); });
    trap.step(124, [&] { text.setSelStart(0); });
}

void FileCommands::PushButton4_Click()
{
    ErrorTrap trap(kWindow, "PushButton4_Click");
    trap.step(100, [&] { m_dialog.setFileName(QString()); });
    trap.step(102, [&] { m_dialog.setDialogTitle(QStringLiteral("Save File As")); });
    trap.step(104, [&] {
        m_dialog.setFilter(QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"));
    });
    trap.step(106, [&] { m_dialog.showSave(); });
    if (trap.test(108, [&] { return m_dialog.fileName().isEmpty(); }))
        return;
    trap.step(110, [&] { m_writer.text1().saveFile(m_dialog.fileName()); });
}
