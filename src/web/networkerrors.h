#pragma once

#include "web/fetchresult.h"

#include <QNetworkReply>

// Errors Qt derives from the HTTP status of a complete answer. Those answers are data here: a
// 404 page is returned like any other page.
bool isStatusError(QNetworkReply::NetworkError error);

// The kind of a failure Qt reports, for callers that name it.
FetchResult::Failure failureOf(QNetworkReply::NetworkError error);
