#include "Prose.h"

#include <QString>
#include <QStringList>

QByteArray generateProse(qint64 bytes)
{
    const QStringList words = {
        QStringLiteral("the"),     QStringLiteral("quiet"),  QStringLiteral("river"),
        QStringLiteral("carried"), QStringLiteral("her"),    QStringLiteral("letters"),
        QStringLiteral("past"),    QStringLiteral("naïve"),  QStringLiteral("café"),
        QStringLiteral("windows"), QStringLiteral("and"),    QStringLiteral("Ελλάδα"),
        QStringLiteral("мир"),     QStringLiteral("into"),   QStringLiteral("evening"),
        QStringLiteral("light"),   QStringLiteral("while"),  QStringLiteral("someone"),
        QStringLiteral("wrote"),   QStringLiteral("slowly"), QStringLiteral("of"),
        QStringLiteral("a"),       QStringLiteral("summer"), QStringLiteral("long"),
        QStringLiteral("gone"),    QStringLiteral("東京"),   QStringLiteral("again"),
    };
    QByteArray out;
    out.reserve(bytes + 128);
    quint32 state = 12345;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return (state >> 16) & 0x7FFF;
    };
    QString line;
    int linesInParagraph = 0;
    while (out.size() < bytes) {
        line.clear();
        while (line.size() < 76)
            line += words.at(int(next() % words.size())) + QLatin1Char(' ');
        line.chop(1);
        out += line.toUtf8();
        out += '\n';
        if (++linesInParagraph >= 3 + int(next() % 5)) {
            out += '\n';
            linesInParagraph = 0;
        }
    }
    return out;
}

namespace {
QByteArray cutAtCharacter(QByteArray out, qint64 bytes)
{
    qsizetype end = qMin<qsizetype>(bytes, out.size());
    while (end > 0 && end < out.size() && (quint8(out.at(end)) & 0xC0) == 0x80)
        --end;
    out.truncate(end);
    return out;
}
} // namespace

QByteArray generateParagraphs(qint64 bytes)
{
    QByteArray out = generateProse(bytes + bytes / 8);
    out.replace("\n\n", "\r");
    out.replace('\n', ' ');
    out.replace('\r', '\n');
    return cutAtCharacter(out, bytes);
}

QByteArray generateLine(qint64 bytes, bool solid)
{
    QByteArray out = generateProse(bytes + bytes / 4);
    out.replace("\n\n", "\n");
    if (solid) {
        out.replace(' ', "");
        out.replace('\n', "");
    } else {
        out.replace('\n', ' ');
    }
    return cutAtCharacter(out, bytes);
}
