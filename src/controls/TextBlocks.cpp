#include "controls/TextBlocks.h"

namespace TextBlocks {

namespace {

// Characters that end a block wherever they stand in the document's text.
bool isSeparator(char16_t c)
{
    return c == u'\n' || c == 0x2028 || c == 0x2029 || c == 0xFDD0 || c == 0xFDD1;
}

// A cut that must not split a character: not inside a surrogate pair and
// not before a combining mark, unless nothing else is left.
qsizetype safeCut(QStringView text, qsizetype from, qsizetype cut)
{
    qsizetype at = cut;
    while (at > from + 1 && (text.at(at).isLowSurrogate() || text.at(at).isMark()))
        --at;
    return at > from + 1 ? at : cut;
}

class Builder
{
public:
    explicit Builder(qsizetype size) { m_out.text.reserve(size); }

    void boundary(int kind)
    {
        m_out.text += QLatin1Char('\n');
        ++m_block;
        m_length = 0;
        if (kind != LineEnd)
            m_out.boundaries.emplace_back(m_block, kind);
    }

    // One line of the text, after the separator that ended the one before.
    void line(QStringView line, char16_t separator, bool first)
    {
        if (!first) {
            if (separator == u'\n' && m_length < JoinChars && m_length + line.size() < MaxChars) {
                m_out.text += QChar::LineSeparator;
                ++m_length;
            } else {
                boundary(separator == u'\n' ? LineEnd : int(separator));
            }
        }
        // Only a line that did not join can be too long, so it starts a block.
        qsizetype at = 0;
        while (line.size() - at > MaxChars) {
            // The last space in the second half of the block's room, else
            // anywhere a character does not split.
            const qsizetype window = at + MaxChars / 2;
            const qsizetype space =
                line.mid(window, MaxChars / 2 + 1).lastIndexOf(QLatin1Char(' '));
            const qsizetype cut = space >= 0 ? window + space : safeCut(line, at, at + MaxChars);
            m_out.text += line.mid(at, cut - at);
            boundary(space >= 0 ? int(u' ') : Nothing);
            at = space >= 0 ? cut + 1 : cut;
        }
        m_out.text += line.mid(at);
        m_length += line.size() - at;
    }

    Layout take() { return std::move(m_out); }

private:
    Layout m_out;
    int m_block = 0;
    qsizetype m_length = 0;
};

} // namespace

Layout layout(const QString &text)
{
    Builder builder(text.size());
    const QStringView all(text);
    qsizetype start = 0;
    char16_t separator = 0;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const char16_t c = all.at(i).unicode();
        if (!isSeparator(c))
            continue;
        builder.line(all.mid(start, i - start), separator, start == 0);
        separator = c;
        start = i + 1;
    }
    builder.line(all.mid(start), separator, start == 0);
    return builder.take();
}

void appendBoundary(QString &out, int kind)
{
    if (kind == LineEnd)
        out += QLatin1Char('\n');
    else if (kind != Nothing)
        out += QChar(char16_t(kind));
}

void appendBlockText(QString &out, QStringView blockText)
{
    const qsizetype from = out.size();
    out += blockText;
    QChar *c = out.data() + from;
    for (const QChar *end = out.constData() + out.size(); c != end; ++c) {
        if (*c == QChar::LineSeparator)
            *c = QLatin1Char('\n');
    }
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
        appendBlockText(out, text);
    });
    return out;
}

} // namespace TextBlocks
