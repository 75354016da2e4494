#include "controls/text/TextKeys.h"

#include "controls/text/TextModel.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <vector>

TextKeys::TextKeys(TextModel &model) : m_model(model) {}

bool TextKeys::reversed(const QTextBlock &block)
{
    return block.textDirection() == Qt::RightToLeft;
}

bool TextKeys::mirrored(const QTextBlock &block) const
{
    return m_model.inCutLine(block) && m_model.lineIsRightToLeft(block) != reversed(block);
}

bool TextKeys::collapseHidden(QTextCursor &cursor) const
{
    if (!m_model.hasHiddenCuts() || !cursor.hasSelection() ||
        m_model.skipForward(cursor.selectionStart()) < cursor.selectionEnd())
        return false;
    cursor.setPosition(cursor.position());
    return true;
}

bool TextKeys::keyAtCut(const QKeyEvent &event, QTextCursor &cursor)
{
    if (event.matches(QKeySequence::InsertParagraphSeparator) && needsOwnEnter(cursor)) {
        enter(cursor);
        return true;
    }
    // Qt gives new text the format of the character before it, which in an
    // empty block is the separator before, boundary and all; a separator
    // typed there is made here as the editor would, but as a line end.
    if (TextModel::carriesKind(cursor.charFormat())) {
        const QString typed = event.text();
        const bool separator = std::any_of(typed.begin(), typed.end(),
                                           [](QChar c) { return TextBlocks::isOwnSeparator(c); });
        if (separator && typed.front().isPrint() &&
            !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            QTextCharFormat plain = cursor.charFormat();
            plain = TextModel::kindFormat(TextBlocks::LineEnd, plain);
            cursor.insertText(typed, plain);
            return true;
        }
    }
    if (!m_model.hasCuts())
        return false;
    if (!m_model.inCutLine(cursor.block()))
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
    return m_model.hasHiddenCuts() && acrossHiddenCut(event, cursor);
}

// A mark typed right after a cut that stands for nothing belongs to the
// character before the cut: typed there, before the separator, it makes
// one character with it, as on the one line. After a cut that stands for a
// space, the mark makes one character with that space: both go before the
// separator, which then stands for nothing.
bool TextKeys::typeAtCut(QTextCursor &cursor, const QString &typed)
{
    if (!m_model.hasCuts() || typed.isEmpty() || !typed.front().isPrint() || cursor.hasSelection())
        return false;
    const QTextBlock block = cursor.block();
    if (cursor.position() != block.position() || !joinsBeforeCut(block, typed))
        return false;
    cursor.beginEditBlock();
    moveBeforeCut(cursor, block, typed);
    cursor.endEditBlock();
    return true;
}

void TextKeys::joinAcrossCut(int start, const QString &text)
{
    const QTextBlock block = m_model.document()->findBlock(start);
    if (!m_model.hasCuts() || start != block.position())
        return;
    qsizetype length = 0;
    while (length < text.size() && !TextBlocks::endsBlock(text.at(length)))
        ++length;
    const QString first = text.left(length);
    if (first.isEmpty() || !joinsBeforeCut(block, first))
        return;
    QTextCursor cursor(m_model.document());
    cursor.joinPreviousEditBlock();
    cursor.setPosition(start);
    cursor.setPosition(start + int(length), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    moveBeforeCut(cursor, block, first);
    cursor.endEditBlock();
}

bool TextKeys::joinsBeforeCut(const QTextBlock &block, const QString &typed) const
{
    const int cutKind = m_model.kindBefore(block);
    if (!TextModel::isCut(cutKind) || !m_model.inCutLine(block))
        return false;
    const QString before =
        cutKind == TextBlocks::Space ? QStringLiteral(" ") : block.previous().text().right(32);
    return !TextBlocks::isCharacterBoundary(before + typed, before.size());
}

void TextKeys::moveBeforeCut(QTextCursor &cursor, const QTextBlock &block, const QString &typed)
{
    const bool space = m_model.kindBefore(block) == TextBlocks::Space;
    if (space) {
        cursor.setPosition(block.position());
        cursor.setBlockCharFormat(TextModel::kindFormat(TextBlocks::Nothing, block.charFormat()));
        m_model.setHiddenCuts();
    }
    cursor.setPosition(block.position() - 1);
    cursor.insertText(space ? QLatin1Char(' ') + typed : typed);
}

// Qt's Enter makes the new separator with the format before the caret (a
// boundary's, in an empty block after one), and after an empty line it
// first resets the formats of the selection it replaces, boundaries and
// all. Where either would touch a boundary, Enter is made here.
bool TextKeys::needsOwnEnter(const QTextCursor &cursor) const
{
    if (TextModel::carriesKind(cursor.charFormat()))
        return true;
    if (!cursor.hasSelection() || !cursor.block().text().isEmpty())
        return false;
    for (QTextBlock b = m_model.document()->findBlock(cursor.selectionStart()).next();
         b.isValid() && b.position() <= cursor.selectionEnd(); b = b.next()) {
        if (m_model.kindBefore(b) != TextBlocks::LineEnd)
            return true;
    }
    return false;
}

// The same steps as Qt's Enter, in the same undo steps, so that undo and
// redo leave the caret where they would; but the formats the selection had
// stand, and the new separator is a line end.
void TextKeys::enter(QTextCursor &cursor) const
{
    QTextBlockFormat blockFormat = cursor.blockFormat();
    QTextCharFormat charFormat = cursor.charFormat();
    charFormat = TextModel::kindFormat(TextBlocks::LineEnd, charFormat);
    if (cursor.block().text().isEmpty()) {
        blockFormat = QTextBlockFormat();
        charFormat = QTextCharFormat();
        cursor.setBlockFormat(blockFormat);
        if (cursor.hasSelection()) {
            // Undoing Qt's own format change leaves the caret at the end of
            // the first stretch of text it changed, which no cut ends: begun
            // at a cut's far side, this one leaves it there too. (Begun
            // where the selection starts, it is Qt's own.)
            QTextCursor each(m_model.document());
            each.setPosition(beyondCuts(cursor.selectionStart(), cursor.selectionEnd()));
            each.beginEditBlock();
            auto restate = [&](int from, int length, const QTextCharFormat &format) {
                each.setPosition(from);
                each.setPosition(from + length, QTextCursor::KeepAnchor);
                each.setCharFormat(format);
            };
            const int start = cursor.selectionStart();
            const int end = cursor.selectionEnd();
            for (QTextBlock b = m_model.document()->findBlock(start);
                 b.isValid() && b.position() < end; b = b.next()) {
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

// Where the run of one format that holds `from` ends, when it runs into a
// cut and is carried on across it, as in a plain editor holding the line
// as one block; else `from`.
int TextKeys::beyondCuts(int from, int to) const
{
    QTextBlock block = m_model.document()->findBlock(from);
    int at = from;
    bool crossed = false;
    while (at < to) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.position() <= at && at < f.position() + f.length()) {
                at = f.position() + f.length();
                break;
            }
        }
        if (at != block.position() + block.length() - 1 || !block.next().isValid() ||
            !TextModel::isCut(m_model.kindBefore(block.next())))
            break;
        crossed = true;
        block = block.next();
        at = block.position();
    }
    return crossed ? qMin(at, to) : from;
}

// Where a hidden cut lies, arrows and deletions act on the character beyond
// it, as they would in the one line the user sees.
bool TextKeys::acrossHiddenCut(const QKeyEvent &event, QTextCursor &cursor) const
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
    const int beyond = forward ? m_model.skipForward(at) : backward ? m_model.skipBackward(at) : at;
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
int TextKeys::wordTarget(const QTextCursor &cursor, bool forward) const
{
    constexpr int kMostBlocks = (1 << 20) / TextBlocks::CutChars;
    const QTextBlock at = cursor.block();
    for (int reach = 4;; reach *= 4) {
        QTextBlock first = at;
        for (int i = 0; i < reach && TextModel::isCut(m_model.kindBefore(first)); ++i)
            first = first.previous();
        QTextBlock last = at;
        for (int i = 0; i < reach && last.next().isValid() &&
                        TextModel::isCut(m_model.kindBefore(last.next()));
             ++i)
            last = last.next();
        const bool lineStart = !TextModel::isCut(m_model.kindBefore(first));
        const bool lineEnd =
            !(last.next().isValid() && TextModel::isCut(m_model.kindBefore(last.next())));

        QString window;
        std::vector<std::pair<int, int>> offsets; // (offset in window, block position)
        int here = 0;
        for (QTextBlock b = first;; b = b.next()) {
            if (b != first)
                TextBlocks::appendBoundary(window, m_model.kindBefore(b));
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
            const int length = m_model.document()->findBlock(position).length() - 1;
            if (target <= offset + length)
                return position + (target - offset);
        }
        return cursor.position();
    }
}
