// Pointer files: parsing, decoding and loading from disk must never crash,
// whatever the bytes.
#include "FuzzFile.h"
#include "app/CursorFile.h"
#include "controls/AppError.h"

#include <QGuiApplication>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static int argc = 1;
    static char name[] = "fuzz_cursor_file";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const int preferred : {16, 32, 256}) {
        const CursorFile::Parsed parsed = CursorFile::parse(bytes, preferred);
        if (parsed.error.isEmpty())
            CursorFile::decodeImage(parsed.entry);
    }
    try {
        CursorFile::load(fuzzFile(QStringLiteral("HAND-M.CUR"), bytes.constData(), bytes.size()));
    } catch (const AppError &) {
    }
    return 0;
}
