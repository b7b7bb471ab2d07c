#pragma once

#include "fakeservices/fakeservices.h"

#include <QByteArray>

// The services as they answer today: a query's six service requests get their values only
// when signed in, and a busy service tells its clients to slow down.
namespace SignedIn {

// The answer without a valid session, as the visitor and mood services give it.
FakeResponse signInNeededAnswer();
// The answer of a service that is asked too often.
FakeResponse rateLimitedAnswer();
// The services' firewall's answer to a client that is no current browser: a page that sends the
// browser to its block notice, with HTTP 200.
FakeResponse firewallPage();
// Whether `request` says it comes from a current desktop browser.
bool fromBrowser(const RecordedRequest &request);

// Whether `request` goes to one of the six services of a query (by its host).
bool isServiceRequest(const RecordedRequest &request);
// Whether `request` is signed in with the session cookie `name`=`value`: it came over https,
// carries that cookie and exactly one g_tk, the one computed from `value`.
bool isSignedIn(const RecordedRequest &request, const QByteArray &name, const QByteArray &value);
// A gate for FakeServices::setGate(): a service request not signed in so gets
// signInNeededAnswer(); everything else goes on to the routes.
FakeServices::Gate signedInOnly(const QByteArray &name, const QByteArray &value);

} // namespace SignedIn
