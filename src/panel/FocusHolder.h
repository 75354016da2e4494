#pragma once

#include <QLineEdit>

// The panel's invisible first stop in the tab order, so that no button
// shows a focus mark when the panel opens. A screen reader meets it first,
// so it presents itself as a short text that says how to use the panel,
// not as an empty edit field.
class FocusHolder : public QLineEdit
{
    Q_OBJECT

public:
    explicit FocusHolder(QWidget *parent);
};
