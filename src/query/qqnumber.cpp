#include "query/qqnumber.h"

namespace QqNumber {
namespace {
constexpr qsizetype fewestDigits = 5;
constexpr qsizetype mostDigits = 10;
} // namespace

std::optional<Problem> check(const QString &typed)
{
    if (typed.isEmpty())
        return Problem {QStringLiteral("请输入QQ号码!"), false, Problem::Kind::Empty};
    if (typed.size() < fewestDigits || typed.size() > mostDigits)
        return Problem {QStringLiteral("QQ号码位数不正确!"), false, Problem::Kind::Length};
    for (const QChar c : typed) {
        // Only this rule shows a message box before it reports.
        if (c < u'0' || c > u'9')
            return Problem {QStringLiteral("您输入的内容错误!QQ号为纯数字!"), true,
                            Problem::Kind::NotDigits};
    }
    return std::nullopt;
}

} // namespace QqNumber
