#include "panel/Form1.h"

#include "app/AppTitle.h"
#include "app/CursorFile.h"
#include "app/ErrorReport.h"
#include "app/ErrorTrap.h"
#include "app/SideFiles.h"
#include "app/Version.h"
#include "controls/Modal.h"
#include "controls/OleColor.h"
#include "controls/PushButton.h"
#include "controls/RichTextBox.h"
#include "controls/Twips.h"
#include "panel/FocusHolder.h"
#include "writer/Form2.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QScreen>

namespace {

const char kWindow[] = "Form1";

struct ButtonDesign
{
    int number;
    const char *caption;
    int top; // twips; all share left 120, width 7800, height 405
};

// Top to bottom, which is also the tab order.
constexpr ButtonDesign kButtons[] = {
    {3, "< Back To Writing", 120},
    {1, "Load File", 630},
    {4, "Save File", 1140},
    {5, "Change Font", 1650},
    {2, "Change Font Color", 2160},
    {6, "Change Background Color", 2670},
    {7, "About", 3180},
    {8, "Exit", 3690},
};

QFont arialBold(qreal points)
{
    QFont f(QStringLiteral("Arial"));
    f.setPointSizeF(points);
    f.setBold(true);
    return f;
}

QString aboutText()
{
    return QStringLiteral("Inkwellor %1 is a distraction-free writing tool: a whole screen for "
                          "your words, in the font and colours you choose, and nothing else. Press "
                          "Esc while writing for this control panel, and Esc again to go back. "
                          "Questions and suggestions are welcome at %2.")
        .arg(QLatin1String(kVersion), QLatin1String(kSupportAddress));
}

} // namespace

Form1::Form1(Form2 &writer)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_writer(writer), m_text1(new FocusHolder(this)), m_pointer(this),
      m_fileCommands(m_commonDialog1, writer, *this),
      m_lookCommands(m_commonDialog1, m_commonDialog2, writer, *this)
{
    setWindowTitle(QStringLiteral("Form1"));
    setFixedSize(Twips::toPixels(8040), Twips::toPixels(4215));
    setFont(arialBold(9));
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, OleColor::toColor(OleColor::White));
    setPalette(p);

    // Over the whole panel, so that a magnifier following the focus stays
    // on it; never seen (see FocusHolder).
    m_text1->setGeometry(rect());
    QWidget *previous = m_text1;
    for (const ButtonDesign &design : kButtons) {
        auto *button = new PushButton(QString::fromLatin1(design.caption),
                                      QRect(120, design.top, 7800, 405), arialBold(11.25), this);
        m_pushButtons.at(design.number - 1) = button;
        if (design.number == 3)
            button->setAccessibleName(QStringLiteral("Back To Writing"));
        setTabOrder(previous, button);
        previous = button;
        connect(button, &PushButton::mouseMoved, this, [this] { PushButton_MouseMove(); });
        button->installEventFilter(this);
    }
    m_text1->installEventFilter(this);
    installEventFilter(this);
    m_text1->setFocus();

    auto onClick = [this](int number, auto handler) {
        connect(&pushButton(number), &PushButton::clicked, this, handler);
    };
    onClick(1, [this] { m_fileCommands.PushButton1_Click(); });
    onClick(2, [this] { m_lookCommands.PushButton2_Click(); });
    onClick(3, [this] { PushButton3_Click(); });
    onClick(4, [this] { m_fileCommands.PushButton4_Click(); });
    onClick(5, [this] { m_lookCommands.PushButton5_Click(); });
    onClick(6, [this] { m_lookCommands.PushButton6_Click(); });
    onClick(7, [this] { PushButton7_Click(); });
    onClick(8, [this] { PushButton8_Click(); });
}

Form1::~Form1() = default;

void Form1::Form_Load()
{
    ErrorTrap trap(kWindow, "Form_Load");
    trap.step(102, [&] { SideFiles::applySkin(this, m_skinFramework1); });
    const QString pointerFile = SideFiles::pointerPath();
    if (trap.test(104, [&] { return SideFiles::fileExists(pointerFile); }))
        trap.step(106, [&] { m_pointer.setImage(CursorFile::load(pointerFile)); });
    trap.step(110, [&] { m_writer.showWindow(); });
    trap.step(128, [&] { setWindowTitle(kProductName); });
    trap.step(128, [&] { setWindowIcon(applicationIcon()); });
    trap.step(128, [&] { setAppTitle(); });
    trap.step(130, [&] { hide(); });
}

void Form1::showWindow()
{
    QRect frame = frameGeometry();
    const QScreen *screen = m_placed ? QGuiApplication::screenAt(frame.center()) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        // Wholly on the screen, also where the resolution has shrunk since
        // the user left it; its top left if it is larger than the screen.
        const QRect room = screen->availableGeometry();
        if (!m_placed)
            frame.moveCenter(room.center());
        frame.moveLeft(qMax(room.left(), qMin(frame.left(), room.right() - frame.width() + 1)));
        frame.moveTop(qMax(room.top(), qMin(frame.top(), room.bottom() - frame.height() + 1)));
        move(frame.topLeft());
    }
    m_placed = true;
    show();
    raise();
    activateWindow();
    // Every opening says how the panel is used: the first focus says it
    // itself; a button focused again says it until the focus moves on.
    if (QWidget *focus = focusWidget(); focus && focus != m_text1) {
        m_announced = focus;
        focus->setAccessibleDescription(FocusHolder::usage());
    }
}

void Form1::Form_QueryUnload()
{
    ErrorTrap trap(kWindow, "Form_QueryUnload");
    trap.step(100, [&] { QCoreApplication::processEvents(); });
    trap.step(102, [&] { QCoreApplication::processEvents(); });
}

void Form1::Form_Unload()
{
    Modal::instance().endProcess(0);
}

void Form1::Form_MouseMove()
{
    if (m_pointer.kind() != WindowPointer::Busy)
        m_pointer.setKind(WindowPointer::Default);
}

void Form1::PushButton_MouseMove()
{
    if (m_pointer.kind() != WindowPointer::Busy)
        m_pointer.setKind(WindowPointer::Custom);
}

void Form1::PushButton3_Click()
{
    ErrorTrap trap(kWindow, "PushButton3_Click");
    trap.step(100, [&] { hide(); });
    trap.step(102, [&] { m_writer.showWindow(); });
}

void Form1::PushButton7_Click()
{
    ErrorTrap trap(kWindow, "PushButton7_Click");
    trap.step(100,
              [&] { Modal::instance().messageBox(aboutText(), Modal::StyleOkOnly, QString()); });
}

void Form1::PushButton8_Click()
{
    ErrorTrap trap(kWindow, "PushButton8_Click");
    trap.step(100, [&] { Modal::instance().endProcess(0); });
}

void Form1::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // The panel has one size; Qt's own title bar under Wayland offers to
    // maximise every window all the same.
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMaximized))
        setWindowState(windowState() & ~Qt::WindowMaximized);
}

void Form1::mouseMoveEvent(QMouseEvent *event)
{
    QWidget::mouseMoveEvent(event);
    untrapped(kWindow, "Form_MouseMove", [&] { Form_MouseMove(); });
}

// Keys typed while a command ran (a long load) reach the panel only after it
// has given way to the writing window: they belong to the text, in order,
// and must not press a button no one sees.
bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    // Not when the panel goes: that may be told after its next opening.
    if (type == QEvent::FocusOut && watched == m_announced &&
        static_cast<QFocusEvent *>(event)->reason() != Qt::ActiveWindowFocusReason) {
        m_announced->setAccessibleDescription(QString());
        m_announced = nullptr;
    }
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease || type == QEvent::InputMethod) &&
        !isVisible() && m_writer.isVisible()) {
        QCoreApplication::sendEvent(&m_writer.text1(), event);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// The panel's own keys: Enter presses the focused button as Space does, and
// Esc goes back to writing, as "< Back To Writing" does.
void Form1::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Escape) {
        PushButton3_Click();
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (auto *button = qobject_cast<QAbstractButton *>(focusWidget())) {
            button->click();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

void Form1::closeEvent(QCloseEvent *event)
{
    event->accept();
    Form_QueryUnload();
    untrapped(kWindow, "Form_Unload", [&] { Form_Unload(); });
}
