// Reading a QR code picture back into modules, on any bytes: a hostile PNG included.

#include "cli/qrterminal.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray png(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::optional<QrModules> modules = modulesOfPicture(png);
    if (!modules)
        return 0;
    FUZZ_CHECK(modules->size >= 21 && modules->size <= 177 && (modules->size - 21) % 4 == 0);
    FUZZ_CHECK(modules->dark.size() == qsizetype(modules->size) * modules->size);
    const QString drawn = drawForTerminal(*modules, false);
    FUZZ_CHECK(drawn.count(u'\n') == (modules->size + 8 + 1) / 2);
    return 0;
}
