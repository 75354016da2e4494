#pragma once

#include "controls/Modal.h"

class QWidget;

// The real dialogs, each opened over whichever of our windows is up so that
// none can hide behind the full-screen writing window.
class QtModal : public Modal
{
public:
    void messageBox(const QString &text, int style, const QString &title) override;
    std::optional<QString> openFileName(const FileRequest &request) override;
    std::optional<QString> saveFileName(const FileRequest &request) override;
    std::optional<QColor> chooseColor(const QColor &initial) override;
    std::optional<QFont> chooseFont(const QFont &initial) override;
    void endProcess(int exitCode) override;

    static QWidget *dialogParent();
    // Message texts break lines with CR LF or a bare CR; a label needs LF.
    static QString displayText(const QString &text);
};
