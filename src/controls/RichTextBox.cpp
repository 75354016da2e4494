#include "controls/RichTextBox.h"

#include "controls/AppError.h"
#include "controls/OleColor.h"
#include "controls/PageColours.h"
#include "controls/PageLayout.h"
#include "controls/Twips.h"
#include "controls/text/TextFile.h"

#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextBlock>
#include <QWheelEvent>
#include <memory>
#include <new>
#include <utility>

namespace {

// The largest size text can be set in; larger ones are refused.
constexpr float kMaxPoints = 1638.0f;

// A line of the column holds about this many characters of prose: wrapped
// at spaces, lines run 66 to 80, the measure books are set in.
constexpr int kColumnChars = 75;

// Prose whose letters come about as often as in any English text; its mean
// advance is a character's width in the current font.
const char16_t kProse[] = u"It is a truth universally acknowledged, that a single man in "
                          u"possession of a good fortune, must be in want of a wife.";

// About what Qt 6.4 keeps for each block of a page besides its text, once
// a new font or width has laid every block out again with a QTextLayout of
// its own (420 bytes measured on a million empty lines).
constexpr qint64 kBytesPerBlock = 450;

// Whether the memory for text of this many characters in this many blocks
// can be had, besides what the page holds already.
bool roomFor(qint64 chars, qint64 blocks)
{
    const qint64 needed = chars * 2 + blocks * kBytesPerBlock;
    return bool(std::unique_ptr<char[]>(new (std::nothrow) char[size_t(needed)]));
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
    : QPlainTextEdit(parent), m_model(nullptr),
      m_selColor(OleColor::fromColor(palette().color(QPalette::Text))),
      m_backColor(OleColor::WindowBackground)
{
    auto *page = new QTextDocument(this);
    auto *layout = new PageLayout(page);
    page->setDocumentLayout(layout);
    page->setDefaultFont(font());
    setDocument(page);
    m_model = new TextModel(page);
    m_keys = std::make_unique<TextKeys>(*m_model);
    layout->setDirection(
        [model = m_model](const QTextBlock &block) { return model->lineIsRightToLeft(block); });
    // Qt draws its caret by inverting what lies under it; the page's own
    // is drawn in the text colour (paintEvent).
    setCursorWidth(0);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &RichTextBox::showCaret);
    setFrameStyle(QFrame::NoFrame);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Always there, so that its coming never narrows the page: that would
    // lay every block out again, a QTextLayout each, after a long load.
    // Where there is nothing to scroll it shows nothing.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The page scrolls on past the end of the text, so the last line can be
    // written above the bottom edge.
    setCenterOnScroll(true);
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this,
            &RichTextBox::updateScrollBarLook);
    // The margins beside the column are the page too: the pointer there is
    // the text's, and clicks and the wheel act on the text.
    setMouseTracking(true);
    setCursor(Qt::IBeamCursor);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setBackColor(m_backColor);
    updateMargin();
}

// Text a little way in from the screen's edge, more for a larger font.
void RichTextBox::updateMargin()
{
    document()->setDocumentMargin(qMax(4.0, QFontMetricsF(font()).height() * 1.5));
    updateColumn();
}

// The text stands in a centred column; a window narrower than that gets
// its full width. The viewport is the column, so Qt wraps at its width;
// the widget, its scroll bar at the window's edge, still fills the window.
void RichTextBox::updateColumn()
{
    const QFontMetricsF metrics(font());
    const QString prose = QString::fromUtf16(kProse);
    const int column = qCeil(metrics.horizontalAdvance(prose) / prose.size() * kColumnChars +
                             2 * document()->documentMargin());
    const int bar = verticalScrollBar()->sizeHint().width();
    const int left = qMax(0, (width() - column) / 2);
    const QMargins margins(left, 0, qMax(0, width() - left - column - bar), 0);
    if (margins != viewportMargins())
        setViewportMargins(margins);
}

bool RichTextBox::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::Resize:
        // Before Qt lays the page out for the new size.
        updateColumn();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
        // Only a margin's own: an event the viewport passed on stays there.
        if (!m_forwarding) {
            m_forwarding = true;
            const bool handled = forwardToViewport(event);
            m_forwarding = false;
            if (handled)
                return true;
        }
        break;
    default:
        break;
    }
    return QPlainTextEdit::event(event);
}

// A margin's pointer event, as it would reach the text at that place.
bool RichTextBox::forwardToViewport(QEvent *event)
{
    const QPointF shift = viewport()->pos();
    std::unique_ptr<QEvent> moved;
    if (event->type() == QEvent::Wheel) {
        const auto *e = static_cast<QWheelEvent *>(event);
        moved = std::make_unique<QWheelEvent>(e->position() - shift, e->globalPosition(),
                                              e->pixelDelta(), e->angleDelta(), e->buttons(),
                                              e->modifiers(), e->phase(), e->inverted(),
                                              e->source(), e->pointingDevice());
    } else if (event->type() == QEvent::ContextMenu) {
        const auto *e = static_cast<QContextMenuEvent *>(event);
        if (e->reason() != QContextMenuEvent::Mouse)
            return false;
        moved = std::make_unique<QContextMenuEvent>(e->reason(), e->pos() - shift.toPoint(),
                                                    e->globalPos(), e->modifiers());
    } else {
        const auto *e = static_cast<QMouseEvent *>(event);
        moved = std::make_unique<QMouseEvent>(e->type(), e->position() - shift, e->scenePosition(),
                                              e->globalPosition(), e->button(), e->buttons(),
                                              e->modifiers(), e->pointingDevice());
    }
    QCoreApplication::sendEvent(viewport(), moved.get());
    event->setAccepted(moved->isAccepted());
    return true;
}

// A thin scroll bar in the page's own colours, its handle a quiet mix of
// text and page, so it follows every colour change and never draws the eye;
// with nothing to scroll, no handle.
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
    const bool scrolls = verticalScrollBar()->maximum() > verticalScrollBar()->minimum();
    const QString sheet =
        QStringLiteral(
            "QScrollBar:vertical { background: %1; width: 8px; margin: 0; border: none; }"
            "QScrollBar::handle:vertical { background: %2; border-radius: 4px;"
            " min-height: 32px; }"
            "QScrollBar::handle:vertical:hover { background: %3; }"
            "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical"
            " { height: 0; border: none; background: none; }"
            "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical"
            " { background: none; }")
            .arg(page.name(), scrolls ? mix(0.22) : page.name(), scrolls ? mix(0.4) : page.name());
    // Typing changes the range often; the sheet only when its look does.
    if (sheet != verticalScrollBar()->styleSheet())
        verticalScrollBar()->setStyleSheet(sheet);
}

void RichTextBox::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    // A font comes attribute by attribute, and each new margin or column
    // lays the whole page out again: once for them all, before the next
    // paint (which Qt posts at a lower priority).
    if (event->type() == QEvent::FontChange && !m_marginPending) {
        m_marginPending = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_marginPending = false;
                updateMargin();
            },
            Qt::QueuedConnection);
    }
}

void RichTextBox::loadFile(const QString &path)
{
    BusyPointer busy;
    try {
        TextFile::Decoded file = TextFile::read(path);
        if (!file.error.isEmpty())
            throw AppError(file.error);
        TextBlocks::Layout layout = m_model->layout(std::move(file.text));
        // The page needs its own copy of the text and a block a line: taken
        // up front, so that a machine without that much memory refuses the
        // file and keeps the page as it was.
        if (!roomFor(layout.text.size(), layout.blocks))
            throw std::bad_alloc();
        // The document's own load, one block a line as a plain editor's:
        // unlike the widget's, it gives the text the plain format it has
        // after the clear, with no second pass over all of it.
        m_model->loading(layout);
        document()->setPlainText(std::exchange(layout.text, QString()));
        m_model->markBoundaries(layout);
    } catch (const std::bad_alloc &) {
        throw AppError(QStringLiteral("There is not enough memory to load %1.")
                           .arg(QDir::toNativeSeparators(path)));
    }
    moveCursor(QTextCursor::Start);
}

void RichTextBox::saveFile(const QString &path) const
{
    BusyPointer busy;
    QString error;
    try {
        const QString whole = text();
        error = TextFile::unwritable(whole);
        if (error.isEmpty())
            error = TextFile::write(path, TextFile::encode(whole));
    } catch (const std::bad_alloc &) {
        error = QStringLiteral("There is not enough memory to save %1; the file is as it was.")
                    .arg(QDir::toNativeSeparators(path));
    }
    if (!error.isEmpty())
        throw AppError(error);
}

QString RichTextBox::text() const
{
    return m_model->text();
}

int RichTextBox::textLength() const
{
    return m_model->textLength();
}

int RichTextBox::selStart() const
{
    return m_model->toText(textCursor().selectionStart());
}

void RichTextBox::setSelStart(int position)
{
    QTextCursor cursor = textCursor();
    cursor.setPosition(m_model->toDocument(qBound(0, position, textLength())));
    setTextCursor(cursor);
}

int RichTextBox::selLength() const
{
    const QTextCursor cursor = textCursor();
    return m_model->toText(cursor.selectionEnd()) - m_model->toText(cursor.selectionStart());
}

void RichTextBox::setSelLength(int length)
{
    // The caret stays at the start: selecting a whole novel must not scroll
    // the view to its end and back.
    QTextCursor cursor = textCursor();
    const int start = cursor.selectionStart();
    const int end = m_model->toText(start) + qMax(0, length);
    cursor.setPosition(m_model->toDocument(qMin(end, textLength())));
    cursor.setPosition(start, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void RichTextBox::setColorRole(QPalette::ColorRole role, std::int32_t color)
{
    const QColor c = OleColor::toColor(color);
    QPalette p = palette();
    p.setColor(role, c);
    // The selection in the page's own colours, readable on every pair. Qt
    // would fill only each line's own height; the page fills the whole
    // pitch (paintSelection), so Qt's is clear.
    const PageColours::Selection selection =
        PageColours::selection(p.color(QPalette::Text), p.color(QPalette::Base));
    m_highlight = selection.highlight;
    p.setColor(QPalette::Highlight, Qt::transparent);
    p.setColor(QPalette::HighlightedText, selection.text);
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (const auto r : {role, QPalette::Highlight, QPalette::HighlightedText})
            p.setColor(group, r, p.color(QPalette::Active, r));
    }
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
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
        // Undo and redo bring back states that were already whole.
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & Qt::ShiftModifier)) {
        // A line end, not the U+2028 Qt makes of Shift+Return: the file
        // is to hold what the page shows.
        QKeyEvent plain(event->type(), event->key(), event->modifiers() & ~Qt::ShiftModifier,
                        event->text(), event->isAutoRepeat(), ushort(event->count()));
        edit(&plain);
        event->setAccepted(plain.isAccepted());
        return;
    }
    edit(event);
}

void RichTextBox::edit(QKeyEvent *event)
{
    QTextCursor cursor = textCursor();
    if ((event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) &&
        m_keys->mirrored(cursor.block())) {
        QKeyEvent swapped(
            event->type(), event->key() == Qt::Key_Left ? Qt::Key_Right : Qt::Key_Left,
            event->modifiers(), event->text(), event->isAutoRepeat(), ushort(event->count()));
        editAs(&swapped, cursor);
        event->setAccepted(swapped.isAccepted());
        return;
    }
    editAs(event, cursor);
}

void RichTextBox::editAs(QKeyEvent *event, QTextCursor cursor)
{
    if (m_keys->collapseHidden(cursor))
        setTextCursor(cursor);
    if (m_keys->keyAtCut(*event, cursor)) {
        setTextCursor(cursor);
        ensureCursorVisible();
        event->accept();
    } else {
        QPlainTextEdit::keyPressEvent(event);
        cursor = textCursor();
        if (m_keys->collapseHidden(cursor))
            setTextCursor(cursor);
    }
    keepCaretOffTheBottom();
}

// The line being written stays a third of the page above the bottom edge,
// one line of scrolling at a time; the wheel and the scroll bar stay free.
void RichTextBox::keepCaretOffTheBottom()
{
    QScrollBar *bar = verticalScrollBar();
    const int limit = viewport()->height() * 2 / 3;
    while (cursorRect().bottom() > limit && cursorRect().top() > 0 && bar->value() < bar->maximum())
        bar->setValue(bar->value() + 1);
}

// An input method counts what a commit replaces in characters of the text
// it was shown, the saved text's; across a cut that stands for nothing the
// page holds one more. Its line ends are line ends, as a paste's are.
void RichTextBox::inputMethodEvent(QInputMethodEvent *event)
{
    QTextCursor cursor = textCursor();
    if (event->preeditString().isEmpty() && cursor.block().layout()->preeditAreaText().isEmpty() &&
        !event->replacementStart() && !event->replacementLength() &&
        m_keys->typeAtCut(cursor, event->commitString())) {
        setTextCursor(cursor); // a mark committed at a cut, as one typed there
        event->accept();
        return;
    }
    // Qt puts the commit where the selection starts, moved by the
    // replacement's start, once the selection is gone: the range is mapped
    // from the saved text as it will be then.
    const int base = cursor.selectionStart();
    const int baseText = m_model->toText(base);
    const int removed = m_model->toText(cursor.selectionEnd()) - baseText;
    auto toDocumentThen = [&](int position) {
        if (position < baseText)
            return m_model->toDocument(position);
        if (position == baseText)
            return base;
        const int inSelection = cursor.selectionEnd() - base;
        return qMax(m_model->toDocument(position + removed), cursor.selectionEnd()) - inSelection;
    };
    int start = base;
    QInputMethodEvent mapped(event->preeditString(), event->attributes());
    QInputMethodEvent *use = event;
    if (event->replacementStart() || event->replacementLength()) {
        int from = baseText + event->replacementStart();
        if (from < 0)
            from = baseText; // Qt does not move before the start
        start = toDocumentThen(from);
        const int end = toDocumentThen(from + event->replacementLength());
        mapped.setCommitString(event->commitString(), start - base, end - start);
        use = &mapped;
    }
    QPlainTextEdit::inputMethodEvent(use);
    event->setAccepted(use->isAccepted());
    if (!event->commitString().isEmpty() && start >= 0) {
        m_model->markPasted(start, event->commitString(), true);
        m_keys->joinAcrossCut(start, event->commitString());
    }
    keepCaretOffTheBottom();
}

QMimeData *RichTextBox::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    auto *mime = new QMimeData;
    mime->setText(m_model->textBetween(cursor.selectionStart(), cursor.selectionEnd()));
    return mime;
}

void RichTextBox::insertFromMimeData(const QMimeData *source)
{
    if (!source || !source->hasText())
        return;
    QString text;
    try {
        text = TextFile::cleanPasted(source->text());
    } catch (const std::bad_alloc &) {
        emit refused(QStringLiteral("There is not enough memory to paste the text."));
        return;
    }
    if (text.isEmpty())
        return; // as a plain editor: an empty paste keeps the selection
    // What a load would refuse, a paste does not bring in either: the page
    // could not be saved and loaded again, or the memory runs out later.
    const qint64 after = textLength() - selLength() + text.size();
    if (after > TextFile::MaxLoadBytes) {
        emit refused(QStringLiteral("The text is too large to paste: the page would hold %1 "
                                    "characters, more than a file of %2 MB that can be loaded.")
                         .arg(after)
                         .arg(TextFile::MaxLoadBytes / (1024 * 1024)));
        return;
    }
    if (!roomFor(text.size(), text.count(QLatin1Char('\n')) + 1)) {
        emit refused(QStringLiteral("There is not enough memory to paste the text."));
        return;
    }
    m_model->adding(text);
    if (!m_model->hasLongLine(text)) {
        // Qt's own paste, so that undo and redo leave the caret where they
        // would in any editor; the text's own separators marked after.
        const int start = textCursor().selectionStart();
        QMimeData plain;
        plain.setText(text);
        QPlainTextEdit::insertFromMimeData(&plain);
        m_model->markPasted(start, text);
        m_keys->joinAcrossCut(start, text);
    } else {
        // Pasted whole, a long line would be laid out whole first.
        QTextCursor cursor = textCursor();
        cursor.beginEditBlock();
        cursor.removeSelectedText();
        if (cursor.position() == 0 && !TextBlocks::endsBlock(text.front())) {
            // Qt's paste sets the first line's format there, and undoing it
            // leaves the caret after that line; so does this one.
            cursor.setPosition(m_model->lineEnd(document()->begin()), QTextCursor::KeepAnchor);
            cursor.setBlockFormat(QTextBlockFormat());
            cursor.setPosition(0);
        }
        m_model->insert(cursor, text);
        cursor.endEditBlock();
        setTextCursor(cursor);
        ensureCursorVisible();
    }
}

void RichTextBox::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved();
    QMouseEvent moved = onALine(*event);
    QPlainTextEdit::mouseMoveEvent(&moved);
    event->accept();
}

void RichTextBox::mousePressEvent(QMouseEvent *event)
{
    QMouseEvent moved = onALine(*event);
    QPlainTextEdit::mousePressEvent(&moved);
    event->setAccepted(moved.isAccepted());
}

void RichTextBox::mouseReleaseEvent(QMouseEvent *event)
{
    QMouseEvent moved = onALine(*event);
    QPlainTextEdit::mouseReleaseEvent(&moved);
    event->setAccepted(moved.isAccepted());
}

void RichTextBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    QMouseEvent moved = onALine(*event);
    QPlainTextEdit::mouseDoubleClickEvent(&moved);
    event->setAccepted(moved.isAccepted());
}

// Qt finds the character under the pointer within a line's own height; a
// point in the space above or below a line's text belongs to that line.
QMouseEvent RichTextBox::onALine(const QMouseEvent &event) const
{
    const QPointF at = event.position();
    QPointF pos = at;
    qreal top = contentOffset().y();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const qreal height = blockBoundingRect(block).height();
        if (at.y() < top + height || !block.next().isValid()) {
            const QTextLayout *layout = block.layout();
            for (int i = 0; i < layout->lineCount(); ++i) {
                const QTextLine line = layout->lineAt(i);
                const qreal step = PageLayout::pitch(line.height());
                if (at.y() < top + (i + 1) * step || i + 1 == layout->lineCount()) {
                    const qreal lineTop = top + line.y();
                    if (at.y() < lineTop + 1 || at.y() > lineTop + line.height() - 1)
                        pos.setY(lineTop + line.height() / 2);
                    break;
                }
            }
            break;
        }
        top += height;
    }
    return QMouseEvent(event.type(), pos, event.scenePosition(), event.globalPosition(),
                       event.button(), event.buttons(), event.modifiers(), event.pointingDevice());
}

void RichTextBox::setCaretWidth(int width)
{
    m_caretWidth = width;
    viewport()->update();
}

QRect RichTextBox::caretRect() const
{
    QRect r = cursorRect();
    r.setWidth(m_caretWidth);
    return r;
}

// Solid while the user acts, blinking at the platform's pace when idle.
void RichTextBox::showCaret()
{
    m_caretOn = hasFocus();
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (m_caretOn && flash > 0)
        m_blink.start(flash / 2, this);
    else
        m_blink.stop();
    viewport()->update();
}

void RichTextBox::focusInEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusInEvent(event);
    showCaret();
}

void RichTextBox::focusOutEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusOutEvent(event);
    showCaret();
}

void RichTextBox::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_blink.timerId()) {
        QPlainTextEdit::timerEvent(event);
        return;
    }
    m_caretOn = !m_caretOn;
    viewport()->update(caretRect());
}

// The selection's background, each line's full pitch, so that a selection
// of several lines is one shape; under the text Qt then draws.
void RichTextBox::paintSelection(QPainter &painter) const
{
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return;
    const int from = cursor.selectionStart();
    const int to = cursor.selectionEnd();
    const qreal end = QFontMetricsF(font()).horizontalAdvance(QLatin1Char(' '));
    qreal top = contentOffset().y();
    for (QTextBlock block = firstVisibleBlock(); block.isValid() && top < viewport()->height();
         block = block.next()) {
        const qreal height = blockBoundingRect(block).height();
        const int start = block.position();
        const QTextLayout *layout = block.layout();
        const bool rightToLeft =
            static_cast<const PageLayout *>(document()->documentLayout())->isRightToLeft(block);
        for (int i = 0; i < layout->lineCount() && to >= start && from < start + block.length();
             ++i) {
            const QTextLine line = layout->lineAt(i);
            const int lineFrom = start + line.textStart();
            const int lineTo = lineFrom + line.textLength();
            const bool past = to > lineTo; // on into the next line
            if (from > lineTo || (from == lineTo && !past) || to < lineFrom)
                continue;
            // cursorToX counts from the layout's edge, the line's place included.
            qreal a = line.cursorToX(qMax(from, lineFrom) - start);
            qreal b = line.cursorToX(qMin(to, lineTo) - start);
            if (a > b)
                std::swap(a, b);
            if (past && rightToLeft)
                a = qMin(a, line.x() - end); // the text's left edge: its end
            else if (past)
                b = qMax(b, line.x() + line.naturalTextWidth() + end);
            const qreal step = PageLayout::pitch(line.height());
            painter.fillRect(QRectF(a, top + i * step, b - a, step), m_highlight);
        }
        top += height;
    }
}

void RichTextBox::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(viewport());
        paintSelection(painter);
    }
    QPlainTextEdit::paintEvent(event);
    if (m_caretOn && m_caretWidth > 0 && !isReadOnly()) {
        QPainter painter(viewport());
        painter.fillRect(caretRect(), palette().color(QPalette::Text));
    }
}
