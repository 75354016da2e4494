// Measures the program's start-up, file commands, look commands, keystrokes
// and memory on generated prose, driving the real windows offscreen through
// the Modal seam. Prints one "key=value" line per run; bench/run.sh runs it
// for every size and writes docs/performance.md.
//
//   inkwellor_bench --startup RUNS        start-up against a bare Qt window
//   inkwellor_bench --size MB [--keystrokes N]
//   inkwellor_bench --shape S --bytes N --memory   peak memory of one load
//   inkwellor_bench --loads RUNS [--max-seconds S]  loads of every shape and
//       size until the program is quiet, beside a plain QPlainTextEdit
#include "BenchModal.h"
#include "Prose.h"
#include "app/Application.h"
#include "app/SideFiles.h"
#include "controls/PushButton.h"
#include "controls/RichTextBox.h"
#include "controls/text/TextFile.h"
#include "panel/Form1.h"
#include "writer/Form2.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace {

double msSince(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

double timed(const std::function<void()> &work)
{
    QElapsedTimer t;
    t.start();
    work();
    return msSince(t);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// The process's true peak (VmHWM) so far.
long peakRssMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toLong() / 1024;
    }
#ifdef Q_OS_UNIX
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
#else
    return 0;
#endif
}

// Runs the event loop until the widget has painted once, then reports.
void whenPainted(QWidget *widget, const std::function<void()> &then)
{
    struct Watch : QObject
    {
        std::function<void()> then;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint && then) {
                QTimer::singleShot(0, this, then);
                then = nullptr;
            }
            return false;
        }
    };
    auto *watch = new Watch;
    watch->then = then;
    widget->installEventFilter(watch);
}

// Child side of a start-up measurement: prints "ready" once painted.
int startupChild(const QString &what)
{
    auto ready = [] {
        std::puts("ready");
        std::fflush(stdout);
        QCoreApplication::exit(0);
    };
    if (what == QLatin1String("bare")) {
        QWidget window(nullptr, Qt::Tool | Qt::FramelessWindowHint);
        window.setGeometry(QGuiApplication::primaryScreen()->geometry());
        whenPainted(&window, ready);
        window.showFullScreen();
        return QApplication::exec();
    }
    if (what == QLatin1String("text")) {
        // The floor for any window that shows text: Qt's font set-up.
        QPlainTextEdit window;
        window.setGeometry(QGuiApplication::primaryScreen()->geometry());
        window.setPlainText(QStringLiteral("text"));
        whenPainted(window.viewport(), ready);
        window.showFullScreen();
        return QApplication::exec();
    }
    BenchModal modal;
    Application app;
    // Side files of the build, as the program finds them beside itself.
    SideFiles::setProgramFolder(qEnvironmentVariable("INKWELLOR_PROGRAM_DIR"));
    whenPainted(app.form2().text1().viewport(), ready);
    app.start();
    return QApplication::exec();
}

double startOnce(const QString &what)
{
    QProcess child;
    QElapsedTimer t;
    t.start();
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--startup-child"), what});
    while (child.waitForReadyRead(30000)) {
        if (child.readAll().contains("ready"))
            break;
    }
    const double ms = msSince(t);
    child.waitForFinished(30000);
    return ms;
}

int startup(int runs)
{
    startOnce(QStringLiteral("bare")); // warm the caches
    std::vector<double> program;
    std::vector<double> bare;
    std::vector<double> text;
    for (int i = 0; i < runs; ++i) {
        program.push_back(startOnce(QStringLiteral("program")));
        bare.push_back(startOnce(QStringLiteral("bare")));
        text.push_back(startOnce(QStringLiteral("text")));
    }
    const double p = median(program);
    const double b = median(bare);
    const double t = median(text);
    std::printf("startup_program_ms=%.1f startup_bare_ms=%.1f startup_ratio=%.2f "
                "startup_text_window_ms=%.1f startup_text_ratio=%.2f runs=%d\n",
                p, b, p / b, t, p / t, runs);
    return 0;
}

void key(QWidget *target, int code, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

// The text a size run loads: prose, or one line with or without spaces.
QByteArray generate(const QString &shape, qint64 bytes)
{
    if (shape == QLatin1String("paragraph")) // one paragraph between two short lines
        return "before\n" + generateLine(bytes, false) + "\nafter\n";
    if (shape == QLatin1String("line"))
        return generateLine(bytes, false);
    if (shape == QLatin1String("solid"))
        return generateLine(bytes, true);
    if (shape == QLatin1String("paragraphs"))
        return generateParagraphs(bytes);
    if (shape == QLatin1String("newlines"))
        return QByteArray(bytes, '\n');
    return generateProse(bytes);
}

// The process's resident memory now (VmRSS).
long rssMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').value(0).toLong() / 1024;
    }
    return 0;
}

// Child side of a load measurement, from the Load File click (for the plain
// editor: from reading the same file) until the program is quiet, its event
// loop about to wait with nothing posted and no timer due; then one key,
// handled and painted. Prints quiet_ms, key_ms and the load's peak memory.
int loadChild(const QString &who, const QString &path)
{
    const QFont font(QStringLiteral("Arial"), 9, QFont::Bold); // the design font
    BenchModal modal;
    std::unique_ptr<Application> app;
    std::unique_ptr<QPlainTextEdit> plain;
    QPlainTextEdit *edit = nullptr;
    if (who == QLatin1String("plain")) {
        plain = std::make_unique<QPlainTextEdit>();
        plain->setFont(font);
        plain->setGeometry(QGuiApplication::primaryScreen()->geometry());
        plain->showFullScreen();
        edit = plain.get();
    } else {
        app = std::make_unique<Application>();
        app->start();
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        app->form2().hide(); // as Esc does
        app->form1().showWindow();
        modal.fileName = path;
        edit = &app->form2().text1();
    }
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    const long before = rssMb();

    QElapsedTimer t;
    t.start();
    if (plain) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        plain->setPlainText(QString::fromUtf8(file.readAll()));
    } else {
        app->form1().pushButton(1).click();
    }
    QEventLoop loop;
    double quiet = 0;
    const auto connection = QObject::connect(QAbstractEventDispatcher::instance(),
                                             &QAbstractEventDispatcher::aboutToBlock, &loop, [&] {
                                                 quiet = msSince(t);
                                                 loop.quit();
                                             });
    loop.exec();
    QObject::disconnect(connection);
    const double keyMs = timed([&] {
        key(edit, Qt::Key_A, QStringLiteral("a"));
        edit->viewport()->repaint();
    });
    std::printf("quiet_ms=%.1f key_ms=%.2f load_peak_mb=%ld blocks=%d reports=%d\n", quiet, keyMs,
                peakRssMb() - before, edit->document()->blockCount(), modal.reports);
    return 0;
}

// Every shape and size, each load in a process of its own, ours and the
// plain editor's alternating; a load that takes longer than maxSeconds is
// stopped and reported as such.
int loads(int runs, int maxSeconds, const QString &only)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("load.txt"));
    const qint64 mib64 = 64 * 1024 * 1024;
    for (const char *shape : {"prose", "paragraphs", "line", "newlines"}) {
        if (!only.isEmpty() && only != QLatin1String(shape))
            continue;
        for (const qint64 bytes : {qint64(1000000), qint64(10000000), qint64(50000000), mib64}) {
            {
                QFile f(path);
                f.open(QIODevice::WriteOnly | QIODevice::Truncate);
                QByteArray data = generate(QString::fromLatin1(shape), bytes);
                if (data.size() > bytes) // whole lines, within the size limit
                    data.truncate(data.lastIndexOf('\n', bytes - 1) + 1);
                f.write(data);
            }
            const int n = bytes > 10000000 ? 1 : runs;
            std::printf("shape=%s bytes=%lld", shape, static_cast<long long>(bytes));
            for (const char *who : {"ours", "plain"}) {
                std::vector<double> quiet, keyMs, peak;
                bool stopped = false;
                bool refused = false;
                for (int i = 0; i < n && !stopped; ++i) {
                    QProcess child;
                    child.start(QCoreApplication::applicationFilePath(),
                                {QStringLiteral("--load-child"), QString::fromLatin1(who), path});
                    if (!child.waitForFinished(maxSeconds * 1000)) {
                        child.kill();
                        child.waitForFinished();
                        stopped = true;
                        break;
                    }
                    const QByteArray out = child.readAllStandardOutput();
                    auto field = [&](const char *name) {
                        for (const QByteArray &pair : out.trimmed().split(' '))
                            if (pair.startsWith(QByteArray(name) + '='))
                                return pair.mid(int(qstrlen(name)) + 1).toDouble();
                        return -1.0;
                    };
                    refused = refused || field("reports") > 0;
                    quiet.push_back(field("quiet_ms"));
                    keyMs.push_back(field("key_ms"));
                    peak.push_back(field("load_peak_mb"));
                }
                if (stopped)
                    std::printf(" %s_quiet_ms=over%d", who, maxSeconds * 1000);
                else if (refused)
                    std::printf(" %s_quiet_ms=refused_in_%.0f", who, median(quiet));
                else
                    std::printf(" %s_quiet_ms=%.0f %s_key_ms=%.2f %s_peak_mb=%.0f", who,
                                median(quiet), who, median(keyMs), who, median(peak));
            }
            std::printf(" runs=%d\n", n);
            std::fflush(stdout);
        }
    }
    return 0;
}

int sizeRun(const QString &shape, qint64 bytes, int keystrokes, bool memoryOnly)
{
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toLocal8Bit());
    const QString source = dir.filePath(QStringLiteral("prose.txt"));
    {
        QFile f(source);
        f.open(QIODevice::WriteOnly);
        f.write(generate(shape, bytes));
    }

    // The floor: read and decode the same file.
    std::vector<double> floors;
    for (int i = 0; i < 3; ++i)
        floors.push_back(timed([&] { TextFile::read(source); }));
    const double readFloor = median(floors);

    BenchModal modal;
    Application app;
    SideFiles::setProgramFolder(dir.path());
    app.start();
    QCoreApplication::processEvents();
    Form1 &panel = app.form1();
    Form2 &writer = app.form2();
    RichTextBox &text = writer.text1();
    auto toPanel = [&] {
        writer.hide();
        panel.showWindow();
        QCoreApplication::processEvents();
    };
    // A command from its click until the writing area has painted.
    auto command = [&](int button) {
        toPanel();
        return timed([&] {
            panel.pushButton(button).click();
            QCoreApplication::processEvents();
            text.viewport()->repaint();
        });
    };

    modal.fileName = source;
    const double load = command(1);
    const long loadedRss = peakRssMb();
    if (memoryOnly) {
        // Peak over the file's size.
        const double megabytes = double(bytes) / (1024 * 1024);
        std::printf("shape=%s bytes=%lld load_ms=%.1f loaded_peak_rss_mb=%ld loaded_ratio=%.1f\n",
                    qPrintable(shape), static_cast<long long>(bytes), load, loadedRss,
                    double(loadedRss) / megabytes);
        return 0;
    }
    const long loadRss = loadedRss;

    modal.fileName = dir.filePath(QStringLiteral("saved.txt"));
    toPanel();
    const double save = timed([&] { panel.pushButton(4).click(); });
    const QString whole = text.text();
    const double saveFloor = timed([&] {
        TextFile::write(dir.filePath(QStringLiteral("floor.txt")), TextFile::encode(whole));
    });

    modal.color = QColor(200, 180, 40);
    const double foreColor = command(2);
    modal.color = QColor(20, 20, 60);
    const double backColor = command(6);
    modal.font = QFont(QStringLiteral("Liberation Serif"), 13);
    const double font = command(5);

    // A keystroke is the key's handling; the repaint that follows is timed
    // apart, since Qt paints once per frame however many keys arrive.
    // "pixels" is the key and the repaint of the block it changed, which is
    // what reaches the screen; a plain QPlainTextEdit holding the same text,
    // one block per line, is measured the same way.
    QString keys;
    auto keystrokes_at = [&](QPlainTextEdit &edit, const QString &name, int position, int code,
                             const QString &typed) {
        std::vector<double> handling;
        std::vector<double> painted;
        std::vector<double> pixels;
        const int length = edit.document()->characterCount() - 1;
        for (int i = 0; i < keystrokes; ++i) {
            QTextCursor cursor = edit.textCursor();
            cursor.setPosition(position < 0 ? length : qMin(position, length));
            edit.setTextCursor(cursor);
            QCoreApplication::processEvents();
            handling.push_back(timed([&] { key(&edit, code, typed); }));
            const QRectF block =
                edit.document()->documentLayout()->blockBoundingRect(edit.textCursor().block());
            const QRect changed(0,
                                qMax(0, edit.cursorRect().center().y() - int(block.height() / 2)),
                                edit.viewport()->width(), int(block.height()) + 1);
            pixels.push_back(handling.back() + timed([&] { edit.viewport()->repaint(changed); }));
            painted.push_back(handling.back() + timed([&] { edit.viewport()->repaint(); }));
        }
        keys += QStringLiteral(" key_%1_median_ms=%2 key_%1_worst_ms=%3 key_%1_painted_worst_ms=%4"
                               " key_%1_pixels_median_ms=%5")
                    .arg(name)
                    .arg(median(handling), 0, 'f', 3)
                    .arg(*std::max_element(handling.begin(), handling.end()), 0, 'f', 3)
                    .arg(*std::max_element(painted.begin(), painted.end()), 0, 'f', 3)
                    .arg(median(pixels), 0, 'f', 3);
    };
    writer.showWindow();
    QCoreApplication::processEvents();
    keystrokes_at(text, QStringLiteral("start"), 0, Qt::Key_A, QStringLiteral("a"));
    keystrokes_at(text, QStringLiteral("middle"), text.textLength() / 2, Qt::Key_A,
                  QStringLiteral("a"));
    keystrokes_at(text, QStringLiteral("end"), -1, Qt::Key_A, QStringLiteral("a"));
    const long peak = peakRssMb(); // before the comparison editor below
    if (shape == QLatin1String("prose") || shape == QLatin1String("paragraph")) {
        // One huge block would take minutes to lay out: prose and
        // paragraphs only.
        QPlainTextEdit plain;
        plain.setFont(text.font());
        plain.setGeometry(writer.geometry());
        plain.setPlainText(TextFile::read(source).text);
        plain.showFullScreen();
        QCoreApplication::processEvents();
        const int half = (plain.document()->characterCount() - 1) / 2;
        keystrokes_at(plain, QStringLiteral("plain_start"), 0, Qt::Key_A, QStringLiteral("a"));
        keystrokes_at(plain, QStringLiteral("plain_middle"), half, Qt::Key_A, QStringLiteral("a"));
        keystrokes_at(plain, QStringLiteral("plain_end"), -1, Qt::Key_A, QStringLiteral("a"));
    }
    keystrokes_at(text, QStringLiteral("enter"), 0, Qt::Key_Return, QStringLiteral("\r"));

    std::printf("shape=%s bytes=%lld load_peak_rss_mb=%ld read_floor_ms=%.1f load_ms=%.1f "
                "load_ratio=%.2f save_ms=%.1f "
                "save_floor_ms=%.1f save_ratio=%.2f fore_color_ms=%.1f back_color_ms=%.1f "
                "font_ms=%.1f peak_rss_mb=%ld reports=%d%s\n",
                qPrintable(shape), static_cast<long long>(bytes), loadRss, readFloor, load,
                load / readFloor, save, saveFloor, save / saveFloor, foreColor, backColor, font,
                peak, modal.reports, qPrintable(keys));
    return modal.reports == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication qtApp(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    auto value = [&](const char *name, const QString &fallback) {
        const qsizetype i = args.indexOf(QLatin1String(name));
        return i >= 0 && i + 1 < args.size() ? args.at(i + 1) : fallback;
    };
    if (args.contains(QLatin1String("--write"))) { // a file for bench/real-load.sh
        QFile out(value("--write", QString()));
        const QByteArray text =
            generate(value("--shape", QStringLiteral("prose")),
                     value("--size", QStringLiteral("10")).toLongLong() * 1000 * 1000);
        return out.open(QIODevice::WriteOnly) && out.write(text) == text.size() ? 0 : 1;
    }
    if (args.contains(QLatin1String("--startup-child")))
        return startupChild(value("--startup-child", QStringLiteral("program")));
    if (args.contains(QLatin1String("--load-child")))
        return loadChild(value("--load-child", QString()), args.last());
    if (args.contains(QLatin1String("--loads")))
        return loads(value("--loads", QStringLiteral("3")).toInt(),
                     value("--max-seconds", QStringLiteral("60")).toInt(),
                     value("--shape", QString()));
    if (args.contains(QLatin1String("--startup")))
        return startup(value("--startup", QStringLiteral("15")).toInt());
    // --size in MB (10^6 bytes), or --bytes exactly; --shape prose|line|solid.
    const qint64 bytes = args.contains(QLatin1String("--bytes"))
                             ? value("--bytes", QString()).toLongLong()
                             : value("--size", QStringLiteral("1")).toLongLong() * 1000 * 1000;
    return sizeRun(value("--shape", QStringLiteral("prose")), bytes,
                   value("--keystrokes", QStringLiteral("21")).toInt(),
                   args.contains(QLatin1String("--memory")));
}
