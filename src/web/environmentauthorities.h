#pragma once

#include <optional>

#include <QList>
#include <QSslCertificate>

// The authorities to trust instead of the system's when the user names them as OpenSSL, curl
// and wget read them: SSL_CERT_FILE (a PEM file) and SSL_CERT_DIR (folders, ":"-separated, of
// PEM files). None when neither is set; an empty list when they name nothing readable.
std::optional<QList<QSslCertificate>> authoritiesFromEnvironment();
