#include "controls/text/TextBlocks.h"

#include <QTextBoundaryFinder>

namespace TextBlocks {

namespace {

bool isRegionalIndicatorAt(QStringView text, qsizetype at)
{
    return at + 1 < text.size() && text.at(at) == QChar(0xD83C) &&
           text.at(at + 1) >= QChar(0xDDE6) && text.at(at + 1) <= QChar(0xDDFF);
}

// The last cut at or before `cut` and after `from` that splits no
// character; `cut` itself when there is none (a single giant cluster).
qsizetype characterCut(QStringView text, qsizetype from, qsizetype cut)
{
    for (qsizetype at = cut; at > from; --at) {
        if (isCharacterBoundary(text, at))
            return at;
    }
    return cut;
}

class Builder
{
public:
    Builder(qsizetype size, int wholeLineChars) : m_wholeLineChars(wholeLineChars)
    {
        m_out.text.reserve(size);
    }

    void boundary(int kind)
    {
        m_out.text += QLatin1Char('\n');
        ++m_out.blocks;
        if (kind != LineEnd)
            m_out.boundaries.emplace_back(m_out.blocks - 1, kind);
    }

    // One line of the text, after the separator that ended the one before.
    void line(QStringView line, int kindBefore, bool first)
    {
        if (!first)
            boundary(kindBefore);
        qsizetype at = 0;
        while (line.size() > m_wholeLineChars && line.size() - at > CutChars) {
            // The last space in the second half of the block's room that
            // stands between two characters, else anywhere a character
            // does not split.
            qsizetype cut = -1;
            for (qsizetype i = at + CutChars; i >= at + CutChars / 2 && cut < 0; --i) {
                if (line.at(i) == QLatin1Char(' ') && isCharacterBoundary(line, i) &&
                    isCharacterBoundary(line, i + 1))
                    cut = i;
            }
            const bool space = cut >= 0;
            if (!space)
                cut = characterCut(line, at, at + CutChars);
            m_out.text += line.mid(at, cut - at);
            boundary(space ? Space : Nothing);
            at = space ? cut + 1 : cut;
        }
        m_out.text += line.mid(at);
    }

    Layout take() { return std::move(m_out); }

private:
    Layout m_out;
    int m_wholeLineChars;
};

} // namespace

bool isCharacterBoundary(QStringView text, qsizetype at)
{
    if (at <= 0 || at >= text.size())
        return true;
    // Grapheme clusters are decided by a few characters around the cut;
    // a run of flags is paired from its start, so take the whole run.
    qsizetype from = qMax<qsizetype>(0, at - 32);
    while (from >= 2 && isRegionalIndicatorAt(text, from - 2))
        from -= 2;
    const qsizetype to = qMin<qsizetype>(text.size(), at + 32);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.mid(from, to - from));
    finder.setPosition(at - from);
    return finder.isAtBoundary();
}

bool mayReadRightToLeft(QStringView text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x0590 &&
            (u <= 0x08FF || (u >= 0xFB1D && u <= 0xFDFF) || (u >= 0xFE70 && u <= 0xFEFF) ||
             u == 0xD802 || u == 0xD803 || u == 0xD83A || u == 0xD83B))
            return true;
    }
    return false;
}

Layout layout(QString text, int wholeLineChars)
{
    // Most texts: short lines and no separator of their own, found out in
    // passes the processor takes many characters at a time.
    const QStringView all(text);
    bool plain = !containsAny(all, OwnSeparators);
    int lineEnds = 0;
    qsizetype lineStart = 0;
    for (qsizetype end = all.indexOf(u'\n'); plain; end = all.indexOf(u'\n', lineStart)) {
        plain = (end < 0 ? all.size() : end) - lineStart <= wholeLineChars;
        if (end < 0)
            break;
        ++lineEnds;
        lineStart = end + 1;
    }
    if (plain)
        return {std::move(text), {}, lineEnds + 1};

    Builder builder(text.size(), wholeLineChars);
    qsizetype start = 0;
    int kind = LineEnd;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const char16_t c = all.at(i).unicode();
        if (!endsBlock(c))
            continue;
        builder.line(all.mid(start, i - start), kind, start == 0);
        kind = c == u'\n' ? LineEnd : int(c);
        start = i + 1;
    }
    builder.line(all.mid(start), kind, start == 0);
    return builder.take();
}

void appendBoundary(QString &out, int kind)
{
    if (kind == LineEnd)
        out += QLatin1Char('\n');
    else if (kind != Nothing)
        out += QChar(char16_t(kind));
}

void forEachBlock(const Layout &layout,
                  const std::function<void(int kindBefore, QStringView text)> &visit)
{
    auto next = layout.boundaries.begin();
    int block = 0;
    const QStringView all(layout.text);
    qsizetype start = 0;
    for (qsizetype i = 0; i <= all.size(); ++i) {
        if (i < all.size() && all.at(i) != QLatin1Char('\n'))
            continue;
        int kind = LineEnd;
        if (next != layout.boundaries.end() && next->first == block)
            kind = (next++)->second;
        visit(kind, all.mid(start, i - start));
        ++block;
        start = i + 1;
    }
}

QString join(const Layout &layout)
{
    QString out;
    out.reserve(layout.text.size());
    bool first = true;
    forEachBlock(layout, [&](int kindBefore, QStringView text) {
        if (!first)
            appendBoundary(out, kindBefore);
        first = false;
        out += text;
    });
    return out;
}

} // namespace TextBlocks
