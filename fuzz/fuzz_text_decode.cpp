// Text files: decoding never crashes, never replaces a character, and what
// it accepts survives encoding and decoding again, and cutting into the
// writing area's blocks and joining them again.
#include "controls/text/TextBlocks.h"
#include "controls/text/TextFile.h"

#include <QList>
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
    const TextBlocks::Layout layout = TextBlocks::layout(d.text);
    const TextBlocks::Layout cut = TextBlocks::layout(d.text, 64);
    for (const TextBlocks::Layout *l : {&layout, &cut}) {
        if (TextBlocks::join(*l) != d.text || l->blocks != l->text.count(QLatin1Char('\n')) + 1)
            std::abort();
    }
    for (const QStringView block : QStringView(layout.text).split(QLatin1Char('\n')))
        if (block.size() > TextBlocks::WholeLineChars)
            std::abort();
    return 0;
}
