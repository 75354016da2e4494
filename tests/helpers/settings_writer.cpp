// Writes one key many times, as a second running copy of the program would;
// "read" prints the stored text colour. A failure's report goes to stdout.
#include "app/SettingsStore.h"
#include "controls/AppError.h"

#include <QCoreApplication>
#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
#ifdef Q_OS_WIN
    // The test's own registry key, as its settings store.
    HKEY hive = nullptr;
    const std::wstring hiveKey = qEnvironmentVariable("INKWELLOR_TEST_HIVE").toStdWString();
    if (!hiveKey.empty() && ::RegOpenKeyExW(HKEY_CURRENT_USER, hiveKey.c_str(), 0, KEY_ALL_ACCESS,
                                            &hive) == ERROR_SUCCESS)
        ::RegOverridePredefKey(HKEY_CURRENT_USER, hive);
#endif
    const QStringList args = app.arguments();
    try {
        if (args.size() == 2 && args.at(1) == QLatin1String("read")) {
            std::printf("%d\n", SettingsStore::readColor(SettingKey::ForeColor, -1));
            return 0;
        }
        if (args.size() != 3)
            return 2;
        const int rounds = args.at(2).toInt();
        const auto key =
            args.at(1) == QLatin1String("fore") ? SettingKey::ForeColor : SettingKey::BackColor;
        for (int i = 0; i < rounds; ++i)
            SettingsStore::writeColor(key, i);
    } catch (const AppError &e) {
        std::puts(e.what());
        return 1;
    }
    return 0;
}
