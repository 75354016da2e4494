#include "writer/TextAppearance.h"

#include "app/SettingsStore.h"
#include "controls/RichTextBox.h"
#include "writer/Form2.h"

void applyStoredAppearance(Form2 &form)
{
    RichTextBox &text = form.text1();
    text.setFontBold(SettingsStore::readFlag(SettingKey::Bold, text.fontBold()));
    text.setFontItalic(SettingsStore::readFlag(SettingKey::Italic, text.fontItalic()));
    text.setFontName(SettingsStore::readName(text.fontName()));
    text.setFontSize(SettingsStore::readSize(text.fontSize()));
    text.setFontStrikethrough(
        SettingsStore::readFlag(SettingKey::Strikethrough, text.fontStrikethrough()));
    text.setFontUnderline(SettingsStore::readFlag(SettingKey::Underline, text.fontUnderline()));
    form.setBackColor(SettingsStore::readColor(SettingKey::BackColor, 0));
    text.setBackColor(SettingsStore::readColor(SettingKey::BackColor, 0));
    text.setSelColor(SettingsStore::readColor(SettingKey::ForeColor, 0x00FF00));
}
