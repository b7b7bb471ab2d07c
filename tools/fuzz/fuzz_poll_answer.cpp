// The login's poll answers (ptuiCB) on any text.

#include "fuzz_common.h"
#include "session/qrlogin.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::forEachReading(data, size, [](const QString &text) {
        const std::optional<QrLogin::PollAnswer> answer = QrLogin::parsePollAnswer(text);
        if (!answer)
            return;
        // Every field is a stretch of the answer's characters, never longer than it.
        FUZZ_CHECK(text.trimmed().startsWith(QLatin1String("ptuiCB(")));
        FUZZ_CHECK(answer->code.size() + answer->url.size() + answer->message.size()
                           + answer->nickname.size()
                   <= text.size());
        const QrLogin::State state = QrLogin::stateOfCode(answer->code);
        FUZZ_CHECK((state == QrLogin::State::SignedIn) == (answer->code == QLatin1String("0")));
    });
    return 0;
}
