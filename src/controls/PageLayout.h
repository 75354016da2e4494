#pragma once

#include <QPlainTextDocumentLayout>
#include <functional>

// The page as a writer reads it: Qt's plain-text layout (a block a line,
// laid out only when shown), with every line given a pitch of Spacing
// times its height, the text centred in it, and each paragraph standing
// against the edge its own direction starts from.
//
// Qt lays a block out in a function of its own that cannot be replaced,
// so the lines are moved into place afterwards, before anyone reads their
// positions: every reader asks for the block's rectangle first.
class PageLayout : public QPlainTextDocumentLayout
{
    Q_OBJECT

public:
    static constexpr qreal Spacing = 1.5;

    explicit PageLayout(QTextDocument *document);

    QRectF blockBoundingRect(const QTextBlock &block) const override;

    // The distance from one line of text to the next.
    static qreal pitch(qreal lineHeight);
    // Whether a block reads right to left. By default by its own text (see
    // TextModel::paragraphIsRightToLeft); where a line is held in several
    // blocks, each of them reads in the line's direction.
    using Direction = std::function<bool(const QTextBlock &)>;
    void setDirection(Direction direction) { m_direction = std::move(direction); }
    bool isRightToLeft(const QTextBlock &block) const;

private:
    void place(const QTextBlock &block, bool rightToLeft) const;
    void orient(const QTextBlock &block, bool rightToLeft) const;

    Direction m_direction;
};
