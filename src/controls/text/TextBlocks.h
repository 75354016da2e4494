#pragma once

#include <QString>
#include <QStringView>
#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

// How a text is cut into the writing area's blocks. Each line is a block of
// its own, as in any plain editor, so every key acts and every paragraph
// shows as there. Laying out a block costs more than linearly in its
// length, so a line longer than any paragraph (WholeLineChars: minified
// data, not prose) is cut into blocks of at most CutChars.
//
// Each block remembers what the boundary before it stands for in the saved
// text: a line end (the default, what Enter makes), nothing (a long line cut
// where it had no space), or the one character the cut replaced: a space, or
// a separator character of the file's own that the document cannot hold
// inside a block (U+2029, U+FDD0, U+FDD1).
namespace TextBlocks {

inline constexpr int CutChars = 1024;
inline constexpr int WholeLineChars = 131072;

inline constexpr int LineEnd = -1;
inline constexpr int Nothing = 0;
inline constexpr int Space = ' ';

// The separators of the file's own that the document cannot hold inside a
// block: Qt takes each for a block break wherever it is inserted.
inline constexpr char16_t OwnSeparators[] = {0x2029, 0xFDD0, 0xFDD1};
constexpr bool isOwnSeparator(QChar c)
{
    for (const char16_t separator : OwnSeparators) {
        if (c.unicode() == separator)
            return true;
    }
    return false;
}
// Whether any code unit of the text is one of `units`: one pass, in runs
// of a fixed length that the compiler turns into vector instructions (the
// common answer, no, reads the whole text).
template <std::size_t N> bool containsAny(QStringView text, const char16_t (&units)[N])
{
    constexpr qsizetype kRun = 64;
    const char16_t *at = text.utf16();
    const char16_t *const end = at + text.size();
    for (; end - at >= kRun; at += kRun) {
        unsigned found = 0;
        for (const char16_t unit : units) { // the inner loop is the vector one
            for (qsizetype i = 0; i < kRun; ++i)
                found |= unsigned(at[i] == unit);
        }
        if (found)
            return true;
    }
    for (; at != end; ++at) {
        for (const char16_t unit : units) {
            if (*at == unit)
                return true;
        }
    }
    return false;
}

// What ends a block wherever it stands in the document's text; U+2028 does
// not: the document holds it inside a block.
constexpr bool endsBlock(QChar c)
{
    return c == QLatin1Char('\n') || isOwnSeparator(c);
}

struct Layout
{
    QString text; // blocks separated by '\n'
    // (block number, what the boundary before it stands for) for every
    // boundary that is not a line end, in block order.
    std::vector<std::pair<int, int>> boundaries;
    int blocks = 1;
};

// Lines longer than wholeLineChars are cut (a parameter so that tests can
// reach cuts with short texts). A text with nothing to cut or mark is taken
// as it is, without a copy.
Layout layout(QString text, int wholeLineChars = WholeLineChars);

// What a boundary of the given kind adds to the saved text.
void appendBoundary(QString &out, int kind);

// Each block in order with what the boundary before it stands for (the
// first block's is LineEnd and stands for nothing), as the document holds it.
void forEachBlock(const Layout &layout,
                  const std::function<void(int kindBefore, QStringView text)> &visit);

// The saved text of a layout; layout() and this are inverses.
QString join(const Layout &layout);

// Whether a cut before text[at] splits no user-perceived character.
// Whether a text may hold a right-to-left letter: any code unit of the
// blocks of Hebrew, Arabic and the scripts beside them, or of the planes'
// right-to-left ranges. A quick look, so that a text without one never
// searches for a line's direction.
bool mayReadRightToLeft(QStringView text);

bool isCharacterBoundary(QStringView text, qsizetype at);

} // namespace TextBlocks
