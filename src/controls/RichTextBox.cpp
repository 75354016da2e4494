#include "controls/RichTextBox.h"

#include "controls/AppError.h"
#include "controls/OleColor.h"
#include "controls/TextFile.h"
#include "controls/Twips.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QTextBlock>

namespace {

// The largest size text can be set in; larger ones are refused.
constexpr float kMaxPoints = 1638.0f;

// Building and laying out the document costs per block, so a loaded text is
// cut into blocks of about this many characters at line ends; the line ends
// inside a block become line separators, which look and edit the same. A
// block this size still lays out in well under a millisecond per keystroke.
constexpr int kBlockChars = 1024;

void joinLinesIntoBlocks(QString &text)
{
    int run = 0;
    for (QChar &c : text) {
        if (c != QLatin1Char('\n')) {
            ++run;
        } else if (run >= kBlockChars) {
            run = 0;
        } else {
            c = QChar::LineSeparator;
            ++run;
        }
    }
}

// Shows the busy pointer while a file is read or written.
class BusyPointer
{
public:
    BusyPointer() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QGuiApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;
};

} // namespace

RichTextBox::RichTextBox(QWidget *parent)
    : QPlainTextEdit(parent), m_selColor(OleColor::fromColor(palette().color(QPalette::Text))),
      m_backColor(OleColor::WindowBackground)
{
    setFrameStyle(QFrame::NoFrame);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setMouseTracking(true);
    setBackColor(m_backColor);
}

void RichTextBox::loadFile(const QString &path)
{
    BusyPointer busy;
    TextFile::Decoded file = TextFile::read(path);
    if (!file.error.isEmpty())
        throw AppError(file.error);
    joinLinesIntoBlocks(file.text);
    setPlainText(file.text);
}

void RichTextBox::saveFile(const QString &path) const
{
    BusyPointer busy;
    const QString error = TextFile::write(path, TextFile::encode(text()));
    if (!error.isEmpty())
        throw AppError(error);
}

QString RichTextBox::text() const
{
    // The raw text keeps non-breaking spaces that toPlainText() would turn
    // into plain ones; only the block and line separators become LF.
    QString raw = document()->toRawText();
    for (QChar &c : raw) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = QLatin1Char('\n');
    }
    return raw;
}

int RichTextBox::textLength() const
{
    return document()->characterCount() - 1;
}

int RichTextBox::selStart() const
{
    return textCursor().selectionStart();
}

void RichTextBox::setSelStart(int position)
{
    QTextCursor cursor = textCursor();
    cursor.setPosition(qBound(0, position, textLength()));
    setTextCursor(cursor);
}

int RichTextBox::selLength() const
{
    const QTextCursor cursor = textCursor();
    return cursor.selectionEnd() - cursor.selectionStart();
}

void RichTextBox::setSelLength(int length)
{
    // The caret stays at the start: selecting a whole novel must not scroll
    // the view to its end and back.
    QTextCursor cursor = textCursor();
    const int start = cursor.selectionStart();
    cursor.setPosition(qBound(start, start + qMax(0, length), textLength()));
    cursor.setPosition(start, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void RichTextBox::setColorRole(QPalette::ColorRole role, std::int32_t color)
{
    const QColor c = OleColor::toColor(color);
    QPalette p = palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, role, c);
    setPalette(p);
}

void RichTextBox::setSelColor(std::int32_t color)
{
    setColorRole(QPalette::Text, color);
    m_selColor = color;
}

void RichTextBox::setBackColor(std::int32_t color)
{
    setColorRole(QPalette::Base, color);
    m_backColor = color;
}

void RichTextBox::setFontName(const QString &name)
{
    if (name.trimmed().isEmpty())
        throw AppError(QStringLiteral("Invalid font name: the name is empty."));
    QFont f = font();
    f.setFamily(name);
    setFont(f);
}

void RichTextBox::setFontSize(float points)
{
    if (!(points > 0.0f && points <= kMaxPoints))
        throw AppError(QStringLiteral("Invalid font size %1: sizes run from above 0 to %2 points.")
                           .arg(double(points))
                           .arg(double(kMaxPoints)));
    QFont f = font();
    f.setPointSizeF(double(points));
    setFont(f);
}

void RichTextBox::setFontBold(bool on)
{
    QFont f = font();
    f.setBold(on);
    setFont(f);
}

void RichTextBox::setFontItalic(bool on)
{
    QFont f = font();
    f.setItalic(on);
    setFont(f);
}

void RichTextBox::setFontStrikethrough(bool on)
{
    QFont f = font();
    f.setStrikeOut(on);
    setFont(f);
}

void RichTextBox::setFontUnderline(bool on)
{
    QFont f = font();
    f.setUnderline(on);
    setFont(f);
}

void RichTextBox::setGeometryTwips(int left, int top, int width, int height)
{
    setGeometry(Twips::toPixels(left, top, width, height));
}

void RichTextBox::keyPressEvent(QKeyEvent *event)
{
    emit keyDown(event->key(), event->modifiers());
    QPlainTextEdit::keyPressEvent(event);
}

void RichTextBox::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved();
    QPlainTextEdit::mouseMoveEvent(event);
    event->accept();
}
