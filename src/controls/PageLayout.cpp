#include "controls/PageLayout.h"

#include "controls/text/TextModel.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <cmath>

PageLayout::PageLayout(QTextDocument *document) : QPlainTextDocumentLayout(document) {}

qreal PageLayout::pitch(qreal lineHeight)
{
    return std::round(lineHeight * Spacing);
}

bool PageLayout::isRightToLeft(const QTextBlock &block) const
{
    return m_direction ? m_direction(block) : TextModel::paragraphIsRightToLeft(block);
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
    if (layout->lineAt(0).y() == 0) {
        const bool rightToLeft = isRightToLeft(block);
        orient(block, rightToLeft);
        place(block, rightToLeft);
    }
    qreal height = layout->lineCount() * pitch(layout->lineAt(0).height());
    if (!block.next().isValid())
        height += document()->documentMargin();
    rect.setHeight(height);
    return rect;
}

// Qt reads a block's direction from its own text; a piece of a longer line
// is laid out again in the line's, so that its arrows and its edge are the
// line's. The breaks stay where they were: they follow the logical order.
void PageLayout::orient(const QTextBlock &block, bool rightToLeft) const
{
    if (block.length() <= 1 || (block.textDirection() == Qt::RightToLeft) == rightToLeft)
        return;
    QTextLayout *layout = block.layout();
    const Qt::LayoutDirection direction = rightToLeft ? Qt::RightToLeft : Qt::LeftToRight;
    QTextOption option = layout->textOption();
    option.setTextDirection(direction);
    layout->setTextOption(option);
    const qreal width = layout->lineAt(0).width();
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(width);
    }
    layout->endLayout();
}

void PageLayout::place(const QTextBlock &block, bool rightToLeft) const
{
    QTextLayout *layout = block.layout();
    const qreal margin = document()->documentMargin();
    for (int i = 0; i < layout->lineCount(); ++i) {
        QTextLine line = layout->lineAt(i);
        const qreal step = pitch(line.height());
        const qreal x = rightToLeft ? margin + line.width() - line.naturalTextWidth() : margin;
        line.setPosition(QPointF(x, i * step + (step - line.height()) / 2));
    }
}
