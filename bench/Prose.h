#pragma once

#include <QByteArray>

// Deterministic prose of about `bytes` bytes of UTF-8: lines of about 80
// characters, paragraphs of a few lines with blank lines between them, and
// some non-Latin words.
QByteArray generateProse(qint64 bytes);

// The same prose as one line without a line end: words between spaces, or
// (solid) with neither spaces nor line ends, like minified data.
QByteArray generateLine(qint64 bytes, bool solid);

// The same prose with one line per paragraph, as word processors save it.
QByteArray generateParagraphs(qint64 bytes);
