#pragma once

#include <QByteArray>
#include <QString>

// Plain-text files as the writing area loads and saves them.
namespace TextFile {

// Larger files are refused: loading one just under this stays responsive.
inline constexpr qint64 MaxLoadBytes = 64 * 1024 * 1024;

enum class LineEnd { Lf, CrLf };
#ifdef Q_OS_WIN
inline constexpr LineEnd PlatformLineEnd = LineEnd::CrLf;
#else
inline constexpr LineEnd PlatformLineEnd = LineEnd::Lf;
#endif

struct Decoded
{
    QString text;  // lines end with LF only
    QString error; // empty on success
};

// UTF-8 (with or without BOM), UTF-16 LE or BE by their BOMs, anything else
// as Windows-1252; CR LF, LF and lone CR all end a line. Nothing is ever
// replaced: bytes that fit no encoding are refused with an error.
Decoded decode(const QByteArray &bytes);

// UTF-8 without BOM, lines ended as given.
QByteArray encode(const QString &text, LineEnd lineEnd = PlatformLineEnd);

// Reads a regular file whole; refuses anything else with an error.
Decoded read(const QString &path);

// Writes through a temporary file renamed into place, so a failure leaves
// an existing file as it was. Returns an empty text or the error.
QString write(const QString &path, const QByteArray &bytes);

} // namespace TextFile
