#include "controls/CommonDialog.h"

#include "controls/Modal.h"
#include "controls/OleColor.h"

#include <QFont>

namespace {

Modal::FileRequest fileRequest(const CommonDialog &dialog)
{
    Modal::FileRequest request;
    request.title = dialog.dialogTitle();
    request.filters = CommonDialog::qtFilters(dialog.filter());
    request.selectedFilter = 0;
    request.fileName = dialog.fileName();
    return request;
}

} // namespace

QStringList CommonDialog::qtFilters(const QString &filter)
{
    const QStringList items = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < items.size(); i += 2) {
        const QString &description = items.at(i);
        QString patterns = items.at(i + 1).trimmed();
        if (description.isEmpty() && patterns.isEmpty())
            continue;
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString suffix = QStringLiteral("(%1)").arg(patterns);
        // "Text Files (*.txt)" already names its patterns the way Qt reads them.
        out << (description.endsWith(suffix)
                    ? description
                    : QStringLiteral("%1 %2").arg(description, suffix).trimmed());
    }
    return out;
}

void CommonDialog::showOpen()
{
    const auto chosen = Modal::instance().openFileName(fileRequest(*this));
    m_cancelled = !chosen;
    if (chosen)
        m_fileName = *chosen;
}

void CommonDialog::showSave()
{
    const auto chosen = Modal::instance().saveFileName(fileRequest(*this));
    m_cancelled = !chosen;
    if (chosen)
        m_fileName = *chosen;
}

void CommonDialog::showColor()
{
    const auto chosen = Modal::instance().chooseColor(OleColor::toColor(m_color));
    m_cancelled = !chosen;
    if (chosen)
        m_color = OleColor::fromColor(*chosen);
}

void CommonDialog::showFont()
{
    QFont preset(m_fontName);
    if (m_fontSize > 0.0f)
        preset.setPointSizeF(double(m_fontSize));
    preset.setBold(m_fontBold);
    preset.setItalic(m_fontItalic);
    preset.setStrikeOut(m_fontStrikethru);
    preset.setUnderline(m_fontUnderline);

    const auto chosen = Modal::instance().chooseFont(preset);
    m_cancelled = !chosen;
    if (!chosen)
        return;
    m_fontName = chosen->family();
    m_fontSize = float(chosen->pointSizeF());
    m_fontBold = chosen->bold();
    m_fontItalic = chosen->italic();
    m_fontStrikethru = chosen->strikeOut();
    m_fontUnderline = chosen->underline();
}
