#pragma once

#include <QString>

// Every address the program asks for: fixed paths and queries on the deployment hosts.
// The QQ number is concatenated as typed; nothing is escaped.
namespace Addresses {

QString visitors(const QString &qq);
QString portrait(const QString &qq);
QString moods(const QString &qq);
QString blog(const QString &qq);
QString music(const QString &qq);
QString flowerVine(const QString &qq);
QString qzonePortrait(const QString &qq); // 100-pixel QZone portrait, also the copied address
QString qqPortrait(const QString &qq); // 100-pixel QQ portrait
QString qqPortraitHd(const QString &qq); // 640-pixel QQ portrait

QString reachabilityProbe();

// A service address as a signed-in session asks for it: over https, with the session's g_tk
// in its query (in place of a fixed one the address has: two would leave the service to pick).
QString signedIn(const QString &address, quint32 gtk);

} // namespace Addresses
