#pragma once

#include <QFile>
#include <QTemporaryDir>

// The fuzzed bytes as a file on disk, for the code that opens files itself.
inline QString fuzzFile(const QString &name, const char *data, qsizetype size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(data, size);
    return path;
}
