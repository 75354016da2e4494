#pragma once

#include "controls/Modal.h"

// Answers every dialog at once, as a user who knows what they want.
class BenchModal : public Modal
{
public:
    BenchModal() { install(this); }
    ~BenchModal() override { install(nullptr); }

    void messageBox(const QString &text, int, const QString &) override;
    std::optional<QString> openFileName(const FileRequest &) override { return fileName; }
    std::optional<QString> saveFileName(const FileRequest &) override { return fileName; }
    std::optional<QColor> chooseColor(const QColor &) override { return color; }
    std::optional<QFont> chooseFont(const QFont &) override { return font; }
    void endProcess(int) override {}

    QString fileName;
    QColor color;
    QFont font;
    int reports = 0;
};
