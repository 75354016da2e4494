#include "controls/QtModal.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeView>
#include <cstdio>
#include <cstdlib>

namespace {

Modal *g_installed = nullptr;

// A message box whose whole text Ctrl+C copies, title included, as it does
// on Windows, so that a report can be pasted into an e-mail; also once a
// click has put the focus into the text, unless something there is selected.
class CopyableBox : public QMessageBox
{
public:
    CopyableBox(Icon icon, const QString &title, const QString &text, QWidget *parent)
        : QMessageBox(icon, title, text, QMessageBox::Ok, parent)
    {
        // Plain text: rich-text detection would swallow the report's line breaks.
        setTextFormat(Qt::PlainText);
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        if (auto *label = findChild<QLabel *>(QStringLiteral("qt_msgbox_label")))
            label->installEventFilter(this);
    }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->matches(QKeySequence::Copy))
            copyWhole();
        else
            QMessageBox::keyPressEvent(event);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy) &&
            !static_cast<QLabel *>(watched)->hasSelectedText()) {
            copyWhole();
            return true;
        }
        return QMessageBox::eventFilter(watched, event);
    }

private:
    void copyWhole()
    {
        QGuiApplication::clipboard()->setText(windowTitle() + QStringLiteral("\n\n") + text() +
                                              QLatin1Char('\n'));
    }
};

// Qt's file dialog keeps its state in "QtProject.conf" beside the user's
// settings and opens that file whatever it is: a FIFO there hangs the
// program, a huge file stalls it. Its state is kept in a folder of this
// run's own instead; where the dialogs start is the program's choice anyway.
void keepQtDialogStateOwn()
{
#ifndef Q_OS_WIN // on Windows it is a registry key
    static QTemporaryDir own;
    static const bool moved = [] {
        const QString folder =
            own.isValid() ? own.path() : QDir::tempPath() + QStringLiteral("/inkwellor-none");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
        return true;
    }();
    Q_UNUSED(moved);
#endif
}

std::optional<QString> runFileDialog(const Modal::FileRequest &request,
                                     QFileDialog::AcceptMode mode)
{
    keepQtDialogStateOwn();
    QFileDialog dialog(QtModal::dialogParent(), request.title);
    dialog.setAcceptMode(mode);
    // The open dialog returns whatever name is typed; loading reports it.
    dialog.setFileMode(QFileDialog::AnyFile);
    // Names are used exactly as typed: no suffix is added and an existing
    // file is replaced without a question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(request.filters);
    if (request.selectedFilter >= 0 && request.selectedFilter < request.filters.size())
        dialog.selectNameFilter(request.filters.at(request.selectedFilter));
    if (!request.folder.isEmpty())
        dialog.setDirectory(request.folder);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    // Large enough for the name, size, type and date columns whole, on a
    // small screen too.
    const QRect room = dialog.screen()->availableGeometry();
    dialog.resize(qMin(960, room.width() * 9 / 10), qMin(600, room.height() * 17 / 20));
    // Qt's own dialog gives its size, type and date columns a fixed width
    // that cuts "17.2 KiB": wide enough for the longest, the name the rest.
    if (auto *view = dialog.findChild<QTreeView *>(QStringLiteral("treeView"))) {
        const QFontMetrics metrics(view->font());
        const int pad = metrics.horizontalAdvance(QStringLiteral("MM"));
        const QDateTime late(QDate(2026, 12, 28), QTime(23, 58));
        QHeaderView *header = view->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        header->resizeSection(1, metrics.horizontalAdvance(QStringLiteral("1023.9 KiB")) + pad);
        header->resizeSection(2, metrics.horizontalAdvance(QStringLiteral("Folder")) * 2 + pad);
        header->resizeSection(
            3, metrics.horizontalAdvance(QLocale().toString(late, QLocale::ShortFormat)) + pad);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace

Modal &Modal::instance()
{
    static QtModal real;
    return g_installed ? *g_installed : real;
}

void Modal::install(Modal *modal)
{
    g_installed = modal;
}

QWidget *QtModal::dialogParent()
{
    if (QWidget *w = QApplication::activeModalWidget())
        return w;
    if (QWidget *w = QApplication::activeWindow())
        return w;
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows) {
        if (w->isVisible() && !w->isMinimized() && w->windowType() != Qt::ToolTip)
            return w;
    }
    return nullptr;
}

QString QtModal::displayText(const QString &text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

void QtModal::messageBox(const QString &text, int style, const QString &title)
{
    const QMessageBox::Icon icon =
        style == StyleExclamation ? QMessageBox::Warning : QMessageBox::NoIcon;
    CopyableBox box(icon, title.isEmpty() ? QCoreApplication::applicationName() : title,
                    displayText(text), dialogParent());
    box.exec();
}

std::optional<QString> QtModal::openFileName(const FileRequest &request)
{
    return runFileDialog(request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtModal::saveFileName(const FileRequest &request)
{
    return runFileDialog(request, QFileDialog::AcceptSave);
}

std::optional<QColor> QtModal::chooseColor(const QColor &initial)
{
    QColorDialog dialog(initial, dialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedColor();
}

std::optional<QFont> QtModal::chooseFont(const QFont &initial)
{
    QFontDialog dialog(initial, dialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedFont();
}

void QtModal::endProcess(int exitCode)
{
    // At once: no close or destroy handler of any window may run.
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(exitCode);
}
