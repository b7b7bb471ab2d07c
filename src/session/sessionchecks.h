#pragma once

#include "query/serviceoutcome.h"
#include "web/session.h"

#include <QCoreApplication>
#include <QList>
#include <QString>

// Where one of a session's cookies goes: the cookie without its value, and the services a
// lookup sends it to.
struct CookieReach
{
    SessionCookie cookie; // its value left out
    QList<Service> services;
};

// Whether a session read from a file or a profile would work, before any of it is sent.
class SessionChecks
{
    Q_DECLARE_TR_FUNCTIONS(SessionChecks)
public:
    // The session in `cookies`, read from `source`, or why a lookup could not use it: no
    // p_skey or skey; its p_skey (or its skey, where there is no p_skey) expired by the
    // cookies' own dates; cookies that reach none of the services.
    static SessionLoad usable(const QList<SessionCookie> &cookies, const QString &source);

    // Each of the session's cookies, with the services a lookup of the user's own space (of
    // `qq` when there is no own number in it) sends it to.
    static QList<CookieReach> reachOf(const Session &session, const QString &qq = {});
};
