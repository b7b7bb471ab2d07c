#pragma once

#include "web/session.h"

#include <functional>

#include <QByteArray>
#include <QCoreApplication>
#include <QFileDevice>
#include <QList>
#include <QString>
#include <QStringList>

// The Netscape cookies.txt format that curl (-b), wget (--load-cookies) and browsers' export
// add-ons use: a line per cookie with seven TAB-separated fields (domain, subdomains flag, path,
// secure, expiry in Unix seconds with 0 for a session cookie, name, value), "#HttpOnly_" before
// the domain of an HttpOnly cookie, '#' comments and blank lines.
class CookiesFile
{
    Q_DECLARE_TR_FUNCTIONS(CookiesFile)
public:
    // Far more than any browser's export; a bigger file is no cookies file.
    static constexpr qint64 maxSize = 8 * 1024 * 1024;

    // The session in the file at `path`. A file that group or others can read is refused, as
    // ssh refuses a readable key: the session is as good as the user's password.
    static SessionLoad read(const QString &path);
    // Where both programs look for the user's session: $XDG_CONFIG_HOME/Mirelo/cookies.txt,
    // ~/.config/Mirelo/cookies.txt when that is not set.
    static QString defaultPath();
    // As read(), but nothing at all, not even an error, when there is no file at `path`.
    static SessionLoad readIfPresent(const QString &path);
    // The cookies of a file's text. A line that is no cookie is skipped with a problem
    // "line N: why" that quotes nothing of the line.
    static QList<SessionCookie> parse(const QByteArray &text, QStringList *problems);

    // Writes `cookies` to `path` in this format, the folder made (mode 700) when it is missing,
    // the file readable by its owner only before a byte of it is written, and replaced whole
    // or not at all. Returns an empty string, or why it could not. `beforeWriting`, a seam for
    // tests, sees the new file just before its content goes in.
    static QString write(const QString &path, const QList<SessionCookie> &cookies,
                         const std::function<void(const QFileDevice &)> &beforeWriting = {});
    // The text write() puts in the file.
    static QByteArray text(const QList<SessionCookie> &cookies);
};
