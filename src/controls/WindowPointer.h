#pragma once

#include <QCursor>
#include <optional>

class QWidget;

// A window's pointer: kind 0 default, 11 busy, 99 the window's own image
// (the ordinary arrow while it has none). Children without a pointer of
// their own, such as the buttons, show the same.
class WindowPointer
{
public:
    static constexpr int Default = 0;
    static constexpr int Busy = 11;
    static constexpr int Custom = 99;

    explicit WindowPointer(QWidget *window) : m_window(window) {}

    int kind() const { return m_kind; }
    void setKind(int kind);
    void setImage(const QCursor &image);
    bool hasImage() const { return m_image.has_value(); }

private:
    QWidget *m_window;
    int m_kind = Default;
    std::optional<QCursor> m_image;
};
