// Saves MEGABYTES of text over PATH the way the program does, announcing on
// stdout when it starts, so a test can kill it in the middle. With LIMIT,
// the kernel kills it at the first write past LIMIT megabytes of file: a
// kill at a known point whatever the disk's speed.
#include "controls/text/TextFile.h"

#include <QCoreApplication>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3 && args.size() != 4)
        return 2;
    const QByteArray bytes(qsizetype(args.at(2).toInt()) * 1024 * 1024, 'n');
#ifdef Q_OS_UNIX
    if (args.size() == 4) {
        const rlimit limit{rlim_t(args.at(3).toInt()) * 1024 * 1024,
                           rlim_t(args.at(3).toInt()) * 1024 * 1024};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 2;
    }
#endif
    std::puts("writing");
    std::fflush(stdout);
    return TextFile::write(args.at(1), bytes).isEmpty() ? 0 : 1;
}
