#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <optional>

// The one seam for everything that waits on the user or ends the process.
// The program uses the Qt implementation; tests install a scripted fake so
// that nothing ever blocks on a real dialog.
class Modal
{
public:
    // Message box styles as the error report and About use them.
    static constexpr int StyleOkOnly = 0;
    static constexpr int StyleExclamation = 48;

    struct FileRequest
    {
        QString title;
        QStringList filters; // Qt's "Description (patterns)" form
        int selectedFilter = 0;
        QString fileName; // the name the dialog starts with
        QString folder;   // the folder it starts in
    };

    virtual ~Modal() = default;

    // An empty title stands for the application title.
    virtual void messageBox(const QString &text, int style, const QString &title) = 0;
    // nullopt when the user cancels.
    virtual std::optional<QString> openFileName(const FileRequest &request) = 0;
    virtual std::optional<QString> saveFileName(const FileRequest &request) = 0;
    virtual std::optional<QColor> chooseColor(const QColor &initial) = 0;
    virtual std::optional<QFont> chooseFont(const QFont &initial) = 0;
    // Ends the process at once: no handler of any window runs afterwards.
    virtual void endProcess(int exitCode) = 0;

    static Modal &instance();
    // Replaces the implementation; nullptr goes back to the Qt one.
    static void install(Modal *modal);
};
