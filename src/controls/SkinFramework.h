#pragma once

#include <QString>
#include <functional>

class QWidget;

// The panel's skin: a Qt style sheet loaded from a file and applied to one
// window. It accepts the skinning calls in their usual order (load, the
// three options, apply); the options change nothing here.
class SkinFramework
{
public:
    // What makes a style sheet unfit to be applied, or an empty text; the
    // owner knows what a skin may hold.
    using Check = std::function<QString(const QString &css)>;
    void setCheck(Check check) { m_check = std::move(check); }

    // Raises AppError when the file cannot be read, is not text or fails
    // the check.
    void loadSkin(const QString &path, const QString &iniSection);

    int applyOptions() const { return m_applyOptions; }
    void setApplyOptions(int options) { m_applyOptions = options; }
    void setOption5(bool on) { m_option5 = on; }
    void setOption10(bool on) { m_option10 = on; }

    // Raises AppError when no skin has been loaded.
    void applyWindow(QWidget *window);

    const QString &styleSheet() const { return m_styleSheet; }

private:
    Check m_check;
    QString m_styleSheet;
    int m_applyOptions = 0;
    bool m_option5 = false;
    bool m_option10 = false;
};
