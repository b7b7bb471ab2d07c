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
// The 100-pixel and the 640-pixel QQ portrait: QQ's public avatar service (over https when
// `signedIn`, as today's pages ask it; it never gets the session), or the outside portrait
// service when the build names its host.
QString qqPortrait(const QString &qq, bool signedIn = false);
QString qqPortraitHd(const QString &qq, bool signedIn = false);

QString reachabilityProbe();

// A service address as a signed-in session asks for it: over https, with the session's g_tk
// in its query (in place of a fixed one the address has: two would leave the service to pick).
QString signedIn(const QString &address, quint32 gtk);

// The addresses today's QZone front end asks, signed in (without g_tk; signedIn() adds it).
namespace Current {
QString visitors(const QString &qq);
QString portrait(const QString &qq);
QString moods(const QString &qq);
// `self`: the signed-in user's own number; `year`: the current year.
QString blog(const QString &qq, const QString &self, int year);
} // namespace Current

} // namespace Addresses
