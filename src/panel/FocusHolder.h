#pragma once

#include <QLineEdit>

// The panel's invisible first focus, so that no button shows a focus mark
// when the panel opens. It lies over the whole panel, under the buttons,
// draws nothing and takes no click, and Tab passes it by. A screen reader
// meets it first, so it presents itself as a short text that says how to
// use the panel, not as an empty edit field.
class FocusHolder : public QLineEdit
{
    Q_OBJECT

public:
    explicit FocusHolder(QWidget *parent);

    // How the panel is used, for a screen reader.
    static QString usage();

protected:
    void paintEvent(QPaintEvent *event) override;
};
