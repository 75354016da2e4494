// Measures the program's start-up, file commands, look commands, keystrokes
// and memory on generated prose, driving the real windows offscreen through
// the Modal seam. Prints one "key=value" line per run; bench/run.sh runs it
// for every size and writes docs/performance.md.
//
//   inkwellor_bench --startup RUNS        start-up against a bare Qt window
//   inkwellor_bench --size MB [--keystrokes N]
//   inkwellor_bench --shape S --bytes N --memory   peak memory of one load
#include "BenchModal.h"
#include "Prose.h"
#include "app/Application.h"
#include "app/SideFiles.h"
#include "controls/PushButton.h"
#include "controls/RichTextBox.h"
#include "controls/TextFile.h"
#include "panel/Form1.h"
#include "writer/Form2.h"

#include <QApplication>
#include <QElapsedTimer>
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
    if (shape == QLatin1String("newlines"))
        return QByteArray(bytes, '\n');
    return generateProse(bytes);
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
        // The page right after Load File, then (unless told not to: a block
        // a line is what a huge count of empty lines cannot afford) once
        // split; peaks over the file's size.
        const double megabytes = double(bytes) / (1024 * 1024);
        std::printf("shape=%s bytes=%lld load_ms=%.1f loaded_peak_rss_mb=%ld loaded_ratio=%.1f",
                    qPrintable(shape), static_cast<long long>(bytes), load, loadedRss,
                    double(loadedRss) / megabytes);
        if (!qEnvironmentVariableIsSet("BENCH_NO_SPLIT")) {
            while (text.model().splitting())
                QCoreApplication::processEvents();
            std::printf(" split_peak_rss_mb=%ld split_ratio=%.1f", peakRssMb(),
                        double(peakRssMb()) / megabytes);
        }
        std::printf("\n");
        return 0;
    }
    // Joined lines are split while idle; the keys below come after that.
    const double split = timed([&] {
        while (text.model().splitting())
            QCoreApplication::processEvents();
    });
    const long loadRss = peakRssMb();

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
                "idle_split_ms=%.1f "
                "load_ratio=%.2f save_ms=%.1f "
                "save_floor_ms=%.1f save_ratio=%.2f fore_color_ms=%.1f back_color_ms=%.1f "
                "font_ms=%.1f peak_rss_mb=%ld reports=%d%s\n",
                qPrintable(shape), static_cast<long long>(bytes), loadRss, readFloor, load, split,
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
    if (args.contains(QLatin1String("--startup-child")))
        return startupChild(value("--startup-child", QStringLiteral("program")));
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
