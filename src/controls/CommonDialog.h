#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// The panel's dialog object: file, colour and font dialogs sharing one set
// of properties, shown modally through the Modal seam. A cancelled dialog
// leaves every property as it was and sets cancelled().
class CommonDialog
{
public:
    const QString &fileName() const { return m_fileName; }
    void setFileName(const QString &name) { m_fileName = name; }
    const QString &dialogTitle() const { return m_dialogTitle; }
    void setDialogTitle(const QString &title) { m_dialogTitle = title; }
    // "Description|pattern|Description|pattern|"
    const QString &filter() const { return m_filter; }
    void setFilter(const QString &filter) { m_filter = filter; }
    // The folder the file dialogs start in.
    QString startFolder() const;
    std::int32_t color() const { return m_color; }
    void setColor(std::int32_t color) { m_color = color; }
    int flags() const { return m_flags; }
    void setFlags(int flags) { m_flags = flags; }

    const QString &fontName() const { return m_fontName; }
    void setFontName(const QString &name) { m_fontName = name; }
    float fontSize() const { return m_fontSize; }
    void setFontSize(float size) { m_fontSize = size; }
    bool fontBold() const { return m_fontBold; }
    void setFontBold(bool on) { m_fontBold = on; }
    bool fontItalic() const { return m_fontItalic; }
    void setFontItalic(bool on) { m_fontItalic = on; }
    bool fontStrikethru() const { return m_fontStrikethru; }
    void setFontStrikethru(bool on) { m_fontStrikethru = on; }
    bool fontUnderline() const { return m_fontUnderline; }
    void setFontUnderline(bool on) { m_fontUnderline = on; }

    void showOpen();
    void showSave();
    void showColor();
    void showFont();

    bool cancelled() const { return m_cancelled; }

    // The bar-separated filter in Qt's "Description (patterns)" form.
    static QStringList qtFilters(const QString &filter);

private:
    void remember(const std::optional<QString> &chosen);

    QString m_lastFolder;
    QString m_fileName;
    QString m_dialogTitle;
    QString m_filter;
    std::int32_t m_color = 0;
    int m_flags = 0;
    QString m_fontName;
    float m_fontSize = 0.0f;
    bool m_fontBold = false;
    bool m_fontItalic = false;
    bool m_fontStrikethru = false;
    bool m_fontUnderline = false;
    bool m_cancelled = false;
};
