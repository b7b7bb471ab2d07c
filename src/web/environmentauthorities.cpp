#include "web/environmentauthorities.h"

#include <QDir>
#include <QStringList>

std::optional<QList<QSslCertificate>> authoritiesFromEnvironment()
{
    const QString file = qEnvironmentVariable("SSL_CERT_FILE");
    const QString folders = qEnvironmentVariable("SSL_CERT_DIR");
    if (file.isEmpty() && folders.isEmpty())
        return std::nullopt;
    QList<QSslCertificate> authorities;
    if (!file.isEmpty())
        authorities += QSslCertificate::fromPath(file, QSsl::Pem);
    for (const QString &folder : folders.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        for (const QFileInfo &entry : QDir(folder).entryInfoList(QDir::Files | QDir::Readable))
            authorities += QSslCertificate::fromPath(entry.filePath(), QSsl::Pem);
    }
    return authorities;
}
