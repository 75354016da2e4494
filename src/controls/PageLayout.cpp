#include "controls/PageLayout.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <cmath>

PageLayout::PageLayout(QTextDocument *document) : QPlainTextDocumentLayout(document) {}

qreal PageLayout::pitch(qreal lineHeight)
{
    return std::round(lineHeight * Spacing);
}

bool PageLayout::isRightToLeft(const QTextBlock &block)
{
    // A long run of empty lines is looked through only so far.
    QTextBlock from = block;
    for (int i = 0; i < 64 && from.isValid(); ++i, from = from.previous()) {
        if (from.length() > 1)
            return from.text().isRightToLeft();
    }
    return false;
}

QRectF PageLayout::blockBoundingRect(const QTextBlock &block) const
{
    QRectF rect = QPlainTextDocumentLayout::blockBoundingRect(block); // lays it out
    if (rect.isNull())
        return rect;
    QTextLayout *layout = block.layout();
    if (layout->lineCount() == 0)
        return rect;
    // Qt leaves the first line at the top; once placed it stands lower.
    if (layout->lineAt(0).y() == 0)
        place(block);
    qreal height = layout->lineCount() * pitch(layout->lineAt(0).height());
    if (!block.next().isValid())
        height += document()->documentMargin();
    rect.setHeight(height);
    return rect;
}

void PageLayout::place(const QTextBlock &block) const
{
    QTextLayout *layout = block.layout();
    const bool rightToLeft = isRightToLeft(block);
    const qreal margin = document()->documentMargin();
    for (int i = 0; i < layout->lineCount(); ++i) {
        QTextLine line = layout->lineAt(i);
        const qreal step = pitch(line.height());
        const qreal x = rightToLeft ? margin + line.width() - line.naturalTextWidth() : margin;
        line.setPosition(QPointF(x, i * step + (step - line.height()) / 2));
    }
}
