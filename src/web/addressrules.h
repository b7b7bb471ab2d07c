#pragma once

#include <QString>

class QUrl;

// Whether `url` may be asked for: http or https, with a host. QNetworkAccessManager would also
// read file:, data: and qrc: addresses.
bool isWebAddress(const QUrl &url);

// Why the `nth` redirect, from `from` to `target`, may not be followed (empty: it may): not to
// the web, from https down to plain http, or one too many.
QString redirectRefusal(const QUrl &from, const QUrl &target, int nth);
