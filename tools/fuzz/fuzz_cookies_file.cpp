// The cookies file's reader on any text, and its writer's text read back.

#include "fuzz_common.h"
#include "session/cookiesfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QStringList problems;
    const QList<SessionCookie> cookies = CookiesFile::parse(text, &problems);
    // A problem names its line only: nothing of the line's text, which may be a secret.
    for (const QString &problem : problems)
        FUZZ_CHECK(problem.startsWith(QLatin1String("line ")));
    for (const SessionCookie &cookie : cookies) {
        FUZZ_CHECK(!cookie.name.isEmpty());
        FUZZ_CHECK(!cookie.name.contains('\t') && !cookie.value.contains('\t'));
        FUZZ_CHECK(!cookie.name.contains('\n') && !cookie.value.contains('\n'));
    }
    // What the sign-in writes reads back as it was, but for the dot a cookie for the subdomains
    // is written with.
    const auto withoutDots = [](QList<SessionCookie> list) {
        for (SessionCookie &cookie : list) {
            if (cookie.includeSubdomains && cookie.domain.startsWith(u'.'))
                cookie.domain.remove(0, 1);
        }
        return list;
    };
    FUZZ_CHECK(withoutDots(CookiesFile::parse(CookiesFile::text(cookies), nullptr))
               == withoutDots(cookies));
    return 0;
}
