#pragma once

#include "controls/text/TextBlocks.h"

#include <QObject>
#include <QTextCursor>

class QTextBlock;
class QTextDocument;

// The writing area's text as its QTextDocument holds it (TextBlocks says how
// a text is cut into blocks): the blocks, what each boundary stands for,
// and positions in the saved text. TextKeys holds the rules for keys.
//
// Invariants, after every load, key, paste, undo and redo:
// - The saved text is the blocks' own text joined by what each boundary
//   stands for; every other character, U+2028 included, is held as it is.
// - What a boundary stands for is a property of its block separator's
//   character format, so the separator takes it along through every edit,
//   and undo and redo bring it back with the separator. A separator the
//   user makes stands for a line end. (Text typed into an empty block
//   after a boundary takes the property along, as Qt copies formats;
//   only separators are ever read for it.)
// - The two sides of a cut that stands for nothing are one place in the
//   saved text, and so is a run of them with blocks emptied between; keys
//   step over such a run as over nothing.
// - Cuts lie only in lines longer than wholeLineChars(). Left, Right,
//   Backspace, Delete and the word keys act across a cut as on the one line
//   it is; Home and End act on the lines shown.
// Document positions equal saved-text positions unless a cut that stands
// for nothing lies before them; toText() and toDocument() convert.
class TextModel : public QObject
{
public:
    explicit TextModel(QTextDocument *document);

    int wholeLineChars() const { return m_wholeLineChars; }
    void setWholeLineChars(int chars) { m_wholeLineChars = chars; }

    // The document's text for a saved text, and its boundaries marked in
    // the document once that holds it (no undo step: loading is not an edit).
    TextBlocks::Layout layout(QString text) const;
    void markBoundaries(const TextBlocks::Layout &layout);

    // Whether a text has a line to cut. Inserts text at the cursor, its long
    // lines cut as a load cuts them.
    bool hasLongLine(const QString &text) const;
    void insert(QTextCursor &cursor, const QString &text);

    // After the editor pasted text at start: the text's own separators
    // marked, in the paste's undo step.
    // So too after an input method committed text at start (committed is
    // true), which, unlike a paste, leaves the first block's format alone.
    void markPasted(int start, const QString &text, bool committed = false);

    // The document position where the line holding this block ends; the
    // block where it starts.
    int lineEnd(const QTextBlock &block) const;
    QTextBlock lineStart(QTextBlock block) const;

    // Whether a paragraph reads right to left: by its first strong
    // character, as the bidirectional rule says; an empty one follows the
    // paragraph before it. A line held in several blocks reads as its first.
    static bool paragraphIsRightToLeft(const QTextBlock &block);
    bool lineIsRightToLeft(const QTextBlock &block) const;
    // What a load puts in, and a large text a paste adds (smaller edits are
    // looked at as they come): whether a line's direction is ever to be
    // looked for. Only pieces of cut lines need it, so a load without cuts
    // (nearly every file) is not even looked at.
    void loading(const TextBlocks::Layout &layout);
    void adding(QStringView text)
    {
        m_rightToLeft = m_rightToLeft || TextBlocks::mayReadRightToLeft(text);
    }

    QString text() const;
    QString textBetween(int from, int to) const; // document positions
    int textLength() const;
    int toText(int position) const;
    int toDocument(int position) const;

    // What the separator before a block stands for (TextBlocks' kinds);
    // whether a block is a piece of a cut line; positions past the runs of
    // hidden cuts (and blocks emptied between them) around a position.
    int kindBefore(const QTextBlock &block) const;
    bool inCutLine(const QTextBlock &block) const;
    int skipForward(int position) const;
    int skipBackward(int position) const;

    // A separator's format standing for the given kind, else as it was;
    // whether a format carries a kind; whether a kind is a cut.
    static QTextCharFormat kindFormat(int kind, QTextCharFormat format = QTextCharFormat());
    static bool carriesKind(const QTextCharFormat &format);
    static bool isCut(int kind);

    QTextDocument *document() const { return m_document; }
    bool hasCuts() const { return m_cuts; }
    bool hasHiddenCuts() const { return m_hiddenCuts; }
    void setHiddenCuts() { m_hiddenCuts = true; } // an edit made one

private:
    QTextDocument *m_document;
    int m_wholeLineChars = TextBlocks::WholeLineChars;
    bool m_cuts = false;        // a cut may be in the document
    bool m_hiddenCuts = false;  // a cut that stands for nothing may be
    bool m_rightToLeft = false; // a right-to-left letter may be
    // The last line direction found: pieces laid out in turn ask in turn.
    mutable struct
    {
        int revision = -1;
        int block = -1;
        bool rightToLeft = false;
    } m_lastDirection;
};
