// Runs one step that could block on a special file, in a process of its own
// so that a test can give up on it instead of hanging:
//   probe save PATH            saves a line of text to PATH
//   probe start PROGRAM_FOLDER starts the program with the side files there
//   probe panel PROGRAM_FOLDER also presses Esc once the writing window shows,
//                              and tells the size of both windows as they show
//   probe load PATH            types "kept", loads PATH, tells the page's start
//   probe paste MB             types "kept", pastes MB megabytes of short lines
//                              with Ctrl+V, tells the page's start
//   probe dialog FOLDER        shows the real open dialog in FOLDER, closes it
//                              once it is up
// Prints every error report, or "saved" / "started" / the windows' sizes.
#include "app/Application.h"
#include "app/SideFiles.h"
#include "controls/Modal.h"
#include "controls/PushButton.h"
#include "controls/RichTextBox.h"
#include "controls/text/TextFile.h"
#include "panel/Form1.h"
#include "writer/Form2.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QTimer>
#include <cstdio>

namespace {

class PrintingModal : public Modal
{
public:
    void messageBox(const QString &text, int, const QString &) override
    {
        std::printf("%s\n", qPrintable(text));
    }
    std::optional<QString> openFileName(const FileRequest &) override
    {
        return m_open.isEmpty() ? std::nullopt : std::optional<QString>(m_open);
    }
    std::optional<QString> saveFileName(const FileRequest &) override { return std::nullopt; }
    std::optional<QColor> chooseColor(const QColor &) override { return std::nullopt; }
    std::optional<QFont> chooseFont(const QFont &) override { return std::nullopt; }
    void endProcess(int) override {}

    QString m_open;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication qtApp(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3)
        return 2;
    if (args.at(1) == QLatin1String("save")) {
        const QString error = TextFile::write(args.at(2), "a line of text\n");
        std::printf("%s\n", error.isEmpty() ? "saved" : qPrintable(error));
        return 0;
    }
    if (args.at(1) == QLatin1String("dialog")) {
        QTimer::singleShot(100, [] {
            if (QWidget *dialog = QApplication::activeModalWidget())
                dialog->close();
        });
        Modal::FileRequest request;
        request.folder = args.at(2);
        Modal::instance().openFileName(request);
        std::printf("dialog closed\n");
        return 0;
    }
    PrintingModal modal;
    Modal::install(&modal);
    if (args.at(1) == QLatin1String("load")) {
        Application app;
        app.start();
        app.form2().text1().insertPlainText(QStringLiteral("kept"));
        modal.m_open = args.at(2);
        app.form1().pushButton(1).click();
        std::printf("page: %s\n", qPrintable(app.form2().text1().text().left(8)));
        Modal::install(nullptr);
        return 0;
    }
    if (args.at(1) == QLatin1String("paste")) {
        Application app;
        app.start();
        RichTextBox &text = app.form2().text1();
        text.insertPlainText(QStringLiteral("kept"));
        {
            const QString line = QStringLiteral("a short line\n");
            QGuiApplication::clipboard()->setText(
                line.repeated(int(args.at(2).toLongLong() * 1000 * 1000 / line.size())));
        }
        QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
        QCoreApplication::sendEvent(&text, &paste);
        std::printf("page: %s\n", qPrintable(text.text().left(8)));
        Modal::install(nullptr);
        return 0;
    }
    SideFiles::setProgramFolder(args.at(2));
    Application app;
    app.start();
    QCoreApplication::processEvents();
    std::printf("started\n");
    std::fflush(stdout);
    if (args.at(1) != QLatin1String("panel")) {
        Modal::install(nullptr);
        return 0;
    }
    // Waits for each window to be shown at its final size, as a window
    // system may size it after it maps.
    auto report = [](const char *name, QWidget &w) {
        std::printf("%s %dx%d at %d,%d visible=%d\n", name, w.width(), w.height(), w.x(), w.y(),
                    int(w.isVisible()));
        std::fflush(stdout);
    };
    QTimer::singleShot(1500, [&] {
        report("writer", app.form2());
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&app.form2().text1(), &esc);
        QTimer::singleShot(1500, [&] {
            report("panel", app.form1());
            report("writer", app.form2());
            const int hold = qEnvironmentVariableIntValue("PROBE_HOLD_MS");
            QTimer::singleShot(hold, [] { QCoreApplication::exit(0); });
        });
    });
    const int status = QApplication::exec();
    Modal::install(nullptr);
    return status;
}
