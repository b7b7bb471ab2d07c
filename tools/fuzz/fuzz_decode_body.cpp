// charsetFromContentType and decodeBody. Input: a Content-Type header value, a line feed, then
// the body (no line feed: all of it is the body, with no header). The header's first line is
// also tried directly as a declared charset, so odd names reach the converter lookup.

#include "fuzz_common.h"
#include "web/charset.h"

namespace {

void checkCharset(const QByteArray &contentType, const QByteArray &charset)
{
    FUZZ_CHECK(charset.size() <= contentType.size());
    FUZZ_CHECK(!charset.contains(';'));
    FUZZ_CHECK(charset == charset.trimmed());
    if (!charset.isEmpty()) {
        FUZZ_CHECK(contentType.toLower().contains("charset"));
        FUZZ_CHECK(contentType.contains('='));
    }
}

QString decodeChecked(const QByteArray &body, const QByteArray &declared, const char *fallback)
{
    QString text = decodeBody(body, declared, fallback);
    // Same input, same text: nothing carries over from one decoding to the next.
    FUZZ_CHECK(decodeBody(body, declared, fallback) == text);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const qsizetype lineEnd = input.indexOf('\n');
    const QByteArray contentType = lineEnd < 0 ? QByteArray() : input.left(lineEnd);
    const QByteArray body = lineEnd < 0 ? input : input.mid(lineEnd + 1);

    const QByteArray charset = charsetFromContentType(contentType);
    checkCharset(contentType, charset);

    decodeChecked(body, charset, "UTF-8");
    decodeChecked(body, charset, "GB18030");
    decodeChecked(body, contentType, "UTF-8");

    // No charset: the fallback decides. UTF-8 never yields more UTF-16 units than bytes.
    const QString asUtf8 = decodeChecked(body, QByteArray(), "UTF-8");
    FUZZ_CHECK(asUtf8.size() <= body.size());
    FUZZ_CHECK(decodeChecked(body, QByteArrayLiteral("no-such-charset"), "UTF-8") == asUtf8);
    const QString asGb = decodeChecked(body, QByteArray(), "GB18030");
    FUZZ_CHECK(asGb.size() <= body.size());
    // The GBK family is read as GB18030, whatever the case or padding.
    FUZZ_CHECK(decodeChecked(body, QByteArrayLiteral(" GBK "), "UTF-8") == asGb);
    FUZZ_CHECK(decodeChecked(body, QByteArrayLiteral("gb2312"), "UTF-8") == asGb);
    FUZZ_CHECK(decodeChecked(body, QByteArrayLiteral("X-GBK"), "UTF-8") == asGb);
    return 0;
}
