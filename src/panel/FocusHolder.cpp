#include "panel/FocusHolder.h"

#include <QAccessibleWidget>

namespace {

QAccessibleInterface *accessibleFocusHolder(const QString &className, QObject *object)
{
    if (className != QLatin1String("FocusHolder") || !object || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::StaticText);
}

} // namespace

FocusHolder::FocusHolder(QWidget *parent) : QLineEdit(QStringLiteral("TabStop"), parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(accessibleFocusHolder);
        return true;
    }();
    Q_UNUSED(installed);
    setAccessibleName(QStringLiteral("Inkwellor control panel"));
    setAccessibleDescription(usage());
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QString FocusHolder::usage()
{
    return QStringLiteral("Tab moves to the commands, Enter or Space runs one, "
                          "Esc goes back to writing.");
}

void FocusHolder::paintEvent(QPaintEvent *) {}
