#include "controls/text/TextModel.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <vector>

namespace {

constexpr int kKindProperty = QTextFormat::UserProperty + 1;

} // namespace

QTextCharFormat TextModel::kindFormat(int kind, QTextCharFormat format)
{
    if (kind == TextBlocks::LineEnd)
        format.clearProperty(kKindProperty);
    else
        format.setProperty(kKindProperty, kind);
    return format;
}

bool TextModel::carriesKind(const QTextCharFormat &format)
{
    return format.hasProperty(kKindProperty);
}

bool TextModel::isCut(int kind)
{
    return kind == TextBlocks::Space || kind == TextBlocks::Nothing;
}

TextModel::TextModel(QTextDocument *document) : QObject(document), m_document(document)
{
    // Keys, pastes and commits add text a little at a time; a load says
    // what it brings in loading().
    connect(document, &QTextDocument::contentsChange, this, [this](int from, int, int added) {
        constexpr int kMostScanned = 1 << 16;
        if (m_rightToLeft || added <= 0 || added > kMostScanned)
            return;
        QTextCursor range(m_document);
        range.setPosition(from);
        range.setPosition(qMin(from + added, m_document->characterCount() - 1),
                          QTextCursor::KeepAnchor);
        m_rightToLeft = TextBlocks::mayReadRightToLeft(range.selectedText());
    });
}

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
        const bool ends = TextBlocks::endsBlock(c);
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
    if (!committed && start == 0 && m_cuts && !TextBlocks::endsBlock(text.front())) {
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
        const bool own = TextBlocks::isOwnSeparator(QChar(c));
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
    while (last >= 0 && !TextBlocks::endsBlock(text.at(last)))
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

void TextModel::loading(const TextBlocks::Layout &layout)
{
    const bool cuts = std::any_of(layout.boundaries.begin(), layout.boundaries.end(),
                                  [](const auto &boundary) { return isCut(boundary.second); });
    m_rightToLeft = cuts && TextBlocks::mayReadRightToLeft(layout.text);
}

bool TextModel::lineIsRightToLeft(const QTextBlock &block) const
{
    if (!m_rightToLeft)
        return false;
    // A piece right after the last one asked for reads as that one did.
    const int number = block.blockNumber();
    auto &last = m_lastDirection;
    if (last.revision != m_document->revision() || last.block != number - 1 ||
        !isCut(kindBefore(block)))
        last.rightToLeft = paragraphIsRightToLeft(lineStart(block));
    last.revision = m_document->revision();
    last.block = number;
    return last.rightToLeft;
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
