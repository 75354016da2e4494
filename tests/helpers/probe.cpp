// Runs one step that could block on a special file, in a process of its own
// so that a test can give up on it instead of hanging:
//   probe save PATH            saves a line of text to PATH
//   probe start PROGRAM_FOLDER starts the program with the side files there
// Prints every error report, or "saved" / "started".
#include "app/Application.h"
#include "app/SideFiles.h"
#include "controls/Modal.h"
#include "controls/TextFile.h"

#include <QApplication>
#include <cstdio>

namespace {

class PrintingModal : public Modal
{
public:
    void messageBox(const QString &text, int, const QString &) override
    {
        std::printf("%s\n", qPrintable(text));
    }
    std::optional<QString> openFileName(const FileRequest &) override { return std::nullopt; }
    std::optional<QString> saveFileName(const FileRequest &) override { return std::nullopt; }
    std::optional<QColor> chooseColor(const QColor &) override { return std::nullopt; }
    std::optional<QFont> chooseFont(const QFont &) override { return std::nullopt; }
    void endProcess(int) override {}
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
    PrintingModal modal;
    Modal::install(&modal);
    SideFiles::setProgramFolder(args.at(2));
    Application app;
    app.start();
    QCoreApplication::processEvents();
    std::printf("started\n");
    std::fflush(stdout);
    Modal::install(nullptr);
    return 0;
}
