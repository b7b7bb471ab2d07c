#pragma once

// Shared by the fuzz targets: ways to turn the fuzzer's bytes into text or a double, and a
// check that stops the run on the first broken invariant.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include <QByteArray>
#include <QString>

// Prints what broke, then traps so libFuzzer saves the input as a crash.
#define FUZZ_CHECK(condition) \
    do { \
        if (!(condition)) { \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, __FILE__, \
                         __LINE__); \
            __builtin_trap(); \
        } \
    } while (0)

namespace fuzz {

// The three readings of the same bytes: UTF-8 (invalid sequences become U+FFFD), Latin-1 (every
// byte one character, so all of U+0000..U+00FF are reachable) and raw UTF-16 (lone surrogates
// and characters no decoder would produce). `use` is called once per reading.
template<typename Use> void forEachReading(const std::uint8_t *data, std::size_t size, Use &&use)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    const auto length = static_cast<qsizetype>(size);
    use(QString::fromUtf8(bytes, length));
    use(QString::fromLatin1(bytes, length));
    // Copied rather than cast: the fuzzer's buffer need not be aligned for char16_t.
    QString utf16(length / 2, Qt::Uninitialized);
    if (!utf16.isEmpty())
        std::memcpy(utf16.data(), data, static_cast<std::size_t>(utf16.size()) * 2);
    use(utf16);
}

// The first 8 bytes as a double's bit pattern, so NaNs with any payload, infinities, zeros
// and denormals all come up; missing bytes are zero.
inline double doubleFromBytes(const std::uint8_t *data, std::size_t size)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, data, size < sizeof bits ? size : sizeof bits);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline bool mentionsInfOrNan(const QString &text)
{
    return text.contains(QLatin1String("inf"), Qt::CaseInsensitive)
            || text.contains(QLatin1String("nan"), Qt::CaseInsensitive);
}

} // namespace fuzz
