#include "cli/sessionreport.h"

#include "cli/displaywidth.h"
#include "cli/lookupsetup.h"
#include "cli/statuswords.h"
#include "session/sessionchecks.h"

#include <algorithm>

#include <QDateTime>

namespace {

QString expiryOf(const SessionCookie &cookie)
{
    if (cookie.expires == 0)
        return SessionReport::tr("when the browser closes");
    return QDateTime::fromSecsSinceEpoch(cookie.expires)
            .toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString servicesOf(const CookieReach &reach)
{
    if (reach.services.isEmpty())
        return SessionReport::tr("none");
    QStringList names;
    for (const Service service : reach.services)
        names.append(StatusWords::service(service));
    return names.join(QStringLiteral(", "));
}

} // namespace

SessionReport SessionReport::of(const LookupSetup &setup, const QString &defaultPath)
{
    SessionReport report;
    report.said = setup.warnings;
    if (!setup.session) {
        if (!setup.error.isEmpty()) {
            report.said.append(setup.error);
        } else if (report.said.isEmpty()) {
            report.said.append(tr("no session: there is no %1; sign in with mirelo-lookup "
                                  "--sign-in")
                                       .arg(defaultPath));
        }
        report.said.append(tr("a lookup would not be signed in"));
        return report;
    }

    const Session &session = *setup.session;
    report.text = tr("session: %1 (%2)").arg(session.source(), session.describe()) + u'\n';
    if (!session.ownNumber().isEmpty())
        report.text += tr("signed in as QQ %1").arg(session.ownNumber()) + u'\n';
    const QList<CookieReach> reaches = SessionChecks::reachOf(session);
    const QString nameHeading = tr("cookie");
    const QString expiryHeading = tr("expires");
    // Columns as wide as their widest text on a terminal, where a Chinese character is two.
    int nameWidth = displayWidth(nameHeading);
    int expiryWidth = displayWidth(expiryHeading);
    for (const CookieReach &reach : reaches) {
        nameWidth = std::max(nameWidth, displayWidth(QString::fromLatin1(reach.cookie.name)));
        expiryWidth = std::max(expiryWidth, displayWidth(expiryOf(reach.cookie)));
    }
    constexpr int gap = 2;
    const auto line = [&](const QString &name, const QString &expiry, const QString &services) {
        return padToWidth(name, nameWidth + gap) + padToWidth(expiry, expiryWidth + gap) + services
                + u'\n';
    };
    report.text += line(nameHeading, expiryHeading, tr("sent to"));
    for (const CookieReach &reach : reaches)
        report.text += line(QString::fromLatin1(reach.cookie.name), expiryOf(reach.cookie),
                            servicesOf(reach));
    report.exitStatus = 0;
    return report;
}
