#include "app/StyleSheetCheck.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

class Checker
{
public:
    explicit Checker(const QString &css) : m_css(css) {}

    QString run()
    {
        bool anyRule = false;
        skipBlanks();
        while (m_error.isEmpty() && m_pos < m_css.size()) {
            rule();
            anyRule = true;
            skipBlanks();
        }
        if (m_error.isEmpty() && !anyRule)
            return QStringLiteral("The skin file holds no style rules.");
        return m_error;
    }

private:
    void fail(const QString &what)
    {
        if (m_error.isEmpty())
            m_error = QStringLiteral("The skin file is not a valid style sheet: %1 at line %2.")
                          .arg(what)
                          .arg(m_line);
    }

    QChar peek() const { return m_pos < m_css.size() ? m_css.at(m_pos) : QChar(); }

    void advance()
    {
        if (peek() == QLatin1Char('\n'))
            ++m_line;
        ++m_pos;
    }

    // Blanks and comments.
    void skipBlanks()
    {
        while (m_pos < m_css.size()) {
            if (peek().isSpace()) {
                advance();
            } else if (m_css.mid(m_pos, 2) == QLatin1String("/*")) {
                const qsizetype end = m_css.indexOf(QLatin1String("*/"), m_pos + 2);
                if (end < 0)
                    return fail(QStringLiteral("a comment is never closed"));
                while (m_pos < end + 2)
                    advance();
            } else {
                return;
            }
        }
    }

    void quoted()
    {
        const QChar quote = peek();
        advance();
        while (m_pos < m_css.size() && peek() != quote) {
            if (peek() == QLatin1Char('\n'))
                return fail(QStringLiteral("a quoted text runs past the end of its line"));
            if (peek() == QLatin1Char('\\'))
                advance();
            advance();
        }
        if (m_pos >= m_css.size())
            return fail(QStringLiteral("a quoted text is never closed"));
        advance();
    }

    // Reads up to one of `stops` outside strings, comments and brackets;
    // returns whether anything but blanks was read.
    bool text(const QString &stops)
    {
        bool any = false;
        int depth = 0;
        while (m_error.isEmpty() && m_pos < m_css.size()) {
            const QChar c = peek();
            if (depth == 0 && stops.contains(c))
                return any;
            if (c == QLatin1Char('/') && m_css.mid(m_pos, 2) == QLatin1String("/*")) {
                skipBlanks();
                continue;
            }
            if (c == QLatin1Char('{') || c == QLatin1Char('}')) {
                fail(QStringLiteral("a brace is out of place"));
                return any;
            }
            if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                quoted();
                any = true;
                continue;
            }
            if (c == QLatin1Char('(') || c == QLatin1Char('['))
                ++depth;
            if ((c == QLatin1Char(')') || c == QLatin1Char(']')) && --depth < 0) {
                fail(QStringLiteral("a bracket is closed that was never opened"));
                return any;
            }
            if (!c.isSpace())
                any = true;
            advance();
        }
        if (depth > 0)
            fail(QStringLiteral("a bracket is never closed"));
        return any;
    }

    void rule()
    {
        if (!text(QStringLiteral("{;}")))
            return fail(QStringLiteral("a rule has no selector"));
        if (peek() != QLatin1Char('{'))
            return fail(QStringLiteral("a selector is not followed by '{'"));
        advance();
        skipBlanks();
        while (m_error.isEmpty() && peek() != QLatin1Char('}')) {
            if (m_pos >= m_css.size())
                return fail(QStringLiteral("a rule is never closed with '}'"));
            declaration();
            skipBlanks();
        }
        if (m_error.isEmpty())
            advance();
    }

    void declaration()
    {
        if (peek() == QLatin1Char(';')) {
            advance();
            return;
        }
        const qsizetype start = m_pos;
        while (m_pos < m_css.size() && (peek().isLetterOrNumber() || peek() == QLatin1Char('-') ||
                                        peek() == QLatin1Char('_')))
            advance();
        if (m_pos == start)
            return fail(QStringLiteral("a property name is missing"));
        skipBlanks();
        if (peek() != QLatin1Char(':'))
            return fail(QStringLiteral("a property is not followed by ':'"));
        advance();
        if (!text(QStringLiteral(";}")))
            return fail(QStringLiteral("a property has no value"));
        if (m_pos >= m_css.size())
            return fail(QStringLiteral("a rule is never closed with '}'"));
        if (peek() == QLatin1Char(';'))
            advance();
    }

    const QString &m_css;
    qsizetype m_pos = 0;
    int m_line = 1;
    QString m_error;
};

} // namespace

QString checkStyleSheet(const QString &css)
{
    return Checker(css).run();
}

QStringList styleSheetUrls(const QString &css)
{
    static const QRegularExpression url(
        QStringLiteral(R"re(url\(\s*(?:"([^"]*)"|'([^']*)'|([^)]*?))\s*\))re"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList out;
    for (auto it = url.globalMatch(css); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out << m.captured(1) + m.captured(2) + m.captured(3);
    }
    return out;
}

namespace {

constexpr qint64 kMaxImageBytes = 16 * 1024 * 1024;

// Qt's style engine opens every file a skin names while it paints, where a
// pipe would block and a device never end: each must be an ordinary file
// of sane size, or one of the program's own resources.
QString unusableUrl(const QString &css)
{
    for (const QString &url : styleSheetUrls(css)) {
        if (url.startsWith(QLatin1String(":/")) || url.startsWith(QLatin1String("qrc:")))
            continue;
        const QFileInfo info(url);
        const QString shown = QDir::toNativeSeparators(url);
        if (!info.exists())
            return QStringLiteral("The skin names a file that does not exist: %1").arg(shown);
        if (!info.isFile())
            return QStringLiteral("The skin names %1, which is not an ordinary file.").arg(shown);
        if (info.size() > kMaxImageBytes)
            return QStringLiteral("The skin names %1, which is too large for an image.").arg(shown);
    }
    return {};
}

} // namespace

QString skinFault(const QString &css)
{
    const QString fault = checkStyleSheet(css);
    return fault.isEmpty() ? unusableUrl(css) : fault;
}
