#pragma once

#include <QByteArray>
#include <QString>

// The demo account's signed-in session: the cookies `mirelo-offline-server --signed-in-only`
// accepts, and nothing anywhere else.
namespace OfflineDemo {

// The session cookie the services check, and its value.
inline constexpr char demoSessionCookie[] = "p_skey";
inline constexpr char demoSessionKey[] = "MireloDemo-p_skey-5c1e7a";

// The session as a Netscape cookies.txt.
QByteArray demoCookiesFile();
// Writes demoCookiesFile() to `path`, readable by its owner only (an existing file too).
// Returns an empty string, or why it could not.
QString writeDemoCookies(const QString &path);

} // namespace OfflineDemo
