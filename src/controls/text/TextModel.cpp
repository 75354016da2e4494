#include "controls/text/TextModel.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <vector>

namespace {

constexpr int kKindProperty = QTextFormat::UserProperty + 1;
// A separator's format standing for the given kind, else as it was.
QTextCharFormat kindFormat(int kind, QTextCharFormat format = QTextCharFormat())
{
    if (kind == TextBlocks::LineEnd)
        format.clearProperty(kKindProperty);
    else
        format.setProperty(kKindProperty, kind);
    return format;
}

bool isCut(int kind)
{
    return kind == TextBlocks::Space || kind == TextBlocks::Nothing;
}

} // namespace

TextModel::TextModel(QTextDocument *document) : QObject(document), m_document(document) {}

int TextModel::kindBefore(const QTextBlock &block) const
{
    if (block.position() == 0)
        return TextBlocks::LineEnd;
    const QTextCharFormat format = block.charFormat();
    return format.hasProperty(kKindProperty) ? format.intProperty(kKindProperty)
                                             : TextBlocks::LineEnd;
}

bool TextModel::inCutLine(const QTextBlock &block) const
{
    return m_cuts && (isCut(kindBefore(block)) ||
                      (block.next().isValid() && isCut(kindBefore(block.next()))));
}

TextBlocks::Layout TextModel::layout(QString text) const
{
    return TextBlocks::layout(std::move(text), m_wholeLineChars);
}

void TextModel::markBoundaries(const TextBlocks::Layout &layout)
{
    m_cuts = m_hiddenCuts = false;
    if (layout.boundaries.empty())
        return;
    // Undo is off while the marks are set.
    m_document->setUndoRedoEnabled(false);
    QTextCursor cursor(m_document);
    cursor.beginEditBlock();
    QTextBlock block = m_document->begin();
    int number = 0;
    for (const auto &[at, kind] : layout.boundaries) {
        for (; number < at; ++number)
            block = block.next();
        cursor.setPosition(block.position());
        cursor.setBlockCharFormat(kindFormat(kind, block.charFormat()));
        m_cuts = m_cuts || isCut(kind);
        m_hiddenCuts = m_hiddenCuts || kind == TextBlocks::Nothing;
    }
    cursor.endEditBlock();
    m_document->setUndoRedoEnabled(true);
}

bool TextModel::hasLongLine(const QString &text) const
{
    qsizetype line = 0;
    for (const QChar c : text) {
        const bool ends = c == QLatin1Char('\n') || c == QChar(0x2029) || c == QChar(0xFDD0) ||
                          c == QChar(0xFDD1);
        line = ends ? 0 : line + 1;
        if (line > m_wholeLineChars)
            return true;
    }
    return false;
}

void TextModel::insert(QTextCursor &cursor, const QString &text)
{
    // The format Qt's own paste would give the text, less any boundary.
    QTextCharFormat format = cursor.charFormat();
    format.clearProperty(kKindProperty);
    bool first = true;
    TextBlocks::forEachBlock(layout(text), [&](int kindBefore, QStringView own) {
        if (!first) {
            cursor.insertBlock(QTextBlockFormat(), format);
            if (kindBefore != TextBlocks::LineEnd)
                cursor.setBlockCharFormat(kindFormat(kindBefore, format));
            m_cuts = m_cuts || isCut(kindBefore);
            m_hiddenCuts = m_hiddenCuts || kindBefore == TextBlocks::Nothing;
        }
        first = false;
        cursor.insertText(own.toString(), format);
    });
}

void TextModel::markPasted(int start, const QString &text, bool committed)
{
    QTextCursor cursor(m_document);
    bool open = false;
    if (!committed && start == 0 && m_cuts && text.front() != QLatin1Char('\n')) {
        // Qt's paste at the very start sets the first block's format, and
        // undoing it leaves the caret after that block: after the whole
        // first line, in a plain editor, so here too.
        const QTextBlock first = m_document->findBlock(int(text.size()));
        if (first.next().isValid() && isCut(kindBefore(first.next()))) {
            cursor.joinPreviousEditBlock();
            open = true;
            cursor.setPosition(first.next().position());
            cursor.setPosition(lineEnd(first), QTextCursor::KeepAnchor);
            cursor.setBlockFormat(QTextBlockFormat());
        }
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const bool own = c == 0x2029 || c == 0xFDD0 || c == 0xFDD1;
        // A line end takes the caret's format, which may carry a
        // boundary's kind (typed beside one): it stands for a line end.
        if (!own &&
            (c != u'\n' ||
             !m_document->findBlock(start + int(i) + 1).charFormat().hasProperty(kKindProperty)))
            continue;
        if (!open)
            cursor.joinPreviousEditBlock();
        open = true;
        cursor.setPosition(start + int(i) + 1);
        cursor.setBlockCharFormat(
            kindFormat(own ? int(c) : TextBlocks::LineEnd, cursor.blockCharFormat()));
    }
    if (!open)
        return;
    // The paste's last line written again, so that its step ends as the
    // editor's own does: redo leaves the caret at its end, typing right
    // after it joins it, and Backspace over it joins one step as there
    // (Qt joins removals of characters that lie together in its buffer).
    const int end = start + int(text.size());
    qsizetype last = text.size() - 1;
    while (last >= 0 && text.at(last) != QLatin1Char('\n') && text.at(last) != QChar(0x2029) &&
           text.at(last) != QChar(0xFDD0) && text.at(last) != QChar(0xFDD1))
        --last;
    const bool separator = last == text.size() - 1;
    const QString tail = separator ? text.right(1) : text.mid(last + 1);
    cursor.setPosition(end - int(tail.size()));
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    const QTextCharFormat own =
        separator ? m_document->findBlock(end).charFormat() : cursor.charFormat();
    cursor.removeSelectedText();
    if (separator) {
        cursor.insertBlock(cursor.blockFormat(), own);
    } else {
        cursor.insertText(tail, own);
        if (committed) {
            // Typing after an input method's commit starts a step of its
            // own in Qt: a step that ends in anything but an insertion is
            // not joined. The last character's format, stated again, is that.
            cursor.setPosition(end - 1, QTextCursor::KeepAnchor);
            cursor.setCharFormat(own);
        }
    }
    cursor.endEditBlock();
}

bool TextModel::paragraphIsRightToLeft(const QTextBlock &block)
{
    // A long run of empty lines is looked through only so far.
    QTextBlock from = block;
    for (int i = 0; i < 64 && from.isValid(); ++i, from = from.previous()) {
        if (from.length() > 1)
            return from.text().isRightToLeft();
    }
    return false;
}

bool TextModel::reversed(const QTextBlock &block)
{
    return block.textDirection() == Qt::RightToLeft;
}

bool TextModel::lineIsRightToLeft(const QTextBlock &block) const
{
    return paragraphIsRightToLeft(lineStart(block));
}

bool TextModel::mirrored(const QTextBlock &block) const
{
    return inCutLine(block) && lineIsRightToLeft(block) != reversed(block);
}

QTextBlock TextModel::lineStart(QTextBlock block) const
{
    while (m_cuts && block.position() > 0 && isCut(kindBefore(block)))
        block = block.previous();
    return block;
}

int TextModel::lineEnd(const QTextBlock &block) const
{
    QTextBlock last = block;
    while (last.next().isValid() && isCut(kindBefore(last.next())))
        last = last.next();
    return last.position() + last.length() - 1;
}

QString TextModel::text() const
{
    if (m_hiddenCuts)
        return textBetween(0, m_document->characterCount() - 1);
    // One pass over the document's own text, then each separator written
    // as what it stands for: far cheaper than a string per block.
    QString out = m_document->toRawText();
    QChar *c = out.data();
    for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
        if (block.position() > 0) {
            const int kind = kindBefore(block);
            c[block.position() - 1] =
                kind == TextBlocks::LineEnd ? QChar(u'\n') : QChar(char16_t(kind));
        }
    }
    return out;
}

QString TextModel::textBetween(int from, int to) const
{
    QString out;
    out.reserve(to - from);
    for (QTextBlock block = m_document->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        const int start = block.position();
        if (start > from)
            TextBlocks::appendBoundary(out, kindBefore(block));
        const QString own = block.text();
        const int first = qMax(from, start) - start;
        const int last = qMin<int>(to - start, own.size());
        if (last > first)
            out += QStringView(own).mid(first, last - first);
    }
    return out;
}

int TextModel::textLength() const
{
    return toText(m_document->characterCount() - 1);
}

int TextModel::toText(int position) const
{
    if (!m_hiddenCuts)
        return position;
    int hidden = 0;
    for (QTextBlock block = m_document->begin(); block.isValid() && block.position() <= position;
         block = block.next()) {
        if (block.position() > 0 && kindBefore(block) == TextBlocks::Nothing)
            ++hidden;
    }
    return position - hidden;
}

int TextModel::toDocument(int position) const
{
    if (!m_hiddenCuts)
        return position;
    int hidden = 0;
    for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
        if (block.position() > 0 && kindBefore(block) == TextBlocks::Nothing) {
            if (block.position() - 1 - hidden >= position)
                break;
            ++hidden;
        }
    }
    return position + hidden;
}

bool TextModel::collapseHidden(QTextCursor &cursor) const
{
    if (!m_hiddenCuts || !cursor.hasSelection() ||
        skipForward(cursor.selectionStart()) < cursor.selectionEnd())
        return false;
    cursor.setPosition(cursor.position());
    return true;
}

bool TextModel::keyAtCut(const QKeyEvent &event, QTextCursor &cursor)
{
    if (event.matches(QKeySequence::InsertParagraphSeparator) && needsOwnEnter(cursor)) {
        enter(cursor);
        return true;
    }
    // Qt gives new text the format of the character before it, which in an
    // empty block is the separator before, boundary and all; a separator
    // typed there is made here as the editor would, but as a line end.
    if (cursor.charFormat().hasProperty(kKindProperty)) {
        const QString typed = event.text();
        const bool separator = std::any_of(typed.begin(), typed.end(), [](QChar c) {
            return c == QChar(0x2029) || c == QChar(0xFDD0) || c == QChar(0xFDD1);
        });
        if (separator && typed.front().isPrint() &&
            !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            QTextCharFormat plain = cursor.charFormat();
            plain.clearProperty(kKindProperty);
            cursor.insertText(typed, plain);
            return true;
        }
    }
    if (!m_cuts)
        return false;
    if (!inCutLine(cursor.block()))
        return false;
    if (!(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
        typeAtCut(cursor, event.text()))
        return true;
    if (event.matches(QKeySequence::MoveToNextWord) ||
        event.matches(QKeySequence::SelectNextWord) ||
        event.matches(QKeySequence::MoveToPreviousWord) ||
        event.matches(QKeySequence::SelectPreviousWord)) {
        const bool forward =
            (event.matches(QKeySequence::MoveToNextWord) ||
             event.matches(QKeySequence::SelectNextWord)) != reversed(cursor.block());
        const bool select = event.matches(QKeySequence::SelectNextWord) ||
                            event.matches(QKeySequence::SelectPreviousWord);
        cursor.setPosition(wordTarget(cursor, forward),
                           select ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
        return true;
    }
    if (event.matches(QKeySequence::DeleteEndOfWord) ||
        event.matches(QKeySequence::DeleteStartOfWord)) {
        if (!cursor.hasSelection())
            cursor.setPosition(wordTarget(cursor, event.matches(QKeySequence::DeleteEndOfWord)),
                               QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        return true;
    }
    return m_hiddenCuts && acrossHiddenCut(event, cursor);
}

// A mark typed right after a cut that stands for nothing belongs to the
// character before the cut: typed there, before the separator, it makes
// one character with it, as on the one line. After a cut that stands for a
// space, the mark makes one character with that space: both go before the
// separator, which then stands for nothing.
bool TextModel::typeAtCut(QTextCursor &cursor, const QString &typed)
{
    if (!m_cuts || typed.isEmpty() || !typed.front().isPrint() || cursor.hasSelection())
        return false;
    const QTextBlock block = cursor.block();
    const int cutKind = kindBefore(block);
    if (cursor.position() != block.position() || !isCut(cutKind) || !inCutLine(block))
        return false;
    const QString before =
        cutKind == TextBlocks::Space ? QStringLiteral(" ") : block.previous().text().right(32);
    if (TextBlocks::isCharacterBoundary(before + typed, before.size()))
        return false;
    cursor.beginEditBlock();
    if (cutKind == TextBlocks::Space) {
        cursor.setPosition(block.position());
        cursor.setBlockCharFormat(kindFormat(TextBlocks::Nothing, block.charFormat()));
        m_hiddenCuts = true;
    }
    cursor.setPosition(block.position() - 1);
    cursor.insertText(cutKind == TextBlocks::Space ? QLatin1Char(' ') + typed : typed);
    cursor.endEditBlock();
    return true;
}

// Qt's Enter makes the new separator with the format before the caret (a
// boundary's, in an empty block after one), and after an empty line it
// first resets the formats of the selection it replaces, boundaries and
// all. Where either would touch a boundary, Enter is made here.
bool TextModel::needsOwnEnter(const QTextCursor &cursor) const
{
    if (cursor.charFormat().hasProperty(kKindProperty))
        return true;
    if (!cursor.hasSelection() || !cursor.block().text().isEmpty())
        return false;
    for (QTextBlock b = m_document->findBlock(cursor.selectionStart()).next();
         b.isValid() && b.position() <= cursor.selectionEnd(); b = b.next()) {
        if (kindBefore(b) != TextBlocks::LineEnd)
            return true;
    }
    return false;
}

// The same steps as Qt's Enter, in the same undo steps, so that undo and
// redo leave the caret where they would; but the formats the selection had
// stand, and the new separator is a line end.
void TextModel::enter(QTextCursor &cursor) const
{
    QTextBlockFormat blockFormat = cursor.blockFormat();
    QTextCharFormat charFormat = cursor.charFormat();
    charFormat.clearProperty(kKindProperty);
    if (cursor.block().text().isEmpty()) {
        blockFormat = QTextBlockFormat();
        charFormat = QTextCharFormat();
        cursor.setBlockFormat(blockFormat);
        if (cursor.hasSelection()) {
            // Undoing Qt's own format change leaves the caret at the end of
            // the first run of text it changed, which no cut ends; begun
            // there, this one leaves it there too.
            QTextCursor each(m_document);
            each.setPosition(firstRunEnd(cursor.selectionStart(), cursor.selectionEnd()));
            each.beginEditBlock();
            auto restate = [&](int from, int length, const QTextCharFormat &format) {
                each.setPosition(from);
                each.setPosition(from + length, QTextCursor::KeepAnchor);
                each.setCharFormat(format);
            };
            const int start = cursor.selectionStart();
            const int end = cursor.selectionEnd();
            for (QTextBlock b = m_document->findBlock(start); b.isValid() && b.position() < end;
                 b = b.next()) {
                for (auto it = b.begin(); !it.atEnd(); ++it) {
                    const QTextFragment f = it.fragment();
                    const int from = qMax(start, f.position());
                    const int to = qMin(end, f.position() + f.length());
                    if (to > from)
                        restate(from, to - from, f.charFormat());
                }
                const int separator = b.position() + b.length() - 1;
                if (separator >= start && separator < end && b.next().isValid())
                    restate(separator, 1, b.next().charFormat());
            }
            each.endEditBlock();
        } else {
            cursor.setCharFormat(charFormat);
        }
    }
    cursor.insertBlock(blockFormat, charFormat);
}

// The end of the run of one format that holds `from`, carried on across
// cuts, as a plain editor holding the line as one block has it.
int TextModel::firstRunEnd(int from, int to) const
{
    QTextBlock block = m_document->findBlock(from);
    int at = from;
    while (at < to) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.position() <= at && at < f.position() + f.length()) {
                at = f.position() + f.length();
                break;
            }
        }
        if (at != block.position() + block.length() - 1 || !block.next().isValid() ||
            !isCut(kindBefore(block.next())))
            break;
        block = block.next();
        at = block.position();
    }
    return qMin(at, to);
}

// Past a run of hidden cuts (and blocks emptied between them), which is all
// one place in the saved text.
int TextModel::skipForward(int position) const
{
    QTextBlock block = m_document->findBlock(position);
    while (position == block.position() + block.length() - 1 && block.next().isValid() &&
           kindBefore(block.next()) == TextBlocks::Nothing) {
        block = block.next();
        position = block.position();
    }
    return position;
}

int TextModel::skipBackward(int position) const
{
    QTextBlock block = m_document->findBlock(position);
    while (position == block.position() && block.position() > 0 &&
           kindBefore(block) == TextBlocks::Nothing) {
        block = block.previous();
        position = block.position() + block.length() - 1;
    }
    return position;
}

// Where a hidden cut lies, arrows and deletions act on the character beyond
// it, as they would in the one line the user sees.
bool TextModel::acrossHiddenCut(const QKeyEvent &event, QTextCursor &cursor) const
{
    const Qt::KeyboardModifiers mods = event.modifiers() & ~Qt::KeypadModifier;
    if (mods != Qt::NoModifier && mods != Qt::ShiftModifier)
        return false;
    if (cursor.hasSelection() && mods != Qt::ShiftModifier)
        return false;
    // Shift+Delete is Cut; Shift+Backspace is Backspace, selecting nothing.
    if (event.key() == Qt::Key_Delete && mods == Qt::ShiftModifier)
        return false;
    const auto mode = mods == Qt::ShiftModifier && event.key() != Qt::Key_Backspace
                          ? QTextCursor::KeepAnchor
                          : QTextCursor::MoveAnchor;
    const int at = cursor.position();
    // Qt's arrows move by the block's direction: Right goes back in a
    // right-to-left one.
    const bool arrow = event.key() == Qt::Key_Left || event.key() == Qt::Key_Right;
    const bool ahead = (event.key() == Qt::Key_Right) != reversed(cursor.block());
    const bool forward = event.key() == Qt::Key_Delete || (arrow && ahead);
    const bool backward = event.key() == Qt::Key_Backspace || (arrow && !ahead);
    const int beyond = forward ? skipForward(at) : backward ? skipBackward(at) : at;
    if (beyond == at ||
        (cursor.hasSelection() && !(event.key() == Qt::Key_Right || event.key() == Qt::Key_Left)))
        return false;
    cursor.setPosition(beyond, mode);
    if (arrow)
        cursor.movePosition(forward ? QTextCursor::NextCharacter : QTextCursor::PreviousCharacter,
                            mode);
    else if (forward)
        cursor.deleteChar();
    else
        cursor.deletePreviousChar();
    return true;
}

// Where a word key takes the cursor in a cut line, reckoned on the line's
// own text around it, as one block holding the whole line would: the
// blocks around the cursor, widened until the answer lies inside them, or
// until they hold a megabyte (a "word" of minified data stops there).
int TextModel::wordTarget(const QTextCursor &cursor, bool forward) const
{
    constexpr int kMostBlocks = (1 << 20) / TextBlocks::CutChars;
    const QTextBlock at = cursor.block();
    for (int reach = 4;; reach *= 4) {
        QTextBlock first = at;
        for (int i = 0; i < reach && isCut(kindBefore(first)); ++i)
            first = first.previous();
        QTextBlock last = at;
        for (int i = 0; i < reach && last.next().isValid() && isCut(kindBefore(last.next())); ++i)
            last = last.next();
        const bool lineStart = !isCut(kindBefore(first));
        const bool lineEnd = !(last.next().isValid() && isCut(kindBefore(last.next())));

        QString window;
        std::vector<std::pair<int, int>> offsets; // (offset in window, block position)
        int here = 0;
        for (QTextBlock b = first;; b = b.next()) {
            if (b != first)
                TextBlocks::appendBoundary(window, kindBefore(b));
            offsets.emplace_back(int(window.size()), b.position());
            if (b == at)
                here = int(window.size()) + cursor.positionInBlock();
            window += b.text();
            if (b == last)
                break;
        }
        if (forward && here == window.size() && lineEnd)
            return last.next().isValid() ? last.next().position() : cursor.position();
        if (!forward && here == 0 && lineStart)
            return qMax(0, first.position() - 1);
        QTextLayout layout(window);
        const int target = forward ? layout.nextCursorPosition(here, QTextLayout::SkipWords)
                                   : layout.previousCursorPosition(here, QTextLayout::SkipWords);
        if (((forward && target == window.size() && !lineEnd) ||
             (!forward && target == 0 && !lineStart)) &&
            reach < kMostBlocks)
            continue;
        // Back to the document: the block the offset falls in (the earlier
        // one where two blocks meet at a hidden cut).
        for (const auto &[offset, position] : offsets) {
            const int length = m_document->findBlock(position).length() - 1;
            if (target <= offset + length)
                return position + (target - offset);
        }
        return cursor.position();
    }
}
