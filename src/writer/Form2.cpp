#include "writer/Form2.h"

#include "app/CursorFile.h"
#include "app/ErrorTrap.h"
#include "app/SideFiles.h"
#include "controls/AppError.h"
#include "controls/Modal.h"
#include "controls/OleColor.h"
#include "controls/PushButton.h"
#include "controls/RichTextBox.h"
#include "controls/Twips.h"
#include "writer/TextAppearance.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>

namespace {

const char kWindow[] = "Form2";

QFont designFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(9);
    font.setBold(true);
    return font;
}

} // namespace

Form2::Form2(std::function<void()> showPanel)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint), m_showPanel(std::move(showPanel)),
      m_text1(new RichTextBox(this)),
      m_pushButton2(
          new PushButton(QStringLiteral("X"), QRect(840, 0, 330, 285), designFont(), this)),
      m_pushButton1(
          new PushButton(QStringLiteral("Options"), QRect(0, 0, 810, 285), designFont(), this)),
      m_pointer(this), m_screenFollower(new ScreenFollower(this)), m_backColor(OleColor::ButtonFace)
{
    setWindowTitle(QString());
    setAccessibleName(QStringLiteral("Inkwellor"));
    setAccessibleDescription(QStringLiteral("Press Esc for the control panel."));
    m_text1->setAccessibleName(QStringLiteral("Writing area"));
    m_pushButton2->setAccessibleName(QStringLiteral("Exit"));
    setFont(designFont());
    setMouseTracking(true);
    setAutoFillBackground(true);
    setBackColor(m_backColor);
    resize(507, 490);

    m_text1->setFont(designFont());
    m_text1->setGeometryTwips(0, 360, 7575, 6975);
    setTabOrder(m_text1, m_pushButton1);
    setTabOrder(m_pushButton1, m_pushButton2);
    // Key preview: the window sees every key before the control with focus.
    for (QWidget *child : {static_cast<QWidget *>(m_text1), static_cast<QWidget *>(m_pushButton1),
                           static_cast<QWidget *>(m_pushButton2)})
        child->installEventFilter(this);

    connect(m_text1, &RichTextBox::keyDown, this, [this](int key) { Text1_KeyDown(key); });
    // A paste the page cannot take is reported as any failing handler is.
    connect(m_text1, &RichTextBox::refused, this, [](const QString &why) {
        untrapped(kWindow, "Text1_Paste", [&] { throw AppError(why); });
    });
    connect(m_text1, &RichTextBox::mouseMoved, this, [this] { Text1_MouseMove(); });
    connect(m_pushButton1, &PushButton::mouseMoved, this, [this] { PushButton1_MouseMove(); });
    connect(m_pushButton2, &PushButton::mouseMoved, this, [this] { PushButton2_MouseMove(); });
    connect(m_pushButton1, &PushButton::clicked, this, [this] { PushButton1_Click(); });
    connect(m_pushButton2, &PushButton::clicked, this, [this] { PushButton2_Click(); });
}

Form2::~Form2() = default;

void Form2::showWindow()
{
    if (!m_loaded) {
        m_loaded = true;
        Form_Load();
    }
    // Without a window manager nothing resizes a full-screen window, so it
    // gets the screen's geometry before it shows.
    m_screenFollower->fit();
    showFullScreen();
    raise();
    activateWindow();
}

void Form2::setBackColor(std::int32_t color)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, OleColor::toColor(color));
    setPalette(p);
    m_backColor = color;
}

void Form2::setTextboxColors()
{
    applyStoredAppearance(*m_text1, [this](std::int32_t color) { setBackColor(color); });
}

void Form2::Form_Load()
{
    ErrorTrap trap(kWindow, "Form_Load");
    const QString pointerFile = SideFiles::pointerPath();
    if (trap.test(100, [&] { return SideFiles::fileExists(pointerFile); }))
        trap.step(102, [&] { m_pointer.setImage(CursorFile::load(pointerFile)); });
    trap.step(104, [&] { setTextboxColors(); });
    trap.step(106, [&] { m_pushButton1->setVisible(false); });
    trap.step(108, [&] { m_pushButton2->setVisible(false); });
}

void Form2::Form_Resize()
{
    const int strip = m_pushButton1->heightTwips();
    const int clientHeight = Twips::fromPixels(height());
    // A window lower than the strip (minimised) gets an empty area, never a
    // negative one.
    m_text1->setGeometryTwips(0, strip, Twips::fromPixels(width()), qMax(0, clientHeight - strip));
}

void Form2::Form_Activate()
{
    ErrorTrap trap(kWindow, "Form_Activate");
    trap.step(100, [&] { m_text1->setFocus(Qt::ActiveWindowFocusReason); });
}

void Form2::Form_MouseMove()
{
    m_pushButton1->setVisible(true);
    m_pushButton2->setVisible(true);
}

void Form2::Text1_MouseMove()
{
    m_pushButton1->setVisible(false);
    m_pushButton2->setVisible(false);
    m_text1->setFocus(Qt::MouseFocusReason);
}

void Form2::buttonHover()
{
    if (m_pointer.kind() != WindowPointer::Busy)
        m_pointer.setKind(WindowPointer::Custom);
}

void Form2::PushButton1_MouseMove()
{
    buttonHover();
}

void Form2::PushButton2_MouseMove()
{
    buttonHover();
}

void Form2::toPanel()
{
    hide();
    m_showPanel();
}

void Form2::Form_KeyDown(int keyCode)
{
    if (keyCode == Qt::Key_Escape)
        untrapped(kWindow, "Form_KeyDown", [&] { toPanel(); });
}

void Form2::Text1_KeyDown(int keyCode)
{
    if (keyCode == Qt::Key_Escape)
        untrapped(kWindow, "Text1_KeyDown", [&] { toPanel(); });
}

void Form2::PushButton1_Click()
{
    ErrorTrap trap(kWindow, "PushButton1_Click");
    trap.step(100, [&] { hide(); });
    trap.step(102, [&] { m_showPanel(); });
}

void Form2::PushButton2_Click()
{
    ErrorTrap trap(kWindow, "PushButton2_Click");
    trap.step(100, [&] { Modal::instance().endProcess(0); });
}

bool Form2::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QWidget::event(event);
}

bool Form2::eventFilter(QObject *, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        m_previewedKey = event;
        Form_KeyDown(static_cast<QKeyEvent *>(event)->key());
    }
    return false;
}

void Form2::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    untrapped(kWindow, "Form_Resize", [&] { Form_Resize(); });
}

void Form2::mouseMoveEvent(QMouseEvent *event)
{
    QWidget::mouseMoveEvent(event);
    untrapped(kWindow, "Form_MouseMove", [&] { Form_MouseMove(); });
}

void Form2::keyPressEvent(QKeyEvent *event)
{
    // A child's key that it left unused comes here too; the window level
    // has already seen it in eventFilter().
    if (event != m_previewedKey)
        Form_KeyDown(event->key());
    m_previewedKey = nullptr;
    QWidget::keyPressEvent(event);
}

void Form2::closeEvent(QCloseEvent *event)
{
    // The platform's close key ends the program, as "X" does.
    event->accept();
    Modal::instance().endProcess(0);
}
