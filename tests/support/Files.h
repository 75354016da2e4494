#pragma once

#include <QByteArray>
#include <QString>

// The bytes of a file, or "<missing>" where it cannot be read.
QByteArray contentOf(const QString &path);

// Writes the bytes as the whole file; a test fails where it cannot.
void writeFile(const QString &path, const QByteArray &bytes);
