#pragma once

#include "controls/text/TextKeys.h"
#include "controls/text/TextModel.h"

#include <QBasicTimer>
#include <QPlainTextEdit>
#include <cstdint>
#include <memory>

class QPainter;

// The writing area. One font and one text colour hold for the whole text:
// both live in the widget (font and palette), so changing them costs the
// same for an empty page and for a novel. Colour values are 0x00BBGGRR or
// system colours; refused values raise AppError.
class RichTextBox : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit RichTextBox(QWidget *parent);

    // Plain-text files; failures raise AppError and leave the text as it was.
    void loadFile(const QString &path);
    void saveFile(const QString &path) const;

    // What the blocks hold and stand for.
    TextModel &model() const { return *m_model; }

    // The text as it is saved, and positions and lengths in it.
    QString text() const;
    int textLength() const;

    int selStart() const;
    void setSelStart(int position);
    int selLength() const;
    void setSelLength(int length);

    // The text colour: with nothing selected it is the colour of typed text,
    // with everything selected the colour of all of it, the same thing here.
    std::int32_t selColor() const { return m_selColor; }
    void setSelColor(std::int32_t color);

    std::int32_t backColor() const { return m_backColor; }
    void setBackColor(std::int32_t color);

    QString fontName() const { return font().family(); }
    void setFontName(const QString &name);
    float fontSize() const { return float(font().pointSizeF()); }
    void setFontSize(float points);
    bool fontBold() const { return font().bold(); }
    void setFontBold(bool on);
    bool fontItalic() const { return font().italic(); }
    void setFontItalic(bool on);
    bool fontStrikethrough() const { return font().strikeOut(); }
    void setFontStrikethrough(bool on);
    bool fontUnderline() const { return font().underline(); }
    void setFontUnderline(bool on);

    // Beside the text's column, the margins of the widget outside its viewport.
    QMargins columnMargins() const { return viewportMargins(); }

    void setGeometryTwips(int left, int top, int width, int height);

    // The caret, drawn in the text's colour; 0 draws none.
    int caretWidth() const { return m_caretWidth; }
    void setCaretWidth(int width);

signals:
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    void mouseMoved();
    // A paste not taken, and why; the text is as it was.
    void refused(const QString &why);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    void edit(QKeyEvent *event);
    void editAs(QKeyEvent *event, QTextCursor cursor);
    void keepCaretOffTheBottom();
    void updateMargin();
    void updateColumn();
    bool forwardToViewport(QEvent *event);
    void updateScrollBarLook();
    void setColorRole(QPalette::ColorRole role, std::int32_t color);
    QMouseEvent onALine(const QMouseEvent &event) const;
    QRect caretRect() const;
    void paintSelection(QPainter &painter) const;
    void showCaret();

    TextModel *m_model; // owned by the document
    std::unique_ptr<TextKeys> m_keys;
    std::int32_t m_selColor;
    std::int32_t m_backColor;
    bool m_forwarding = false;
    bool m_marginPending = false;
    QColor m_highlight;
    int m_caretWidth = 2;
    bool m_caretOn = false;
    QBasicTimer m_blink;
};
