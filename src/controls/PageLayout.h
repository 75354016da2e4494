#pragma once

#include <QPlainTextDocumentLayout>

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
    // Whether a paragraph reads right to left: by its first strong
    // character, as the bidirectional rule says; an empty one follows the
    // paragraph before it.
    static bool isRightToLeft(const QTextBlock &block);

private:
    void place(const QTextBlock &block) const;
};
