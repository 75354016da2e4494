#include "app/ErrorTrap.h"

#include "app/ErrorReport.h"
#include "controls/Modal.h"

ErrorTrap::ErrorTrap(const char *window, const char *handler)
    : m_location(locationText(window, handler))
{
}

void ErrorTrap::report(const QString &description, int line) const noexcept
{
    try {
        Modal::instance().messageBox(composeErrorReport(description, m_location, line),
                                     Modal::StyleExclamation, QStringLiteral("Application Error"));
    } catch (...) {
        // Nothing sensible is left to tell the user with; carry on.
    }
}
