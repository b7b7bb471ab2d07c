#pragma once

#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

// QQ's web sign-in by QR code, as QZone's own login page speaks it: the addresses, the token
// and the answers of its poll.
namespace QrLogin {

// Sets the pt_login_sig cookie; optional.
QString loginPageAddress();
// The code as a PNG; sets the qrsig cookie. `random` is a number in (0, 1).
QString codeAddress(double random);
// The poll for the code's state.
QString pollAddress(quint32 token, const QByteArray &loginSig, qint64 nowMs);
inline constexpr char pollReferer[] = "https://xui.ptlogin2.qq.com/";

// ptqrtoken: e = 0; e += (e << 5) + c for each UTF-16 unit c; the low 31 bits.
quint32 hash33(const QString &text);

// What a poll answered: ptuiCB('CODE','0','URL','0','MESSAGE','NICKNAME').
struct PollAnswer
{
    QString code;
    QString url; // the check_sig address once signed in: a secret
    QString message;
    QString nickname;
};
// The quoted fields of a ptuiCB(...) answer (backslash escapes honoured); none when the answer
// is no ptuiCB call with at least five fields.
std::optional<PollAnswer> parsePollAnswer(const QString &answer);

// The states of a sign-in.
enum class State {
    FetchingCode,
    Waiting, // shown, not scanned yet (66)
    Scanned, // waiting for the confirmation on the phone (67)
    Renewed, // expired (65), a new code is shown
    Refused, // refused on the phone (68, 22005)
    Expired, // expired once too often
    Restricted, // the network is refused the code (HTTP 403)
    Failed,
    SignedIn, // (0)
    Cancelled,
};
// The state a poll's code means; Failed for one we do not know.
State stateOfCode(const QString &code);
// Whether the sign-in ends in `state`.
bool isFinal(State state);

} // namespace QrLogin
