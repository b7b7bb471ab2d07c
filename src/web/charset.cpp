#include "web/charset.h"

#include <QList>
#include <QStringDecoder>

namespace {

// A decoder for the declared charset; invalid when none is declared or it is unknown.
QStringDecoder declaredDecoder(const QByteArray &declaredCharset)
{
    QByteArray name = declaredCharset.trimmed().toLower();
    // ICU's gb2312 is strict and garbles GBK-only characters; browsers read all three as GB18030.
    if (name == "gb2312" || name == "gbk" || name == "x-gbk")
        name = "GB18030";
    return name.isEmpty() ? QStringDecoder() : QStringDecoder(name.constData());
}

} // namespace

QString decodeBody(const QByteArray &body, const QByteArray &declaredCharset, const char *fallback)
{
    QStringDecoder decoder = declaredDecoder(declaredCharset);
    if (!decoder.isValid())
        decoder = QStringDecoder(fallback);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringConverter::Utf8);
    return decoder.decode(body);
}

QByteArray charsetFromContentType(const QByteArray &contentType)
{
    const QList<QByteArray> fields = contentType.split(';');
    // The first field is the media type itself.
    for (qsizetype i = 1; i < fields.size(); ++i) {
        const QByteArray field = fields.at(i).trimmed();
        const qsizetype eq = field.indexOf('=');
        if (eq < 0 || field.left(eq).trimmed().toLower() != "charset")
            continue;
        QByteArray value = field.mid(eq + 1).trimmed();
        if (value.size() >= 2
            && ((value.startsWith('"') && value.endsWith('"'))
                || (value.startsWith('\'') && value.endsWith('\''))))
            value = value.mid(1, value.size() - 2).trimmed();
        return value;
    }
    return {};
}

QString decodeDeclaredOrSniffed(const QByteArray &body, const QByteArray &declaredCharset)
{
    QStringDecoder declared = declaredDecoder(declaredCharset);
    if (declared.isValid())
        return declared.decode(body);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(body);
    if (!utf8.hasError())
        return text;
    QStringDecoder gb18030("GB18030");
    return gb18030.decode(body);
}
