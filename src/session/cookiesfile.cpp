#include "session/cookiesfile.h"

#include "session/sessionchecks.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QScopeGuard>

namespace {

const QByteArray httpOnlyPrefix = QByteArrayLiteral("#HttpOnly_");

// The fields of a line, in their order.
enum Field { Domain, Subdomains, Path, Secure, Expiry, Name, Value, FieldCount };

std::optional<bool> flag(const QByteArray &field)
{
    if (field.compare("TRUE", Qt::CaseInsensitive) == 0)
        return true;
    if (field.compare("FALSE", Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

// Whole seconds; some exporters write a fraction.
std::optional<qint64> seconds(const QByteArray &field)
{
    bool ok = false;
    const qint64 whole = field.toLongLong(&ok);
    if (ok)
        return whole;
    constexpr double farFuture = 1e15; // thirty million years: no date a cookie holds
    const double exact = field.toDouble(&ok);
    if (ok && std::isfinite(exact) && std::abs(exact) < farFuture)
        return qint64(exact);
    return std::nullopt;
}

// Whether `bytes` can go into a Cookie header as it is: no control character (a line break
// would start a header of its own) and no ';' (it would start another cookie).
bool sendable(const QByteArray &bytes)
{
    constexpr unsigned char space = 0x20;
    constexpr unsigned char del = 0x7f;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < space || u == del || c == ';')
            return false;
    }
    return true;
}

// Everything `fd` gives until its end, or `cap` + 1 bytes when it gives more; none when a
// pipe's writer keeps it waiting beyond `waitMs`.
std::optional<QByteArray> readToEnd(int fd, qint64 cap, int waitMs)
{
    const QDeadlineTimer deadline(waitMs);
    QByteArray bytes;
    constexpr qint64 chunk = qint64(64) * 1024;
    while (bytes.size() <= cap) {
        pollfd ready {fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, int(deadline.remainingTime()));
        if (polled == 0)
            return std::nullopt;
        if (polled < 0 && errno != EINTR)
            return std::nullopt;
        const qsizetype before = bytes.size();
        bytes.resize(before + qsizetype(std::min(chunk, cap + 1 - before)));
        const ssize_t got = ::read(fd, bytes.data() + before, size_t(bytes.size() - before));
        bytes.resize(before + std::max<qsizetype>(got, 0));
        if (got == 0)
            break;
        if (got < 0 && errno != EAGAIN && errno != EINTR)
            return std::nullopt;
    }
    return bytes;
}

} // namespace

QList<SessionCookie> CookiesFile::parse(const QByteArray &text, QStringList *problems)
{
    QList<SessionCookie> cookies;
    // Some editors begin a UTF-8 file with a byte-order mark: it is no part of the first line.
    const QByteArray byteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");
    const QList<QByteArray> lines
            = (text.startsWith(byteOrderMark) ? text.mid(byteOrderMark.size()) : text).split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines.at(i);
        if (line.endsWith('\r'))
            line.chop(1);
        SessionCookie cookie;
        if (line.startsWith(httpOnlyPrefix)) {
            cookie.httpOnly = true;
            line.remove(0, httpOnlyPrefix.size());
        } else if (line.startsWith('#') || line.trimmed().isEmpty()) {
            continue;
        }
        const auto problem = [&](const QString &why) {
            if (problems)
                problems->append(tr("line %1: %2").arg(i + 1).arg(why));
        };

        const QList<QByteArray> fields = line.split('\t');
        // Six fields: an exporter that trimmed the empty value at the end of the line.
        if (fields.size() != FieldCount && fields.size() != Value) {
            problem(tr("expected %1 TAB-separated fields, found %2")
                            .arg(int(FieldCount))
                            .arg(fields.size()));
            continue;
        }
        const std::optional<bool> subdomains = flag(fields.at(Subdomains));
        const std::optional<bool> secure = flag(fields.at(Secure));
        const std::optional<qint64> expires = seconds(fields.at(Expiry));
        if (fields.at(Domain).isEmpty() || !subdomains || !secure) {
            problem(tr("the domain, the subdomains flag or the secure flag is not valid"));
            continue;
        }
        if (!expires) {
            problem(tr("the expiry is not a number"));
            continue;
        }
        cookie.domain = QString::fromLatin1(fields.at(Domain)).toLower();
        cookie.includeSubdomains = *subdomains;
        cookie.path = QString::fromLatin1(fields.at(Path));
        cookie.secure = *secure;
        cookie.expires = *expires;
        cookie.name = fields.at(Name);
        cookie.value = fields.value(Value);
        if (cookie.name.isEmpty() || cookie.name.contains('=') || cookie.name.contains(' ')
            || !sendable(cookie.name) || !sendable(cookie.value) || !sendable(fields.at(Domain))
            || !sendable(fields.at(Path))) {
            problem(tr("the cookie cannot be sent (an empty name, control characters or ';')"));
            continue;
        }
        cookies.append(cookie);
    }
    return cookies;
}

SessionLoad CookiesFile::read(const QString &path)
{
    SessionLoad load;
    // Without waiting: a named pipe with no writer yet must not hold up the start.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        load.error = tr("cannot read %1: %2").arg(path, qt_error_string(errno));
        return load;
    }
    const auto closing = qScopeGuard([fd] { ::close(fd); });
    // The file as opened, not its name again: it cannot be swapped between check and read.
    struct stat opened = {};
    if (::fstat(fd, &opened) != 0 || !(S_ISREG(opened.st_mode) || S_ISFIFO(opened.st_mode))) {
        load.error = tr("%1 is not a regular file").arg(path);
        return load;
    }
    if (opened.st_uid != ::geteuid()) {
        load.error = tr("%1 belongs to another user: a session must be your own").arg(path);
        return load;
    }
    if (opened.st_mode & (S_IRGRP | S_IROTH)) {
        constexpr mode_t permissionBits = 07777;
        constexpr int octal = 8;
        load.error = tr("%1 can be read by group or others (mode %2): a session is as secret "
                        "as a password; make it private with: chmod 600 %1")
                             .arg(path)
                             .arg(opened.st_mode & permissionBits, 4, octal, QLatin1Char('0'));
        return load;
    }
    const std::optional<QByteArray> text = readToEnd(fd, maxSize, pipeWaitMs);
    if (!text) {
        load.error = tr("%1 gave no end within %2 s").arg(path).arg(pipeWaitMs / 1000);
        return load;
    }
    if (text->size() > maxSize) {
        load.error = tr("%1 is too large for a cookies file").arg(path);
        return load;
    }

    QStringList problems;
    const QList<SessionCookie> cookies = parse(*text, &problems);
    for (const QString &problem : problems)
        load.warnings.append(QStringLiteral("%1: %2").arg(path, problem));
    SessionLoad checked = SessionChecks::usable(cookies, path);
    checked.warnings = load.warnings;
    return checked;
}

QByteArray CookiesFile::text(const QList<SessionCookie> &cookies)
{
    QByteArray text = "# Netscape HTTP Cookie File\n"
                      "# Mirelo's session: as secret as your password. Sign out to delete it.\n";
    for (const SessionCookie &c : cookies) {
        // The dot for the subdomains, once, however the domain was given.
        QByteArray domain = c.domain.toLatin1();
        if (c.includeSubdomains && !domain.startsWith('.'))
            domain.prepend('.');
        text += (c.httpOnly ? "#HttpOnly_" : "") + domain + '\t'
                + (c.includeSubdomains ? "TRUE" : "FALSE") + '\t' + c.path.toLatin1() + '\t'
                + (c.secure ? "TRUE" : "FALSE") + '\t' + QByteArray::number(c.expires) + '\t'
                + c.name + '\t' + c.value + '\n';
    }
    return text;
}

QString CookiesFile::write(const QString &path, const QList<SessionCookie> &cookies,
                           const std::function<void(const QFileDevice &)> &beforeWriting)
{
    const QFileInfo target(path);
    QDir folder = target.absoluteDir();
    if (!folder.exists()) {
        if (!folder.mkpath(QStringLiteral(".")))
            return tr("cannot make the folder %1").arg(folder.path());
        QFile::setPermissions(folder.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // The new file is made with the umask's mode, or the old file's: private before any byte.
    if (!file.setPermissions(QFile::ReadOwner | QFile::WriteOwner))
        return file.errorString();
    if (beforeWriting)
        beforeWriting(file);
    const QByteArray content = text(cookies);
    if (file.write(content) != content.size() || !file.commit())
        return file.errorString();
    return {};
}
