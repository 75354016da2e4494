#pragma once

#include <QString>
#include <QStringView>
#include <functional>
#include <utility>
#include <vector>

// How a text is cut into the writing area's blocks. Laying out one block
// costs more than linearly in its length, and building the document costs
// per block, so short lines are joined into blocks of about JoinChars (their
// line ends become line separators, which look and edit the same) and long
// lines are cut so that no block exceeds MaxChars.
//
// Each block remembers what the boundary before it stands for in the saved
// text: a line end (the default, what Enter makes), nothing (a long line cut
// where it had no space), or the one character the cut replaced: a space, or
// a separator character of the file's own that the document cannot hold
// inside a block (U+2028, U+2029, U+FDD0, U+FDD1).
namespace TextBlocks {

inline constexpr int JoinChars = 512;
inline constexpr int MaxChars = 1024;

inline constexpr int LineEnd = -1;
inline constexpr int Nothing = 0;

struct Layout
{
    QString text; // blocks separated by '\n'
    // (block number, what the boundary before it stands for) for every
    // boundary that is not a line end, in block order.
    std::vector<std::pair<int, int>> boundaries;
};

Layout layout(const QString &text);

// What a boundary of the given kind adds to the saved text.
void appendBoundary(QString &out, int kind);
// A block's own characters as saved: its line separators are line ends.
void appendBlockText(QString &out, QStringView blockText);

// Each block in order with what the boundary before it stands for (the
// first block's is LineEnd and stands for nothing).
void forEachBlock(const Layout &layout,
                  const std::function<void(int kindBefore, QStringView text)> &visit);

// The saved text of a layout; layout() and this are inverses.
QString join(const Layout &layout);

} // namespace TextBlocks
