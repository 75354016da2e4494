#pragma once

#include "controls/AppError.h"

#include <QString>
#include <exception>
#include <utility>

// A handler's error trap: each numbered step runs under it, a failing step
// shows one error report and the handler carries on with the next step.
class ErrorTrap
{
public:
    ErrorTrap(const char *window, const char *handler);

    template <typename Step> void step(int line, Step &&body) noexcept
    {
        try {
            std::forward<Step>(body)();
        } catch (const AppError &e) {
            report(e.description(), line);
        } catch (const std::exception &e) {
            report(QString::fromLocal8Bit(e.what()), line);
        } catch (...) {
            report(QStringLiteral("Unexpected error"), line);
        }
    }

    // A condition step. When evaluating it fails, the guarded steps run as if
    // the test had passed, so a failed test yields true.
    template <typename Test> bool test(int line, Test &&condition) noexcept
    {
        bool result = true;
        step(line, [&] { result = std::forward<Test>(condition)(); });
        return result;
    }

    void report(const QString &description, int line) const noexcept;

private:
    QString m_location;
};

// Handlers without numbered steps (hover, keys, layout) still must not let an
// error escape into Qt's event loop; a failure there is reported at line 0.
template <typename Body>
void untrapped(const char *window, const char *handler, Body &&body) noexcept
{
    ErrorTrap(window, handler).step(0, std::forward<Body>(body));
}
