#pragma once

#include "controls/CommonDialog.h"
#include "controls/SkinFramework.h"
#include "controls/WindowPointer.h"
#include "panel/FileCommands.h"
#include "panel/LookCommands.h"

#include <QWidget>
#include <array>

class Form2;
class PushButton;
class FocusHolder;

// The control panel: a small fixed window with one column of eight command
// buttons. It is the start-up window; its load handler performs start-up.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    explicit Form1(Form2 &writer);
    ~Form1() override;

    // Start-up: skin, pointer, the writing window, caption, icon, title.
    void Form_Load();

    // Shows the panel, not modal: centred the first time, then where the
    // user left it, always wholly on its screen.
    void showWindow();

    // Buttons by their number, 1 to 8.
    PushButton &pushButton(int number) const { return *m_pushButtons.at(number - 1); }
    CommonDialog &commonDialog1() { return m_commonDialog1; }
    CommonDialog &commonDialog2() { return m_commonDialog2; }
    SkinFramework &skinFramework1() { return m_skinFramework1; }
    WindowPointer &pointer() { return m_pointer; }

protected:
    void changeEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_QueryUnload();
    void Form_Unload();
    void Form_MouseMove();
    void PushButton_MouseMove();
    void PushButton3_Click();
    void PushButton7_Click();
    void PushButton8_Click();

    Form2 &m_writer;
    FocusHolder *m_text1;
    std::array<PushButton *, 8> m_pushButtons{};
    CommonDialog m_commonDialog1;
    CommonDialog m_commonDialog2;
    SkinFramework m_skinFramework1;
    WindowPointer m_pointer;
    FileCommands m_fileCommands;
    LookCommands m_lookCommands;
    bool m_placed = false;
    QWidget *m_announced = nullptr; // the focus that says how the panel is used
};
