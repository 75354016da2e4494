#pragma once

#include <QByteArray>
#include <QString>

// Plain-text files as the writing area loads and saves them.
namespace TextFile {

// Larger files are refused: loading one just under this stays responsive.
inline constexpr qint64 MaxLoadBytes = 64 * 1024 * 1024;

// Added to a file's name for the copy of its old text that a save in place
// keeps until the new text is whole on the disk.
inline constexpr char RecoverySuffix[] = ".inkwellor-recovery";

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

// UTF-8 (with or without BOM), UTF-16 LE or BE by their BOMs; without a BOM,
// each byte that is not part of valid UTF-8 is read as Windows-1252. CR LF,
// LF and lone CR all end a line. Nothing is ever replaced: NUL characters and
// broken UTF-16 are refused with an error.
Decoded decode(const QByteArray &bytes);

// UTF-8 without BOM, lines ended as given.
QByteArray encode(const QString &text, LineEnd lineEnd = PlatformLineEnd);

// Reads a regular file whole; refuses anything else with an error.
Decoded read(const QString &path);

// Why the text cannot be saved so that it loads back the same (a NUL
// character, a lone surrogate), or an empty text.
QString unwritable(const QString &text);

// Pasted text as the writing area may hold it: NUL characters dropped, lone
// surrogates replaced by U+FFFD, every line end LF.
QString cleanPasted(const QString &text);

// Writes an ordinary file (or the null device; anything else is refused).
// A new text normally goes through a temporary file renamed into place; a
// file whose owner, group or hard links a rename would change, or whose
// folder takes no new file, is written in place after the room for the new
// text is taken. Either way a failure leaves the old file as it was.
// Returns an empty text or the error.
QString write(const QString &path, const QByteArray &bytes);

} // namespace TextFile
