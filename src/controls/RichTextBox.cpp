#include "controls/RichTextBox.h"

#include "controls/AppError.h"
#include "controls/OleColor.h"
#include "controls/TextBlocks.h"
#include "controls/TextFile.h"
#include "controls/Twips.h"

#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>

namespace {

// The largest size text can be set in; larger ones are refused.
constexpr float kMaxPoints = 1638.0f;

// What the boundary before a block stands for (TextBlocks), kept in the
// block's format because formats, unlike a block's user state, survive undo.
constexpr int kBoundaryProperty = QTextFormat::UserProperty + 1;

int boundaryBefore(const QTextBlock &block)
{
    const QTextBlockFormat format = block.blockFormat();
    return format.hasProperty(kBoundaryProperty) ? format.intProperty(kBoundaryProperty)
                                                 : TextBlocks::LineEnd;
}

QTextBlockFormat boundaryFormat(int kind)
{
    QTextBlockFormat format;
    if (kind != TextBlocks::LineEnd)
        format.setProperty(kBoundaryProperty, kind);
    return format;
}

// Inserts text at the cursor in blocks as TextBlocks lays them out.
void insertLaidOut(QTextCursor &cursor, const QString &text)
{
    bool first = true;
    TextBlocks::forEachBlock(TextBlocks::layout(text), [&](int kindBefore, QStringView own) {
        if (!first)
            cursor.insertBlock(boundaryFormat(kindBefore));
        first = false;
        cursor.insertText(own.toString());
    });
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
    updateMargin();
}

// Text a little way in from the screen's edge, more for a larger font.
void RichTextBox::updateMargin()
{
    document()->setDocumentMargin(qMax(4.0, QFontMetricsF(font()).height() * 1.5));
}

// A thin scroll bar in the page's own colours, its handle a quiet mix of
// text and page, so it follows every colour change and never draws the eye.
void RichTextBox::updateScrollBarLook()
{
    const QColor page = palette().color(QPalette::Base);
    const QColor ink = palette().color(QPalette::Text);
    auto mix = [&](double share) {
        return QColor::fromRgbF(float(page.redF() + (ink.redF() - page.redF()) * share),
                                float(page.greenF() + (ink.greenF() - page.greenF()) * share),
                                float(page.blueF() + (ink.blueF() - page.blueF()) * share))
            .name();
    };
    verticalScrollBar()->setStyleSheet(
        QStringLiteral(
            "QScrollBar:vertical { background: %1; width: 8px; margin: 0; border: none; }"
            "QScrollBar::handle:vertical { background: %2; border-radius: 4px;"
            " min-height: 32px; }"
            "QScrollBar::handle:vertical:hover { background: %3; }"
            "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical"
            " { height: 0; border: none; background: none; }"
            "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical"
            " { background: none; }")
            .arg(page.name(), mix(0.22), mix(0.4)));
}

void RichTextBox::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateMargin();
}

void RichTextBox::loadFile(const QString &path)
{
    BusyPointer busy;
    const TextFile::Decoded file = TextFile::read(path);
    if (!file.error.isEmpty())
        throw AppError(file.error);
    const TextBlocks::Layout layout = TextBlocks::layout(file.text);
    setPlainText(layout.text);
    if (!layout.boundaries.empty()) {
        // Marked in one edit block, so the document is laid out once more at
        // most, and with no undo step: loading is not an edit.
        QTextDocument *doc = document();
        doc->setUndoRedoEnabled(false);
        QTextCursor cursor(doc);
        cursor.beginEditBlock();
        QTextBlock block = doc->begin();
        int number = 0;
        for (const auto &[at, kind] : layout.boundaries) {
            for (; number < at; ++number)
                block = block.next();
            cursor.setPosition(block.position());
            cursor.setBlockFormat(boundaryFormat(kind));
        }
        cursor.endEditBlock();
        doc->setUndoRedoEnabled(true);
    }
    moveCursor(QTextCursor::Start);
}

void RichTextBox::saveFile(const QString &path) const
{
    BusyPointer busy;
    const QString whole = text();
    QString error = TextFile::unwritable(whole);
    if (error.isEmpty())
        error = TextFile::write(path, TextFile::encode(whole));
    if (!error.isEmpty())
        throw AppError(error);
}

QString RichTextBox::text() const
{
    return textBetween(0, textLength());
}

QString RichTextBox::textBetween(int from, int to) const
{
    QString out;
    out.reserve(to - from);
    for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        const int start = block.position();
        if (start > from)
            TextBlocks::appendBoundary(out, boundaryBefore(block));
        const QString own = block.text();
        const int first = qMax(from, start) - start;
        const int last = qMin<int>(to - start, own.size());
        if (last > first)
            TextBlocks::appendBlockText(out, QStringView(own).mid(first, last - first));
    }
    return out;
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
    updateScrollBarLook();
}

void RichTextBox::setBackColor(std::int32_t color)
{
    setColorRole(QPalette::Base, color);
    m_backColor = color;
    updateScrollBarLook();
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
    const int key = event->key();
    const bool newLine = (key == Qt::Key_Return || key == Qt::Key_Enter) &&
                         !(event->modifiers() & Qt::ShiftModifier);
    const bool edits = newLine || key == Qt::Key_Backspace || key == Qt::Key_Delete ||
                       (!event->text().isEmpty() && event->text().front().isPrint());
    // The key, and the line split or the boundary mended for it, are one
    // undo step.
    QTextCursor step = textCursor();
    const bool split = edits && splitJoinedLines();
    if (split)
        step.joinPreviousEditBlock();
    if (!acrossHiddenBoundary(event))
        QPlainTextEdit::keyPressEvent(event);
    QTextCursor cursor = textCursor();
    if (newLine && cursor.atBlockStart() && boundaryBefore(cursor.block()) != TextBlocks::LineEnd) {
        // A new block takes its format from the one it was split from; the
        // boundary Enter makes is a line end.
        cursor.joinPreviousEditBlock();
        cursor.setBlockFormat(boundaryFormat(TextBlocks::LineEnd));
        cursor.endEditBlock();
    }
    if (split)
        step.endEditBlock();
}

// Loading joins short lines into one block for speed, but an edit repaints
// its whole block: before the first edit in a joined block, its lines
// become blocks of their own, so a key repaints one line, as in any editor.
bool RichTextBox::splitJoinedLines()
{
    const QTextBlock block = textCursor().block();
    const QString own = block.text();
    if (!own.contains(QChar::LineSeparator))
        return false;
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    for (int i = int(own.size()) - 1; i >= 0; --i) {
        if (own.at(i) != QChar::LineSeparator)
            continue;
        cursor.setPosition(block.position() + i);
        cursor.deleteChar();
        cursor.insertBlock(boundaryFormat(TextBlocks::LineEnd));
    }
    cursor.endEditBlock();
    return true;
}

// Where a long line was cut without a space, the boundary holds no
// character: arrows and deletions act on the character beyond it, as they
// would in the one line the user sees.
bool RichTextBox::acrossHiddenBoundary(QKeyEvent *event)
{
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection() && !(event->modifiers() & Qt::ShiftModifier))
        return false;
    const QTextBlock block = cursor.block();
    const bool atStart = cursor.atBlockStart() && block.previous().isValid() &&
                         block.previous().length() > 1 &&
                         boundaryBefore(block) == TextBlocks::Nothing;
    const bool atEnd = cursor.atBlockEnd() && block.next().isValid() && block.next().length() > 1 &&
                       boundaryBefore(block.next()) == TextBlocks::Nothing;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const auto mode = mods == Qt::ShiftModifier ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor;
    if (mods != Qt::NoModifier && mods != Qt::ShiftModifier)
        return false;
    switch (event->key()) {
    case Qt::Key_Right:
        if (!atEnd)
            return false;
        cursor.movePosition(QTextCursor::NextCharacter, mode, 2);
        break;
    case Qt::Key_Left:
        if (!atStart)
            return false;
        cursor.movePosition(QTextCursor::PreviousCharacter, mode, 2);
        break;
    case Qt::Key_Backspace:
        if (!atStart || cursor.hasSelection())
            return false;
        cursor.movePosition(QTextCursor::PreviousCharacter);
        cursor.deletePreviousChar();
        break;
    case Qt::Key_Delete:
        if (!atEnd || cursor.hasSelection())
            return false;
        cursor.movePosition(QTextCursor::NextCharacter);
        cursor.deleteChar();
        break;
    default:
        return false;
    }
    setTextCursor(cursor);
    event->accept();
    return true;
}

QMimeData *RichTextBox::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    auto *mime = new QMimeData;
    mime->setText(textBetween(cursor.selectionStart(), cursor.selectionEnd()));
    return mime;
}

void RichTextBox::insertFromMimeData(const QMimeData *source)
{
    if (!source || !source->hasText())
        return;
    const QString text = TextFile::cleanPasted(source->text());
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    insertLaidOut(cursor, text);
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

void RichTextBox::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved();
    QPlainTextEdit::mouseMoveEvent(event);
    event->accept();
}
