#include "web/networkerrors.h"

bool isStatusError(QNetworkReply::NetworkError error)
{
    return (error >= QNetworkReply::ContentAccessDenied
            && error <= QNetworkReply::UnknownContentError)
            || (error >= QNetworkReply::InternalServerError
                && error <= QNetworkReply::UnknownServerError)
            || error == QNetworkReply::ProtocolInvalidOperationError;
}

FetchResult::Failure failureOf(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::TimeoutError:
    case QNetworkReply::ProxyTimeoutError:
        return FetchResult::Failure::Timeout;
    case QNetworkReply::OperationCanceledError:
        return FetchResult::Failure::Cancelled;
    case QNetworkReply::ProtocolUnknownError:
    case QNetworkReply::ProtocolFailure:
    case QNetworkReply::ProtocolInvalidOperationError:
    case QNetworkReply::UnknownContentError:
        return FetchResult::Failure::NotAnAnswer;
    default:
        // Refused, unknown host, no route, a connection lost mid-answer, a proxy or TLS refusal:
        // no usable connection to the service.
        return FetchResult::Failure::Unreachable;
    }
}
