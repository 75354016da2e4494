#pragma once

#include "controls/Modal.h"

#include <QList>

// Records everything modal and answers from a script; an unscripted dialog
// is cancelled. Installed for its lifetime.
class FakeModal : public Modal
{
public:
    struct Message
    {
        QString text;
        int style;
        QString title;
    };

    FakeModal();
    ~FakeModal() override;

    void messageBox(const QString &text, int style, const QString &title) override;
    std::optional<QString> openFileName(const FileRequest &request) override
    {
        return fileName(request);
    }
    std::optional<QString> saveFileName(const FileRequest &request) override
    {
        return fileName(request);
    }
    std::optional<QColor> chooseColor(const QColor &initial) override;
    std::optional<QFont> chooseFont(const QFont &initial) override;
    void endProcess(int exitCode) override;

    // Error reports only, in order.
    QStringList reports() const;

    QList<Message> messages;
    QList<FileRequest> fileRequests;
    QList<QColor> colorPresets;
    QList<QFont> fontPresets;
    QList<std::optional<QString>> fileAnswers;
    QList<std::optional<QColor>> colorAnswers;
    QList<std::optional<QFont>> fontAnswers;
    QList<int> exitCodes;

private:
    std::optional<QString> fileName(const FileRequest &request);
};
