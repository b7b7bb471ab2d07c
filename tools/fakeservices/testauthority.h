#pragma once

#include <QList>
#include <QSslCertificate>
#include <QSslKey>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A certificate and the key that goes with it, as a TLS server presents them.
struct TlsIdentity
{
    QSslCertificate certificate;
    QSslKey key;
};

// A throwaway certificate authority, made afresh with the `openssl` command, and a server
// identity of every kind a client meets: one it must accept and four it must refuse. Nothing
// outlives the object; the authority is trusted only where a test hands it over.
class TestAuthority
{
public:
    enum class Kind {
        Good, // signed by this authority for the given hosts
        WrongHost, // signed by this authority for another host
        Expired, // signed by this authority for the given hosts, no longer valid
        SelfSigned, // for the given hosts, signed by nobody
        UnknownAuthority, // for the given hosts, signed by another authority
    };

    // `hosts` are the names the identities (except WrongHost) are valid for.
    explicit TestAuthority(const QStringList &hosts);

    // False when openssl failed; error() says why.
    bool isValid() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }

    // The authority's own certificate, for the client to trust.
    QSslCertificate certificate() const { return m_certificate; }
    // The same as a PEM file, there as long as this object is.
    QString certificateFile() const { return m_dir.filePath(QStringLiteral("authority.crt")); }
    TlsIdentity identity(Kind kind) const;

private:
    bool openssl(const QStringList &arguments);
    QSslCertificate readCertificate(const QString &name);

    QTemporaryDir m_dir;
    QString m_error;
    QSslCertificate m_certificate;
    QSslKey m_key;
    QList<QSslCertificate> m_certificates; // by Kind
};
