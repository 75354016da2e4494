#include "panel/LookCommands.h"

#include "app/ErrorTrap.h"
#include "app/SettingsStore.h"
#include "controls/CommonDialog.h"
#include "controls/RichTextBox.h"
#include "writer/Form2.h"

#include <cstdint>

namespace {
const char kWindow[] = "Form1";
}

LookCommands::LookCommands(CommonDialog &colorDialog, CommonDialog &fontDialog, Form2 &writer,
                           QWidget &panel)
    : m_colorDialog(colorDialog), m_fontDialog(fontDialog), m_writer(writer), m_panel(panel)
{
}

// Each colour dialog opens on the colour it changes, so OK without a change
// changes nothing. A cancelled (or failed) one recolours and stores nothing:
// taking the dialog's stale colour would paint the text black on black.
void LookCommands::PushButton2_Click()
{
    ErrorTrap trap(kWindow, "PushButton2_Click");
    RichTextBox &text = m_writer.text1();
    bool chosen = false;
    trap.step(100, [&] { text.setSelStart(0); });
    trap.step(102, [&] { text.setSelLength(text.textLength()); });
    trap.step(104, [&] {
        m_colorDialog.setColor(text.selColor());
        m_colorDialog.showColor();
        chosen = !m_colorDialog.cancelled();
    });
    if (chosen)
        trap.step(106, [&] { text.setSelColor(m_colorDialog.color()); });
    trap.step(108, [&] { text.setSelStart(0); });
    if (chosen)
        trap.step(110,
                  [&] { SettingsStore::writeColor(SettingKey::ForeColor, m_colorDialog.color()); });
    trap.step(112, [&] { m_panel.hide(); });
    trap.step(114, [&] { m_writer.showWindow(); });
}

void LookCommands::PushButton6_Click()
{
    ErrorTrap trap(kWindow, "PushButton6_Click");
    RichTextBox &text = m_writer.text1();
    bool chosen = false;
    trap.step(100, [&] { text.setSelStart(0); });
    trap.step(102, [&] { text.setSelLength(text.textLength()); });
    trap.step(104, [&] {
        m_colorDialog.setColor(text.backColor());
        m_colorDialog.showColor();
        chosen = !m_colorDialog.cancelled();
    });
    if (chosen)
        trap.step(106, [&] { text.setBackColor(m_colorDialog.color()); });
    trap.step(108, [&] { text.setSelStart(0); });
    if (chosen) {
        trap.step(110, [&] { m_writer.setBackColor(m_colorDialog.color()); });
        trap.step(112,
                  [&] { SettingsStore::writeColor(SettingKey::BackColor, m_colorDialog.color()); });
    }
    trap.step(114, [&] { m_panel.hide(); });
    trap.step(116, [&] { m_writer.showWindow(); });
}

void LookCommands::PushButton5_Click()
{
    ErrorTrap trap(kWindow, "PushButton5_Click");
    RichTextBox &text = m_writer.text1();
    CommonDialog &dialog = m_fontDialog;
    std::int32_t colour = 0;
    trap.step(100, [&] { colour = text.selColor(); });
    trap.step(102, [&] { dialog.setFlags(1); });
    trap.step(104, [&] { dialog.setFontBold(text.fontBold()); });
    trap.step(106, [&] { dialog.setFontItalic(text.fontItalic()); });
    trap.step(108, [&] { dialog.setFontName(text.fontName()); });
    trap.step(110, [&] { dialog.setFontSize(text.fontSize()); });
    trap.step(112, [&] { dialog.setFontStrikethru(text.fontStrikethrough()); });
    trap.step(114, [&] { dialog.setFontUnderline(text.fontUnderline()); });
    trap.step(116, [&] { dialog.showFont(); });
    trap.step(118, [&] { text.setFontBold(dialog.fontBold()); });
    trap.step(120, [&] { text.setFontItalic(dialog.fontItalic()); });
    trap.step(122, [&] { text.setFontName(dialog.fontName()); });
    trap.step(124, [&] { text.setFontSize(dialog.fontSize()); });
    trap.step(126, [&] { text.setFontStrikethrough(dialog.fontStrikethru()); });
    trap.step(128, [&] { text.setFontUnderline(dialog.fontUnderline()); });
    trap.step(130, [&] { text.setSelStart(0); });
    trap.step(132, [&] { text.setSelLength(text.textLength()); });
    trap.step(134, [&] { text.setSelColor(colour); });
    trap.step(136, [&] { text.setSelStart(0); });
    trap.step(138, [&] { SettingsStore::writeFlag(SettingKey::Bold, dialog.fontBold()); });
    trap.step(140, [&] { SettingsStore::writeFlag(SettingKey::Italic, dialog.fontItalic()); });
    trap.step(142, [&] { SettingsStore::writeName(dialog.fontName()); });
    trap.step(144, [&] { SettingsStore::writeSize(dialog.fontSize()); });
    trap.step(
        146, [&] { SettingsStore::writeFlag(SettingKey::Strikethrough, dialog.fontStrikethru()); });
    trap.step(148,
              [&] { SettingsStore::writeFlag(SettingKey::Underline, dialog.fontUnderline()); });
    trap.step(150, [&] { m_panel.hide(); });
    trap.step(152, [&] { m_writer.showWindow(); });
}
