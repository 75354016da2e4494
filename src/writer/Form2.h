#pragma once

#include "controls/WindowPointer.h"
#include "writer/ScreenFollower.h"

#include <QWidget>
#include <cstdint>
#include <functional>

class PushButton;
class RichTextBox;

// The full-screen writing window: the writing area below a thin strip whose
// two buttons ("Options", "X") show only while the pointer is in the strip.
class Form2 : public QWidget
{
    Q_OBJECT

public:
    // `showPanel` brings up the control panel (Esc, "Options").
    explicit Form2(std::function<void()> showPanel);
    ~Form2() override;

    // Shows the window full screen, not modal; the first call loads it.
    void showWindow();

    RichTextBox &text1() const { return *m_text1; }
    PushButton &pushButton1() const { return *m_pushButton1; }
    PushButton &pushButton2() const { return *m_pushButton2; }
    WindowPointer &pointer() { return m_pointer; }

    std::int32_t backColor() const { return m_backColor; }
    void setBackColor(std::int32_t color);

    // The stored font and colours; raises at the first step that fails.
    void setTextboxColors();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void Form_Resize();
    void Form_Activate();
    void Form_MouseMove();
    void Form_KeyDown(int keyCode);
    void Text1_MouseMove();
    void Text1_KeyDown(int keyCode);
    void PushButton1_MouseMove();
    void PushButton2_MouseMove();
    void PushButton1_Click();
    void PushButton2_Click();

    void toPanel();
    void buttonHover();

    std::function<void()> m_showPanel;
    RichTextBox *m_text1;
    PushButton *m_pushButton2;
    PushButton *m_pushButton1;
    WindowPointer m_pointer;
    ScreenFollower *m_screenFollower;
    std::int32_t m_backColor;
    bool m_loaded = false;
    const QEvent *m_previewedKey = nullptr;
};
