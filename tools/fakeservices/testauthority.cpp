#include "fakeservices/testauthority.h"

#include <QFile>
#include <QProcess>

namespace {

// Every openssl call reads its names and extensions from here; the server's names are added.
const char *const configuration = R"([req]
distinguished_name = name
prompt = no
[name]
CN = Mirelo Test Authority
[authority]
basicConstraints = critical,CA:TRUE
keyUsage = critical,keyCertSign,cRLSign
subjectKeyIdentifier = hash
[server]
basicConstraints = CA:FALSE
keyUsage = critical,digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = @hosts
[other]
basicConstraints = CA:FALSE
keyUsage = critical,digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = DNS:other-host.invalid
[hosts]
)";

const QStringList ecKey = {QStringLiteral("genpkey"),
                           QStringLiteral("-algorithm"),
                           QStringLiteral("EC"),
                           QStringLiteral("-pkeyopt"),
                           QStringLiteral("ec_paramgen_curve:P-256"),
                           QStringLiteral("-out")};

} // namespace

TestAuthority::TestAuthority(const QStringList &hosts)
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return;
    }
    QByteArray config = configuration;
    for (qsizetype i = 0; i < hosts.size(); ++i)
        config += "DNS." + QByteArray::number(i + 1) + " = " + hosts.at(i).toLatin1() + '\n';
    QFile file(m_dir.filePath(QStringLiteral("openssl.cnf")));
    if (!file.open(QIODevice::WriteOnly) || file.write(config) != config.size()) {
        m_error = QStringLiteral("cannot write the openssl configuration");
        return;
    }
    file.close();

    const QString cnf = file.fileName();
    const QString subject = QStringLiteral("/CN=") + hosts.value(0, QStringLiteral("localhost"));
    const auto path = [this](const QString &name) { return m_dir.filePath(name); };
    const auto sign = [&](const char *authority, const char *out, const char *serial,
                          const char *days, const char *extensions) {
        return openssl({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                        path("server.csr"), QStringLiteral("-CA"),
                        path(QLatin1String(authority) + QStringLiteral(".crt")),
                        QStringLiteral("-CAkey"),
                        path(QLatin1String(authority) + QStringLiteral(".key")),
                        QStringLiteral("-set_serial"), QLatin1String(serial),
                        QStringLiteral("-days"), QLatin1String(days), QStringLiteral("-extfile"),
                        cnf, QStringLiteral("-extensions"), QLatin1String(extensions),
                        QStringLiteral("-out"), path(QLatin1String(out))});
    };
    const auto selfSigned = [&](const char *key, const char *out, const QString &name,
                                const char *extensions) {
        return openssl({QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-new"),
                        QStringLiteral("-key"), path(QLatin1String(key)), QStringLiteral("-config"),
                        cnf, QStringLiteral("-extensions"), QLatin1String(extensions),
                        QStringLiteral("-subj"), name, QStringLiteral("-days"),
                        QStringLiteral("3650"), QStringLiteral("-out"), path(QLatin1String(out))});
    };
    const QString authorityName = QStringLiteral("/CN=Mirelo Test Authority");
    // An expired certificate: valid from now for minus one day, so its end is already past.
    const bool made = openssl(ecKey + QStringList {path("authority.key")})
            && selfSigned("authority.key", "authority.crt", authorityName, "authority")
            && openssl(ecKey + QStringList {path("stranger.key")})
            && selfSigned("stranger.key", "stranger.crt",
                          QStringLiteral("/CN=Unknown Test Authority"), "authority")
            && openssl(ecKey + QStringList {path("server.key")})
            && openssl({QStringLiteral("req"), QStringLiteral("-new"), QStringLiteral("-key"),
                        path("server.key"), QStringLiteral("-config"), cnf, QStringLiteral("-subj"),
                        subject, QStringLiteral("-out"), path("server.csr")})
            && sign("authority", "good.crt", "2", "3650", "server")
            && sign("authority", "wronghost.crt", "3", "3650", "other")
            && sign("authority", "expired.crt", "4", "-1", "server")
            && selfSigned("server.key", "selfsigned.crt", subject, "server")
            && sign("stranger", "unknown.crt", "5", "3650", "server");
    if (!made)
        return;

    m_certificate = readCertificate(QStringLiteral("authority.crt"));
    QFile keyFile(path("server.key"));
    if (keyFile.open(QIODevice::ReadOnly))
        m_key = QSslKey(keyFile.readAll(), QSsl::Ec);
    for (const char *name :
         {"good.crt", "wronghost.crt", "expired.crt", "selfsigned.crt", "unknown.crt"})
        m_certificates.append(readCertificate(QLatin1String(name)));
    if (m_key.isNull() || m_certificate.isNull() || m_certificates.contains(QSslCertificate()))
        m_error = QStringLiteral("openssl wrote something Qt cannot read");
}

TlsIdentity TestAuthority::identity(Kind kind) const
{
    return {m_certificates.value(int(kind)), m_key};
}

bool TestAuthority::openssl(const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("openssl"), arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        m_error = QStringLiteral("openssl %1: %2 %3")
                          .arg(arguments.join(QLatin1Char(' ')), process.errorString(),
                               QString::fromLocal8Bit(process.readAll()));
        return false;
    }
    return true;
}

QSslCertificate TestAuthority::readCertificate(const QString &name)
{
    QFile file(m_dir.filePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return QSslCertificate();
    return QSslCertificate(file.readAll(), QSsl::Pem);
}
