#include "query/qqnumber.h"

namespace QqNumber {

QString failure(const QString &typed)
{
    if (typed.isEmpty())
        return QStringLiteral("请输入QQ号码!");
    if (typed.size() < 5 || typed.size() > 10)
        return QStringLiteral("QQ号码位数不正确!");
    for (const QChar c : typed) {
        if (c < u'0' || c > u'9')
            return QStringLiteral("您输入的内容错误!QQ号为纯数字!");
    }
    return {};
}

} // namespace QqNumber
