#include "cli/lookupsetup.h"

#include "cli/lookupoptions.h"
#include "session/cookiesfile.h"
#include "session/firefoxprofile.h"
#include "session/sessionfiles.h"
#include "web/session.h"

#include <QFile>
#include <QFileInfo>

namespace {

// The certificates in `path`, PEM (any number of them) or DER; empty and `error` set when
// there are none.
QList<QSslCertificate> readAuthorities(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = LookupSetup::tr("cannot read %1: %2").arg(path, file.errorString());
        return {};
    }
    // Far more than any bundle of authorities.
    constexpr qint64 largest = qint64(16) * 1024 * 1024;
    const QByteArray bytes = file.read(largest);
    QList<QSslCertificate> certificates = QSslCertificate::fromData(bytes, QSsl::Pem);
    if (certificates.isEmpty())
        certificates = QSslCertificate::fromData(bytes, QSsl::Der);
    if (certificates.isEmpty())
        *error = LookupSetup::tr("no certificate in %1").arg(path);
    return certificates;
}

} // namespace

LookupSetup LookupSetup::read(const LookupOptions &options, const QString &defaultCookies,
                              const QString &home)
{
    LookupSetup setup;
    for (const QString &path : options.caCertificates) {
        setup.authorities += readAuthorities(path, &setup.error);
        if (!setup.error.isEmpty())
            return setup;
    }

    const bool named = !options.cookiesFile.isEmpty() || !options.cookiesBrowser.isEmpty();
    SessionLoad load;
    if (!options.cookiesBrowser.isEmpty())
        load = FirefoxProfile::readSession(options.cookiesBrowser, home);
    else if (named)
        load = CookiesFile::read(options.cookiesFile);
    else
        load = SessionFiles::readDefault(defaultCookies);
    setup.warnings = load.warnings;
    // Asked for by name, it is needed; the default file is only taken when it works.
    if (!load.error.isEmpty()) {
        if (named)
            setup.error = load.error;
        return setup;
    }
    setup.session = load.session;
    if (!setup.session)
        return setup;
    if (!options.cookiesBrowser.isEmpty()) {
        const QString profile = QFileInfo(setup.session->source()).path();
        setup.sessionRefusal = tr("the session in the Firefox profile %1 was refused: sign in "
                                  "again in Firefox")
                                       .arg(profile);
    } else {
        setup.sessionRefusal = tr("the session in %1 was refused: sign in again and export the "
                                  "cookies anew")
                                       .arg(setup.session->source());
    }
    return setup;
}
