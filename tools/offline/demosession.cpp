#include "demosession.h"

#include "accounts.h"

#include <QFile>

namespace OfflineDemo {

QByteArray demoCookiesFile()
{
    // Cookies for the whole site, so each of the six services gets them.
    const QByteArray uin = QByteArray("o00") + publicNumber;
    const auto line = [](const QByteArray &name, const QByteArray &value) {
        return ".qq.com\tTRUE\t/\tFALSE\t0\t" + name + '\t' + value + '\n';
    };
    return "# Netscape HTTP Cookie File\n"
           "# The demo account of mirelo-offline-server: a session there, and nowhere else.\n"
            + line("uin", uin) + line("skey", "@MireloDemo") + line("p_uin", uin)
            + line(demoSessionCookie, demoSessionKey);
}

QString writeDemoCookies(const QString &path)
{
    QFile file(path);
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
    // An existing file is made private before anything is written into it.
    if (file.exists() && !file.setPermissions(ownerOnly))
        return file.errorString();
    const QByteArray text = demoCookiesFile();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate, ownerOnly)
        || file.write(text) != text.size() || !file.flush())
        return file.errorString();
    file.close();
    return file.error() == QFile::NoError ? QString() : file.errorString();
}

} // namespace OfflineDemo
