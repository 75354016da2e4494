// Saves MEGABYTES of text over PATH the way the program does, announcing on
// stdout when it starts, so a test can kill it in the middle.
#include "controls/TextFile.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3)
        return 2;
    const QByteArray bytes(qsizetype(args.at(2).toInt()) * 1024 * 1024, 'n');
    std::puts("writing");
    std::fflush(stdout);
    return TextFile::write(args.at(1), bytes).isEmpty() ? 0 : 1;
}
