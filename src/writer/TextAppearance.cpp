#include "writer/TextAppearance.h"

#include "app/SettingsStore.h"
#include "controls/RichTextBox.h"

void applyStoredAppearance(RichTextBox &text,
                           const std::function<void(std::int32_t)> &setWindowBackColor)
{
    text.setFontBold(SettingsStore::readFlag(SettingKey::Bold, text.fontBold()));
    text.setFontItalic(SettingsStore::readFlag(SettingKey::Italic, text.fontItalic()));
    text.setFontName(SettingsStore::readName(text.fontName()));
    text.setFontSize(SettingsStore::readSize(text.fontSize()));
    text.setFontStrikethrough(
        SettingsStore::readFlag(SettingKey::Strikethrough, text.fontStrikethrough()));
    text.setFontUnderline(SettingsStore::readFlag(SettingKey::Underline, text.fontUnderline()));
    setWindowBackColor(SettingsStore::readColor(SettingKey::BackColor, 0));
    text.setBackColor(SettingsStore::readColor(SettingKey::BackColor, 0));
    text.setSelColor(SettingsStore::readColor(SettingKey::ForeColor, 0x00FF00));
}
