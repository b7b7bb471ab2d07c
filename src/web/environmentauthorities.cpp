#include "web/environmentauthorities.h"

#include <QDir>
#include <QStringList>

namespace {

QList<QSslCertificate> readAuthorities(const QString &file, const QString &folders)
{
    QList<QSslCertificate> authorities;
    if (!file.isEmpty())
        authorities += QSslCertificate::fromPath(file, QSsl::Pem);
    for (const QString &folder : folders.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        for (const QFileInfo &entry : QDir(folder).entryInfoList(QDir::Files | QDir::Readable))
            authorities += QSslCertificate::fromPath(entry.filePath(), QSsl::Pem);
    }
    return authorities;
}

} // namespace

std::optional<QList<QSslCertificate>> authoritiesFromEnvironment()
{
    const QString file = qEnvironmentVariable("SSL_CERT_FILE");
    const QString folders = qEnvironmentVariable("SSL_CERT_DIR");
    if (file.isEmpty() && folders.isEmpty())
        return std::nullopt;
    // Read once for as long as the variables stay: a whole system store takes a while to parse,
    // and every web client asks.
    static QString readFile, readFolders;
    static QList<QSslCertificate> authorities;
    static bool read = false;
    if (!read || file != readFile || folders != readFolders) {
        authorities = readAuthorities(file, folders);
        readFile = file;
        readFolders = folders;
        read = true;
    }
    return authorities;
}
