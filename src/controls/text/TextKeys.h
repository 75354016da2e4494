#pragma once

#include <QString>

class QKeyEvent;
class QTextBlock;
class QTextCursor;
class TextModel;

// The rules for keys on the writing area's text where Qt's own would differ
// from a plain editor holding each line whole: across cuts (a key acts on
// the one line), beside boundaries (a separator the user makes stands for a
// line end), and in pieces of a line read in the line's direction. The
// editor asks first and leaves to Qt what is declined.
class TextKeys
{
public:
    explicit TextKeys(TextModel &model);

    // A key that acts across a cut, or would make a separator that stands
    // for something else than a line end: moves or edits the cursor and
    // returns true; false leaves the key to the editor.
    bool keyAtCut(const QKeyEvent &event, QTextCursor &cursor);
    // Both sides of cuts that stand for nothing are one place: a selection
    // of nothing but them is none. True when the cursor was changed.
    bool collapseHidden(QTextCursor &cursor) const;
    // Text typed or committed at the caret that must join the character
    // before a cut: inserted and true; false leaves it to the editor.
    bool typeAtCut(QTextCursor &cursor, const QString &typed);
    // After a paste or commit put `text` in at `start`: where it begins a
    // piece of a line with a character that belongs to the one before the
    // cut (a combining mark), that part goes before the cut as typeAtCut
    // puts it, in the same undo step.
    void joinAcrossCut(int start, const QString &text);
    // Qt moves the arrows by a block's own direction; where a piece of a
    // line reads otherwise than the line, Left and Right are to be swapped.
    bool mirrored(const QTextBlock &block) const;

private:
    static bool reversed(const QTextBlock &block); // Qt reads it right to left
    bool joinsBeforeCut(const QTextBlock &block, const QString &typed) const;
    void moveBeforeCut(QTextCursor &cursor, const QTextBlock &block, const QString &typed);
    bool needsOwnEnter(const QTextCursor &cursor) const;
    void enter(QTextCursor &cursor) const;
    int beyondCuts(int from, int to) const;
    bool acrossHiddenCut(const QKeyEvent &event, QTextCursor &cursor) const;
    int wordTarget(const QTextCursor &cursor, bool forward) const;

    TextModel &m_model;
};
