// Editing is exact: the writing area and a plain QPlainTextEdit holding the
// same text one block per line, same size and font, are given the same keys
// and must hold the same text after every key, undo back to the loaded text
// and redo forward again, and save what they hold. Seeded and randomized;
// EDITING_CASES and EDITING_SEED run it longer (scripts/fuzz.sh does), EDITING_FIRST
// starts at a given case to rerun one.
#include "controls/PageLayout.h"
#include "controls/RichTextBox.h"
#include "controls/text/TextFile.h"
#include "support/TestEnvironment.h"

#include <QClipboard>
#include <QTextBlock>
#include <QtTest>
#include <functional>

namespace {

struct Key
{
    int code = 0;
    Qt::KeyboardModifiers mods;
    QString text;
    int caret = -1; // instead of a key: the caret put here, in the saved text
    int anchor = -1;
    QString clip; // instead of a key: this put on the clipboard
    bool clipSet = false;
    // instead of a key: an input method's commit of `text`, replacing
    // `imLength` characters from `imStart` after the caret, `preedit` shown first
    bool commit = false;
    QString preedit;
    int imStart = 0;
    int imLength = 0;

    QString name() const
    {
        if (clipSet)
            return QStringLiteral("clip(%1 chars)").arg(clip.size());
        if (commit)
            return QStringLiteral("commit(%1, %2, %3%4)")
                .arg(text.toHtmlEscaped())
                .arg(imStart)
                .arg(imLength)
                .arg(preedit.isEmpty() ? QString() : QStringLiteral(", after ") + preedit);
        if (caret >= 0)
            return anchor >= 0 ? QStringLiteral("@%1-%2").arg(anchor).arg(caret)
                               : QStringLiteral("@%1").arg(caret);
        QString n = QKeySequence(code | mods).toString();
        if (!text.isEmpty() && (mods & Qt::ControlModifier))
            n += QStringLiteral("(text %1)").arg(text.front().unicode());
        return n.isEmpty() || (!text.isEmpty() && !(mods & Qt::ControlModifier))
                   ? QStringLiteral("type(%1)").arg(text.toHtmlEscaped())
                   : n;
    }
};

Key press(int code, Qt::KeyboardModifiers mods = {}, const QString &text = {})
{
    Key k;
    k.code = code;
    k.mods = mods;
    k.text = text;
    return k;
}
Key type(const QString &text)
{
    return press(0, {}, text);
}
Key commit(const QString &text, int start = 0, int length = 0, const QString &preedit = {})
{
    Key k = press(0, {}, text);
    k.commit = true;
    k.preedit = preedit;
    k.imStart = start;
    k.imLength = length;
    return k;
}
Key caretAt(int position, int anchor = -1)
{
    Key k;
    k.caret = position;
    k.anchor = anchor;
    return k;
}

// The reference holds the file's own U+2029, U+FDD0 and U+FDD1 as block
// breaks, as ours does, and cannot tell them from line ends; so they are
// compared as line ends here and kept exactly by the round trips.
QString comparable(QString text)
{
    for (QChar &c : text) {
        if (c == QChar(0x2029) || c == QChar(0xFDD0) || c == QChar(0xFDD1))
            c = QLatin1Char('\n');
    }
    return text;
}

QString plainText(const QPlainTextEdit &edit)
{
    QString out;
    for (QTextBlock b = edit.document()->begin(); b.isValid(); b = b.next()) {
        if (b != edit.document()->begin())
            out += QLatin1Char('\n');
        out += b.text();
    }
    return out;
}

// A plain editor given the writing area's column, as a user would set one.
class PlainEdit : public QPlainTextEdit
{
public:
    using QPlainTextEdit::QPlainTextEdit;
    using QPlainTextEdit::setViewportMargins;
};

class Pair
{
public:
    Pair(const QString &dir, int wholeLineChars) : m_dir(dir), m_ours(nullptr), m_plain(nullptr)
    {
        m_ours.model().setWholeLineChars(wholeLineChars);
        m_ours.setCaretWidth(0);
        // The same page for the reference: its line pitch and alignment.
        auto *page = new QTextDocument(&m_plain);
        page->setDocumentLayout(new PageLayout(page));
        m_plain.setDocument(page);
        m_plain.setCenterOnScroll(true);
        for (QPlainTextEdit *e :
             {static_cast<QPlainTextEdit *>(&m_ours), static_cast<QPlainTextEdit *>(&m_plain)}) {
            e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            e->setFrameStyle(QFrame::NoFrame);
            e->setCursorWidth(0); // a blinking caret in whichever has focus is no difference
            e->resize(520, 400);
        }
        setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
        m_plain.setPalette(m_ours.palette());
        m_ours.show();
        m_plain.show();
    }

    void setFont(const QFont &font)
    {
        m_ours.setFont(font);
        QCoreApplication::sendPostedEvents(&m_ours, QEvent::MetaCall); // its margins
        m_plain.setFont(font);
        m_plain.document()->setDocumentMargin(m_ours.document()->documentMargin());
        m_plain.setViewportMargins(m_ours.columnMargins());
    }

    void resize(int width, int height)
    {
        m_ours.resize(width, height);
        m_plain.resize(width, height);
        m_plain.setViewportMargins(m_ours.columnMargins());
    }

    // The file holds `text` (CR LF line ends if asked); the plain editor
    // gets what a load decodes.
    void load(const QString &text, bool crlf = false)
    {
        QString bytes = text;
        if (crlf)
            bytes.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        const QString path = m_dir + QStringLiteral("/in.txt");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes.toUtf8());
        f.close();
        m_ours.loadFile(path);
        m_loaded = m_ours.text();
        m_plain.setPlainText(m_loaded);
        m_plainLoaded = plainText(m_plain);
        m_plain.moveCursor(QTextCursor::Start);
    }

    void plant() // the reference one character off, to show a fault is found
    {
        QTextCursor c(m_plain.document());
        c.insertText(QStringLiteral("!"));
    }

    void apply(const Key &key)
    {
        if (key.clipSet) {
            m_oursClip = m_plainClip = key.clip;
            return;
        }
        if (key.caret >= 0) {
            const int length = m_ours.textLength();
            const int anchor = qMin(key.anchor >= 0 ? key.anchor : key.caret, length);
            const int caret = qMin(key.caret, length);
            QTextCursor ours = m_ours.textCursor();
            ours.setPosition(m_ours.model().toDocument(anchor));
            ours.setPosition(m_ours.model().toDocument(caret), QTextCursor::KeepAnchor);
            m_ours.setTextCursor(ours);
            QTextCursor plain = m_plain.textCursor();
            plain.setPosition(anchor);
            plain.setPosition(caret, QTextCursor::KeepAnchor);
            m_plain.setTextCursor(plain);
            return;
        }
        if (key.commit) {
            for (QPlainTextEdit *w : {static_cast<QPlainTextEdit *>(&m_ours),
                                      static_cast<QPlainTextEdit *>(&m_plain)}) {
                if (!key.preedit.isEmpty()) {
                    QInputMethodEvent shown(key.preedit, {});
                    QApplication::sendEvent(w, &shown);
                }
                QInputMethodEvent event;
                event.setCommitString(key.text, key.imStart, key.imLength);
                QApplication::sendEvent(w, &event);
            }
            return;
        }
        m_plainSelection = m_plain.textCursor().selectedText().replace(QChar(0x2029), '\n');
        const bool paste = QKeySequence(key.code | key.mods) == QKeySequence::Paste;
        const bool copy = QKeySequence(key.code | key.mods) == QKeySequence::Copy ||
                          QKeySequence(key.code | key.mods) == QKeySequence::Cut;
        QClipboard *clipboard = QGuiApplication::clipboard();
        auto send = [&](QPlainTextEdit *w, QString &clip) {
            const bool selected = w->textCursor().hasSelection();
            // Pasted text is cleaned of NULs and half characters, by design.
            if (paste)
                clipboard->setText(w == &m_plain ? TextFile::cleanPasted(clip) : clip);
            // Shift+Return is a line end in the writing area; a plain editor
            // makes a U+2028 of it, which it saves as a line end.
            Qt::KeyboardModifiers mods = key.mods;
            if (w == &m_plain && key.code == Qt::Key_Return)
                mods &= ~Qt::ShiftModifier;
            QKeyEvent down(QEvent::KeyPress, key.code, mods, key.text);
            QKeyEvent up(QEvent::KeyRelease, key.code, mods, key.text);
            QApplication::sendEvent(w, &down);
            QApplication::sendEvent(w, &up);
            // A plain editor copies U+2028 and no-break spaces as line ends
            // and spaces; the writing area copies what the file will hold.
            if (copy && selected)
                clip = w == &m_plain ? m_plainSelection : clipboard->text();
        };
        send(&m_ours, m_oursClip);
        send(&m_plain, m_plainClip);
    }

    // Empty when both hold the same text.
    QString differs() const
    {
        const QString ours = comparable(m_ours.text());
        const QString plain = plainText(m_plain);
        if (ours == plain)
            return {};
        int at = 0;
        while (at < ours.size() && at < plain.size() && ours.at(at) == plain.at(at))
            ++at;
        return QStringLiteral("at %1: ours \"%2\", plain \"%3\"")
            .arg(at)
            .arg(ours.mid(qMax(0, at - 10), 30).toHtmlEscaped(),
                 plain.mid(qMax(0, at - 10), 30).toHtmlEscaped());
    }

    // Undo to the start and redo to the end, in both; then save and load.
    QString history()
    {
        auto all = [](QPlainTextEdit &e, bool undo) {
            for (int i = 0; i < 100000 && (undo ? e.document()->isUndoAvailable()
                                                : e.document()->isRedoAvailable());
                 ++i)
                undo ? e.undo() : e.redo();
        };
        // What is left to redo first: the round trip below must come back to
        // the newest text, and the reference cannot tell a separator from
        // the line end a redo may put in its place.
        all(m_ours, false);
        all(m_plain, false);
        if (const QString d = differs(); !d.isEmpty())
            return QStringLiteral("after redoing what was undone, ") + d;
        const QString before = m_ours.text();
        const QString plainBefore = plainText(m_plain);
        all(m_ours, true);
        all(m_plain, true);
        if (const QString d = differs(); !d.isEmpty())
            return QStringLiteral("after undoing all, ") + d;
        if (plainText(m_plain) == m_plainLoaded && m_ours.text() != m_loaded)
            return QStringLiteral("undoing all did not give the loaded text");
        all(m_ours, false);
        all(m_plain, false);
        if (const QString d = differs(); !d.isEmpty())
            return QStringLiteral("after redoing all, ") + d;
        // Undo and redo over combining marks can miss in Qt itself: only
        // where the plain editor comes back must ours.
        if (plainText(m_plain) == plainBefore && m_ours.text() != before)
            return QStringLiteral("redoing all did not give the text before the undos");
        const QString now = m_ours.text();
        if (!TextFile::unwritable(now).isEmpty())
            return {}; // half a character: Qt's own, and Save refuses it
        const QString path = m_dir + QStringLiteral("/out.txt");
        m_ours.saveFile(path);
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        if (f.readAll() != TextFile::encode(now))
            return QStringLiteral("saved bytes differ from the text");
        m_ours.loadFile(path);
        if (const QString again = m_ours.text(); again != now) {
            int at = 0;
            while (at < now.size() && at < again.size() && now.at(at) == again.at(at))
                ++at;
            return QStringLiteral("loading the saved file gave another text at %1: %2 for %3")
                .arg(at)
                .arg(at < again.size() ? again.at(at).unicode() : 0)
                .arg(at < now.size() ? now.at(at).unicode() : 0);
        }
        return {};
    }

    // Runs the keys; empty when all went alike, else where they parted.
    QString run(const QList<Key> &keys, bool planted = false)
    {
        if (planted)
            plant();
        QString trail;
        for (const Key &key : keys) {
            apply(key);
            trail += key.name() + QLatin1Char(' ');
            if (const QString d = differs(); !d.isEmpty())
                return QStringLiteral("after [%1]: %2").arg(trail, d);
        }
        if (const QString d = history(); !d.isEmpty())
            return QStringLiteral("after [%1]: %2").arg(trail, d);
        return {};
    }

    RichTextBox &ours() { return m_ours; }
    QPlainTextEdit &plain() { return m_plain; }

private:
    QString m_dir;
    RichTextBox m_ours;
    PlainEdit m_plain;
    QString m_loaded;
    QString m_plainLoaded;
    QString m_oursClip;
    QString m_plainClip;
    QString m_plainSelection;
};

// A small seeded generator, the same on every platform.
class Random
{
public:
    explicit Random(quint64 seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    quint32 next()
    {
        m_state = m_state * 6364136223846793005ull + 1442695040888963407ull;
        return quint32(m_state >> 33);
    }
    int below(int n) { return n <= 0 ? 0 : int(next() % quint32(n)); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename T> const T &pick(const QList<T> &list)
    {
        return list.at(below(list.size()));
    }

private:
    quint64 m_state;
};

const QStringList &pieces(bool rtl)
{
    static const QStringList ltr = {
        QStringLiteral("word"),
        QStringLiteral("of"),
        QStringLiteral("naïve"),
        QStringLiteral("a"),
        QStringLiteral("quiet"),
        QStringLiteral("x,y."),
        QStringLiteral("\U0001F600"),
        QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467"),
        QStringLiteral("\U0001F1E9\U0001F1EA"),
        QStringLiteral("e\u0301"),
        QStringLiteral("\t"),
        QStringLiteral("\u2028"),
        QStringLiteral("\u2029"),
        QStringLiteral("\uFDD0"),
        QStringLiteral("\uFDD1"),
        QStringLiteral("42"),
        QStringLiteral("  "),
    };
    static const QStringList both =
        ltr + QStringList{QStringLiteral("שלום"), QStringLiteral("مرحبا"),
                          QStringLiteral("\u05D0\u05B8")};
    return rtl ? both : ltr;
}

// A line: prose words, or a long run with or without spaces.
QString line(Random &r, bool cutting)
{
    const int shape = r.below(10);
    const bool rtl = r.chance(20);
    QString out;
    if (shape < 6) {
        const int words = r.below(14);
        for (int i = 0; i < words; ++i)
            out += (i ? QStringLiteral(" ") : QString()) + r.pick(pieces(rtl));
        return out;
    }
    const int length = cutting ? 1600 + r.below(9000) : 200 + r.below(4000);
    const bool spaces = shape < 8;
    while (out.size() < length) {
        if (r.chance(4))
            out += r.pick(pieces(rtl));
        else
            out += QString(1 + r.below(spaces ? 9 : 40), QChar(u'a' + r.below(26)));
        if (spaces)
            out += QLatin1Char(' ');
    }
    return out;
}

QString document(Random &r, bool cutting)
{
    QString out = r.chance(15) ? QStringLiteral("\n") : QString();
    const int lines = 1 + r.below(8);
    for (int i = 0; i < lines; ++i)
        out += (i ? QStringLiteral("\n") : QString()) + line(r, cutting);
    if (r.chance(50))
        out += QLatin1Char('\n');
    return out;
}

QList<Key> keys(Random &r, RichTextBox &box, bool cutting, int count)
{
    static const QList<Key> moves = {
        press(Qt::Key_Left),
        press(Qt::Key_Right),
        press(Qt::Key_Left, Qt::ShiftModifier),
        press(Qt::Key_Right, Qt::ShiftModifier),
        press(Qt::Key_Left, Qt::ControlModifier),
        press(Qt::Key_Right, Qt::ControlModifier),
        press(Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier),
        press(Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier),
        press(Qt::Key_Home, Qt::ControlModifier),
        press(Qt::Key_End, Qt::ControlModifier),
        press(Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier),
        press(Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier),
    };
    static const QList<Key> lineMoves = {
        press(Qt::Key_Home),
        press(Qt::Key_End),
        press(Qt::Key_Home, Qt::ShiftModifier),
        press(Qt::Key_End, Qt::ShiftModifier),
    };
    static const QList<Key> edits = {
        press(Qt::Key_Return, {}, QStringLiteral("\r")),
        press(Qt::Key_Return, Qt::ShiftModifier, QStringLiteral("\r")),
        press(Qt::Key_Backspace, {}, QStringLiteral("\b")),
        press(Qt::Key_Delete, {}, QStringLiteral("\x7f")),
        press(Qt::Key_Backspace, Qt::ControlModifier),
        press(Qt::Key_Delete, Qt::ControlModifier),
        type(QStringLiteral("x")),
        type(QStringLiteral(" ")),
        type(QStringLiteral("\U0001F600")),
        type(QStringLiteral("\u0301")),
        type(QStringLiteral("\t")),
        type(QStringLiteral("\u2029")),
    };
    // Ctrl keys as Qt Test and some systems send them (the letter as their
    // text) and as X11 and Windows do (a control character).
    auto ctrl = [&](int code, Qt::KeyboardModifiers more = {}) {
        const QChar letter(u'a' + (code - Qt::Key_A));
        return press(code, Qt::ControlModifier | more,
                     r.chance(50) ? QString(letter) : QString(QChar(code - Qt::Key_A + 1)));
    };
    QList<Key> out;
    const QString text = box.text();
    QList<int> boundaries;
    for (QTextBlock b = box.document()->begin(); b.isValid(); b = b.next())
        boundaries << b.position();
    auto place = [&](int position) {
        position = qBound(0, position, int(text.size()));
        while (position > 0 && position < text.size() && text.at(position).isLowSurrogate())
            --position;
        return position;
    };
    for (int i = 0; i < count; ++i) {
        const int what = r.below(100);
        if (what < 10) {
            // At, just before or just after a block boundary.
            const int at = box.model().toText(r.pick(boundaries)) + r.below(3) - 1;
            if (r.chance(30))
                out << caretAt(place(at), place(at + r.below(2400) - 1200));
            else
                out << caretAt(place(at));
        } else if (what < 14) {
            out << caretAt(place(r.below(int(text.size()) + 1)));
        } else if (what < 40) {
            out << r.pick(moves);
        } else if (what < 48 && !cutting) {
            out << r.pick(lineMoves);
        } else if (what < 72) {
            out << r.pick(edits);
        } else if (what < 82) {
            out << type(QString(QChar(u'a' + r.below(26))));
        } else if (what < 85) {
            out << ctrl(Qt::Key_A);
        } else if (what < 88) {
            out << ctrl(r.chance(50) ? Qt::Key_X : Qt::Key_C);
        } else if (what < 91) {
            if (r.chance(30)) {
                Key clip;
                clip.clipSet = true;
                clip.clip = r.chance(50) ? line(r, cutting) : document(r, cutting);
                out << clip;
            }
            out << ctrl(Qt::Key_V);
        } else if (what < 93) {
            // An input method's commit, now and then replacing characters
            // around the caret.
            static const QStringList commits = {QStringLiteral("中文"), QStringLiteral("é"),
                                                QStringLiteral("\u0301"), QStringLiteral("x\ny")};
            // One draw a statement: the order of a call's arguments is the
            // compiler's, and the cases must be the same with every one.
            const QString committed = r.pick(commits);
            const int start = r.chance(50) ? -int(r.below(3)) : 0;
            const int length = start < 0 ? int(r.below(5)) : 0;
            // Qt leaves a preedit shown in its block when a commit that
            // follows breaks the line there, in either editor.
            const bool shown = r.chance(50) && !committed.contains(QLatin1Char('\n'));
            const QString preedit = shown ? QStringLiteral("zh") : QString();
            out << commit(committed, start, length, preedit);
        } else if (what < 96) {
            out << ctrl(Qt::Key_Z);
        } else {
            out << ctrl(Qt::Key_Z, Qt::ShiftModifier);
        }
    }
    return out;
}

int setting(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

} // namespace

class TestEditing : public QObject
{
    Q_OBJECT

    TestEnvironment m_env; // every file Qt or a save writes in its folders

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // Each fault found, from the shortest case that shows it.
    void editsAsInAPlainEditor_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("wholeLineChars");
        QTest::addColumn<QList<Key>>("keys");
        const int whole = TextBlocks::WholeLineChars;
        const QString lines = QStringLiteral("one\ntwo\nthree\n");
        const Key end = press(Qt::Key_End);
        const Key enter = press(Qt::Key_Return, {}, QStringLiteral("\r"));
        const Key backspace = press(Qt::Key_Backspace, {}, QStringLiteral("\b"));
        const Key del = press(Qt::Key_Delete, {}, QStringLiteral("\x7f"));
        QTest::newRow("End on a line, typing: lands on that line")
            << lines << whole << QList<Key>{end, type("X")};
        QTest::newRow("End, Delete: joins the lines") << lines << whole << QList<Key>{end, del};
        QTest::newRow("line end to line end selected, typed over")
            << lines << whole << QList<Key>{caretAt(7, 3), type("x")};
        QTest::newRow("Enter at the end of the second line, typing")
            << lines << whole << QList<Key>{caretAt(7), enter, type("n"), type("e")};
        QTest::newRow("typing in a file that starts with a blank line")
            << QStringLiteral("\nsecond\n") << whole << QList<Key>{type("X"), type("Y")};
        QTest::newRow("Backspace at the start of a file that starts with a line end")
            << QStringLiteral("\nabc") << whole << QList<Key>{backspace};
        QTest::newRow("Shift+Return, Backspace")
            << lines << whole
            << QList<Key>{press(Qt::Key_Return, Qt::ShiftModifier, "\r"), backspace};
        const QString spaced = QString(600, 'a') + ' ' + QString(600, 'b');
        QTest::newRow("Enter, Backspace after a cut space")
            << spaced << 1000 << QList<Key>{caretAt(601), enter, backspace};
        QTest::newRow("Enter, Delete before a cut space")
            << spaced << 1000 << QList<Key>{caretAt(600), enter, del};
        QTest::newRow("a line's start to across a cut selected, typed over")
            << QStringLiteral("prev\n") + spaced << 1000 << QList<Key>{caretAt(700, 5), type("x")};
        QTest::newRow("selection from a hidden cut into the next lines, typed over")
            << QString(1031, 'c') + QStringLiteral("\nab\ncd\n") << 1000
            << QList<Key>{caretAt(1034, 1024), type("x")};
        QTest::newRow("Backspace after the file's own U+2029 keeps its U+2028")
            << QStringLiteral("a\u2028\u2029b") << whole << QList<Key>{caretAt(3), backspace};
        QTest::newRow("Ctrl+A, Ctrl+X, Enter on a long spaced line")
            << spaced << 1000
            << QList<Key>{press(Qt::Key_A, Qt::ControlModifier, "a"),
                          press(Qt::Key_X, Qt::ControlModifier, "x"), enter};
        QTest::newRow("typed U+2029 after a hidden cut")
            << QString(1500, 'c') << 1000 << QList<Key>{caretAt(1200), type("\u2029")};
        QTest::newRow("Enter in an empty block after the file's own U+2029")
            << QStringLiteral("a\u2029\u2029b") << whole << QList<Key>{caretAt(2), enter};
        const QString ws(1100, 'w');
        QTest::newRow("Ctrl+Delete across hidden cuts deletes the word")
            << ws << 1000 << QList<Key>{press(Qt::Key_Delete, Qt::ControlModifier)};
        QTest::newRow("Ctrl+Backspace across hidden cuts deletes the word")
            << ws << 1000
            << QList<Key>{press(Qt::Key_End, Qt::ControlModifier),
                          press(Qt::Key_Backspace, Qt::ControlModifier)};
        QTest::newRow("Ctrl+Right, Ctrl+Left across a cut space")
            << spaced << 1000
            << QList<Key>{press(Qt::Key_Right, Qt::ControlModifier), type("x"),
                          press(Qt::Key_Left, Qt::ControlModifier),
                          press(Qt::Key_Left, Qt::ControlModifier), type("y")};
        const QString family = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467");
        QTest::newRow("Delete before a family emoji at a cut deletes all of it")
            << QString(1020, 'f') + family.repeated(4) << 1000 << QList<Key>{caretAt(1020), del};
        QTest::newRow("right-to-left line, arrows and typing")
            << QStringLiteral("abc שלום עולם def\nשלום abc") << whole
            << QList<Key>{press(Qt::Key_Right),
                          press(Qt::Key_Right),
                          press(Qt::Key_End),
                          press(Qt::Key_Left),
                          type("x"),
                          press(Qt::Key_Down),
                          type("y")};
        Key clip;
        clip.clipSet = true;
        clip.clip = QStringLiteral("x\ny");
        const Key paste = press(Qt::Key_V, Qt::ControlModifier, "v");
        const QString ab = QString(700, 'a') + ' ' + QString(800, 'b');
        QTest::newRow("A: a pasted line end after an emptied cut stays a line end")
            << ab << 1000 << QList<Key>{caretAt(1501, 701), backspace, clip, paste};
        QTest::newRow("A: a pasted line end after the file's own U+2029")
            << QStringLiteral("a\u2029b") << whole
            << QList<Key>{caretAt(3, 2), backspace, clip, paste};
        Key longClip;
        longClip.clipSet = true;
        longClip.clip = QStringLiteral("\uFDD0") + QString(1500, 'c');
        QTest::newRow("a long paste at the start that begins with U+FDD0, Ctrl+Z, Delete")
            << QStringLiteral("\nab") << 1000
            << QList<Key>{caretAt(0), longClip, paste, press(Qt::Key_Z, Qt::ControlModifier, "z"),
                          del};
        QTest::newRow("G: Shift+Backspace after a hidden cut removes a character")
            << QString(1500, 'c') << 1000
            << QList<Key>{caretAt(1024), press(Qt::Key_Right), press(Qt::Key_Left),
                          press(Qt::Key_Backspace, Qt::ShiftModifier, "\b")};
        QTest::newRow("Shift+Right, Shift+Left before a hidden cut select nothing")
            << QString(1500, 'c') << 1000
            << QList<Key>{caretAt(1024), press(Qt::Key_Right, Qt::ShiftModifier),
                          press(Qt::Key_Left, Qt::ShiftModifier), del};
        const Key left = press(Qt::Key_Left);
        const Key undo = press(Qt::Key_Z, Qt::ControlModifier, "z");
        QTest::newRow("B: a mark typed after a hidden cut joins the character before")
            << QString(1500, 'c') << 1000 << QList<Key>{caretAt(1024), press(Qt::Key_Right),
                                                        left,          type("\u0301"),
                                                        left,          del,
                                                        left,          type("x")};
        QTest::newRow("B: a mark committed after a cut space joins the space")
            << spaced << 1000
            << QList<Key>{caretAt(600), press(Qt::Key_Right), commit("\u0301"), left, del,
                          type("x")};
        QTest::newRow("B: a mark committed over a character after a cut space joins the space")
            << spaced << 1000
            << QList<Key>{caretAt(602), commit("\u0301", -1, 1), left, del, type("x")};
        QTest::newRow("F: a commit replacing across the start of a selection's end")
            << QString(1500, 'c') << 1000 << QList<Key>{caretAt(0, 1024), commit("Z", -2, 3)};
        QTest::newRow("F: a commit replacing four characters across a hidden cut")
            << QString(1500, 'c') << 1000 << QList<Key>{caretAt(1022), commit("Z", 0, 4)};
        QTest::newRow("A: a committed line end after an emptied cut stays a line end")
            << ab << 1000 << QList<Key>{caretAt(1501, 701), backspace, commit("x\ny")};
        QTest::newRow("B: a mark typed after a cut space joins the space")
            << spaced << 1000
            << QList<Key>{caretAt(600), press(Qt::Key_Right), type("\u0301"), left, del, type("x")};
        QTest::newRow("a commit after the file's own U+2029 is a step of its own")
            << QStringLiteral("ab\u2029") << whole
            << QList<Key>{press(Qt::Key_End, Qt::ControlModifier), commit("x\ny"), type("u"), undo,
                          type("v")};
        const QString cutThenEmpty = QString(1500, 'c') + QStringLiteral("\n\nz");
        QTest::newRow("C: Enter over a cut line and an empty one, Ctrl+Z twice")
            << cutThenEmpty << 1000 << QList<Key>{caretAt(1501, 500), enter, undo, undo, type("x")};
        QTest::newRow("C: Enter over all after a letter typed first, Ctrl+Z twice")
            << QStringLiteral("ab\u2029cd\n") << whole
            << QList<Key>{type("z"), press(Qt::Key_A, Qt::ControlModifier, "a"), enter, undo, undo,
                          type("y")};
        QTest::newRow("C: Enter over the file's own U+2029 and an empty line, Ctrl+Z twice")
            << QStringLiteral("ab\u2029\n\nz") << whole
            << QList<Key>{caretAt(4, 1), enter, undo, undo, type("x")};
        QTest::newRow("D: a left-to-right piece of a cut right-to-left line moves as the line")
            << QString(990, QChar(0x05D0)) + QLatin1Char(' ') +
                   QStringLiteral("abc ").repeated(20) + QString(300, QChar(0x05D1))
            << 1000
            << QList<Key>{caretAt(1040),
                          left,
                          left,
                          type("x"),
                          press(Qt::Key_Right),
                          press(Qt::Key_Right, Qt::ControlModifier),
                          type("y")};
        QTest::newRow("E: Backspace then Delete across a hidden cut, Ctrl+Z")
            << QString(1500, 'c') << 1000
            << QList<Key>{caretAt(1024), backspace, del, undo, type("x")};
        QTest::newRow("E: Enter in a block emptied after a cut space, Ctrl+Z")
            << ab << 1000 << QList<Key>{caretAt(1501, 701), backspace, enter, undo, type("x")};
        QTest::newRow("Ctrl+Z and Ctrl+Shift+Z with their letters as text")
            << lines << whole
            << QList<Key>{caretAt(2),
                          type("a"),
                          type("b"),
                          press(Qt::Key_Z, Qt::ControlModifier, "z"),
                          press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, "Z"),
                          type("c")};
    }

    void editsAsInAPlainEditor()
    {
        QFETCH(QString, text);
        QFETCH(int, wholeLineChars);
        QFETCH(QList<Key>, keys);
        Pair pair(m_dir.path(), wholeLineChars);
        pair.load(text);
        const QString failure = pair.run(keys);
        // Qt joins removals of characters that lie together in its private
        // buffer, where a cut's separator lies between them.
        QEXPECT_FAIL("E: Backspace then Delete across a hidden cut, Ctrl+Z",
                     "two undo steps where a plain editor has one", Continue);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    // Random texts and keys, lines held whole (Home and End included) and
    // lines cut short (Home and End act on the lines shown, so left out).
    void randomEditsAsInAPlainEditor_data()
    {
        QTest::addColumn<bool>("cutting");
        QTest::newRow("whole lines") << false;
        QTest::newRow("cut lines") << true;
    }

    void randomEditsAsInAPlainEditor()
    {
        QFETCH(bool, cutting);
        const int cases = setting("EDITING_CASES", 1200);
        const int seed = setting("EDITING_SEED", 1);
        QElapsedTimer progress;
        progress.start();
        for (int c = setting("EDITING_FIRST", 0); c < cases; ++c) {
            if (progress.hasExpired(10000)) { // a long run says it is alive
                qInfo("case %d of %d", c, cases);
                progress.restart();
            }
            Random r(quint64(seed) * 100003u + quint64(c) * 2 + (cutting ? 1 : 0));
            Pair pair(m_dir.path(), cutting ? 1000 + r.below(600) : TextBlocks::WholeLineChars);
            const QString text = document(r, cutting);
            pair.load(text, r.chance(20));
            const QList<Key> sequence = keys(r, pair.ours(), cutting, 10 + r.below(50));
            const QString failure = pair.run(sequence);
            QVERIFY2(failure.isEmpty(),
                     qPrintable(QStringLiteral("seed %1 case %2 text \"%3\" %4")
                                    .arg(seed)
                                    .arg(c)
                                    .arg(text.left(200).toHtmlEscaped(), failure)));
        }
    }

    // The comparison can fail: a one-character difference is found.
    void aPlantedDifferenceIsFound()
    {
        Pair pair(m_dir.path(), TextBlocks::WholeLineChars);
        pair.load(QStringLiteral("one\ntwo"));
        QVERIFY(!pair.run({type("x")}, true).isEmpty());
    }

    // The page looks as a plain editor's holding each paragraph as one block,
    // at two fonts and two widths, after a load, an edit and a font change.
    void paragraphsShowWhole_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("width");
        for (int length : {1000, 2600, 16000, 64000})
            for (int width : {480, 900})
                QTest::addRow("%d characters, %d pixels wide", length, width) << length << width;
        // Lines of 60 characters, which a load first joins into blocks.
        QTest::newRow("short lines, 480 pixels wide") << 60 << 480;
    }

    void paragraphsShowWhole()
    {
        QFETCH(int, length);
        QFETCH(int, width);
        Random r(quint64(length) + quint64(width));
        QString paragraph;
        while (paragraph.size() < length)
            paragraph += QString(1 + r.below(9), QChar(u'a' + r.below(26))) + QLatin1Char(' ');
        if (length < 100)
            paragraph = (paragraph + QLatin1Char('\n')).repeated(60);
        Pair pair(m_dir.path(), TextBlocks::WholeLineChars);
        pair.resize(width, 700);
        pair.load(QStringLiteral("before\n") + paragraph + QStringLiteral("\nafter"));
        auto same = [&] {
            // EDITING_DUMP=folder keeps the two pictures of a difference.
            const QImage a = pair.ours().viewport()->grab().toImage();
            const QImage b = pair.plain().viewport()->grab().toImage();
            if (a != b && qEnvironmentVariableIsSet("EDITING_DUMP")) {
                a.save(qEnvironmentVariable("EDITING_DUMP") + QStringLiteral("/ours.png"));
                b.save(qEnvironmentVariable("EDITING_DUMP") + QStringLiteral("/plain.png"));
            }
            return a == b;
        };
        QVERIFY(same());
        pair.run({caretAt(300), type("edit "), caretAt(0)});
        QVERIFY(same());
        pair.setFont(QFont(QStringLiteral("Liberation Serif"), 15));
#ifdef Q_OS_WIN
        // Seen under Wine only, with its stand-in fonts, while short lines
        // loaded joined: after a font change lines stood half a pixel closer.
        if (QByteArray(QTest::currentDataTag()) == "short lines, 480 pixels wide" && !same())
            QSKIP("Wine: lines half a pixel closer");
#endif
        QVERIFY(same());
    }
};

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
