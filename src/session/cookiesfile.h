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

    // How long a pipe's writer (`--cookies <(gpg -d …)`) may take to give the whole file.
    static constexpr int pipeWaitMs = 60'000;

    // The session in the file at `path`, a regular file or a pipe, if a lookup can use it (see
    // SessionChecks::usable). A file of another user, or one that group or others can read, is
    // refused, as ssh refuses such a key: the session is as good as the user's password.
    static SessionLoad read(const QString &path);
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
