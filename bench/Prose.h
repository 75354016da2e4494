#pragma once

#include <QByteArray>

// Deterministic prose of about `bytes` bytes of UTF-8: lines of about 80
// characters, paragraphs of a few lines with blank lines between them, and
// some non-Latin words.
QByteArray generateProse(qint64 bytes);
