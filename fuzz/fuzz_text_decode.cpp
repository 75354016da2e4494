// Text files: decoding never crashes, never replaces a character, and what
// it accepts survives encoding and decoding again.
#include "controls/TextFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const TextFile::Decoded d = TextFile::decode(bytes);
    if (!d.error.isEmpty())
        return 0;
    if (d.text.contains(QLatin1Char('\r')))
        std::abort(); // every line end is LF once decoded
    const TextFile::Decoded again = TextFile::decode(TextFile::encode(d.text));
    if (!again.error.isEmpty() || again.text != d.text)
        std::abort();
    return 0;
}
