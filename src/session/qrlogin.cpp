#include "session/qrlogin.h"

#include <QUrl>

namespace QrLogin {
namespace {

constexpr char appId[] = "549000912";
constexpr int randomDigits = 16; // as the login page writes its Math.random()
// ptuiCB's fields, in order.
enum Field { CodeField, UrlField = 2, MessageField = 4, NicknameField };
const QString afterSignIn = QStringLiteral("https://qzs.qq.com/qzone/v5/loginsucc.html?para=izone");

} // namespace

QString loginPageAddress()
{
    return QStringLiteral("https://xui.ptlogin2.qq.com/cgi-bin/xlogin?hide_title_bar=1&style=22&"
                          "daid=5&low_login=0&qlogin_auto_login=1&no_verifyimg=1&link_target=blank&"
                          "appid=")
            + QLatin1String(appId)
            + QStringLiteral("&target=self&pt_no_auth=1&s_url=https%3A%2F%2Fqzs.qzone.qq.com%2F"
                             "qzone%2Fv5%2Floginsucc.html%3Fpara%3Dizone&proxy_url=https%3A%2F%2F"
                             "qzs.qq.com%2Fqzone%2Fv6%2Fportal%2Fproxy.html");
}

QString codeAddress(double random)
{
    return QStringLiteral("https://ssl.ptlogin2.qq.com/ptqrshow?appid=") + QLatin1String(appId)
            + QStringLiteral("&e=2&l=M&s=3&d=72&v=4&t=")
            + QString::number(random, 'f', randomDigits) + QStringLiteral("&daid=5&pt_3rd_aid=0");
}

QString pollAddress(quint32 token, const QByteArray &loginSig, qint64 nowMs)
{
    return QStringLiteral("https://ssl.ptlogin2.qq.com/ptqrlogin?u1=")
            + QString::fromLatin1(QUrl::toPercentEncoding(afterSignIn))
            + QStringLiteral("&ptqrtoken=") + QString::number(token)
            + QStringLiteral("&ptredirect=0&h=1&t=1&g=1&from_ui=1&ptlang=2052&action=0-0-")
            + QString::number(nowMs) + QStringLiteral("&js_ver=24081515&js_type=1&login_sig=")
            + QString::fromLatin1(QUrl::toPercentEncoding(QString::fromLatin1(loginSig)))
            + QStringLiteral("&pt_uistyle=40&aid=") + QLatin1String(appId)
            + QStringLiteral("&daid=5&");
}

quint32 hash33(const QString &text)
{
    constexpr int shift = 5;
    constexpr quint32 low31Bits = 0x7fffffffu;
    quint32 e = 0;
    for (const QChar c : text)
        e += (e << shift) + c.unicode();
    return e & low31Bits;
}

std::optional<PollAnswer> parsePollAnswer(const QString &answer)
{
    const QString text = answer.trimmed();
    const QLatin1String call("ptuiCB(");
    if (!text.startsWith(call))
        return std::nullopt;
    QStringList fields;
    qsizetype at = call.size();
    // 'field','field',... up to the closing parenthesis.
    while (at < text.size()) {
        while (at < text.size() && (text.at(at) == u' ' || text.at(at) == u','))
            ++at;
        if (at < text.size() && text.at(at) == u')')
            break;
        if (at >= text.size() || (text.at(at) != u'\'' && text.at(at) != u'"'))
            return std::nullopt;
        const QChar quote = text.at(at++);
        QString field;
        while (at < text.size() && text.at(at) != quote) {
            if (text.at(at) == u'\\' && at + 1 < text.size())
                ++at;
            field += text.at(at++);
        }
        if (at >= text.size())
            return std::nullopt; // no closing quote
        ++at;
        fields.append(field);
    }
    if (fields.size() <= MessageField)
        return std::nullopt;
    return PollAnswer {fields.at(CodeField), fields.at(UrlField), fields.at(MessageField),
                       fields.value(NicknameField)};
}

State stateOfCode(const QString &code)
{
    if (code == QLatin1String("0"))
        return State::SignedIn;
    if (code == QLatin1String("66"))
        return State::Waiting;
    if (code == QLatin1String("67"))
        return State::Scanned;
    if (code == QLatin1String("65"))
        return State::Renewed;
    if (code == QLatin1String("68") || code == QLatin1String("22005"))
        return State::Refused;
    return State::Failed;
}

bool isFinal(State state)
{
    switch (state) {
    case State::FetchingCode:
    case State::Waiting:
    case State::Scanned:
    case State::Renewed:
        return false;
    case State::Refused:
    case State::Expired:
    case State::Restricted:
    case State::Failed:
    case State::SignedIn:
    case State::Cancelled:
        break;
    }
    return true;
}

} // namespace QrLogin
