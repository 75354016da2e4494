#include "controls/CommonDialog.h"

#include "controls/Modal.h"
#include "controls/OleColor.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QStandardPaths>

namespace {

Modal::FileRequest fileRequest(const CommonDialog &dialog)
{
    Modal::FileRequest request;
    request.title = dialog.dialogTitle();
    request.filters = CommonDialog::qtFilters(dialog.filter());
    request.selectedFilter = 0;
    request.fileName = dialog.fileName();
    request.folder = dialog.startFolder();
    return request;
}

} // namespace

QStringList CommonDialog::qtFilters(const QString &filter)
{
    const QStringList items = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < items.size(); i += 2) {
        QString description = items.at(i).trimmed();
        const QString patterns = items.at(i + 1).trimmed();
        if (description.isEmpty() && patterns.isEmpty())
            continue;
        QStringList qtPatterns = patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &p : qtPatterns) {
            p = p.trimmed();
            // "*.*" means every file on Windows, only names with a dot elsewhere.
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
        }
        // "Text Files (*.txt)" names its patterns already; Qt reads them
        // from the last brackets, so they are given once, as converted.
        const QString named = QStringLiteral("(%1)").arg(
            QString(patterns).replace(QLatin1Char(';'), QLatin1Char(' ')));
        if (description.endsWith(named))
            description.chop(named.size());
        out << QStringLiteral("%1 (%2)")
                   .arg(description.trimmed(), qtPatterns.join(QLatin1Char(' ')))
                   .trimmed();
    }
    return out;
}

void CommonDialog::showOpen()
{
    const auto chosen = Modal::instance().openFileName(fileRequest(*this));
    remember(chosen);
    m_cancelled = !chosen;
    if (chosen)
        m_fileName = *chosen;
}

void CommonDialog::showSave()
{
    const auto chosen = Modal::instance().saveFileName(fileRequest(*this));
    remember(chosen);
    m_cancelled = !chosen;
    if (chosen)
        m_fileName = *chosen;
}

// Where the user's files are: the folder of the file last chosen in this
// run, else the documents folder, else home.
QString CommonDialog::startFolder() const
{
    if (!m_lastFolder.isEmpty() && QFileInfo(m_lastFolder).isDir())
        return m_lastFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void CommonDialog::remember(const std::optional<QString> &chosen)
{
    if (chosen && !chosen->isEmpty())
        m_lastFolder = QFileInfo(*chosen).absolutePath();
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
    QFont requested(m_fontName);
    if (m_fontSize > 0.0f)
        requested.setPointSizeF(double(m_fontSize));
    requested.setBold(m_fontBold);
    requested.setItalic(m_fontItalic);
    // The dialog lists real families only: a stored face the machine lacks,
    // or an alias such as "Arial", would preset its first family instead.
    // It is preset with what the writing area actually shows.
    const QFontInfo shown(requested);
    QFont preset(shown.family());
    preset.setPointSizeF(requested.pointSizeF());
    preset.setBold(shown.bold());
    preset.setItalic(shown.italic());
    // By name too: a family whose upright style is "Book" has no "Normal".
    preset.setStyleName(shown.styleName());
    preset.setStrikeOut(m_fontStrikethru);
    preset.setUnderline(m_fontUnderline);

    const auto chosen = Modal::instance().chooseFont(preset);
    m_cancelled = !chosen;
    if (!chosen)
        return;
    // A family left as preset keeps its stored name, so a settings file
    // moved between machines keeps "Arial".
    if (chosen->family() != preset.family())
        m_fontName = chosen->family();
    // The dialog shows whole sizes: a half size left as shown stays as it was.
    if (chosen->pointSizeF() != double(preset.pointSize()) || m_fontSize <= 0.0f)
        m_fontSize = float(chosen->pointSizeF());
    // A style left as preset keeps bold and italic as they were, even where
    // the face has no such style and the writing area draws it slanted.
    const bool styleKept =
        chosen->family() == preset.family() &&
        chosen->bold() == QFontDatabase::bold(preset.family(), preset.styleName()) &&
        chosen->italic() == QFontDatabase::italic(preset.family(), preset.styleName());
    if (!styleKept) {
        m_fontBold = chosen->bold();
        m_fontItalic = chosen->italic();
    }
    m_fontStrikethru = chosen->strikeOut();
    m_fontUnderline = chosen->underline();
}
