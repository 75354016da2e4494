// Writes one key many times, as a second running copy of the program would.
#include "app/SettingsStore.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3)
        return 2;
    const int rounds = args.at(2).toInt();
    const auto key =
        args.at(1) == QLatin1String("fore") ? SettingKey::ForeColor : SettingKey::BackColor;
    for (int i = 0; i < rounds; ++i)
        SettingsStore::writeColor(key, i);
    return 0;
}
