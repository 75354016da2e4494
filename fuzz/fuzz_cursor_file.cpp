// Pointer files: parsing and decoding must never crash, whatever the bytes.
#include "controls/CursorFile.h"

#include <QGuiApplication>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const int preferred : {16, 32, 256}) {
        const CursorFile::Parsed parsed = CursorFile::parse(bytes, preferred);
        if (parsed.error.isEmpty())
            CursorFile::decodeImage(parsed.entry);
    }
    return 0;
}
