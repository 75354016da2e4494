// Skin files: the style-sheet check never crashes or hangs on any text, and
// loading one from disk (which checks every url() it names) never does.
#include "FuzzFile.h"
#include "app/StyleSheetCheck.h"
#include "controls/AppError.h"
#include "controls/SkinFramework.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto *chars = reinterpret_cast<const char *>(data);
    checkStyleSheet(QString::fromUtf8(chars, qsizetype(size)));
    SkinFramework skin;
    skin.setCheck(skinFault);
    try {
        skin.loadSkin(fuzzFile(QStringLiteral("o.cjs"), chars, qsizetype(size)), QString());
    } catch (const AppError &) {
    }
    return 0;
}
