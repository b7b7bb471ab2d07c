#pragma once

#include "fakeservices/fakeservices.h"

#include <optional>

#include <QHash>
#include <QStringList>

// QQ's sign-in by QR code, played for the demo account: a real code to scan (it reads as an
// address of this trial), a poll that answers "not scanned", "not scanned", "scanned", then
// "signed in" with the address whose redirect sets the demo session.
class SignInPlay
{
public:
    enum class Ending {
        SignIn,
        Refuse, // refused on the phone once scanned
        Expire, // every code expires
        Restrict, // the network may not have a code (HTTP 403)
    };

    explicit SignInPlay(Ending ending = Ending::SignIn) : m_ending(ending) { }

    // The answer to a request of the sign-in; none for any other request.
    std::optional<FakeResponse> answer(const RecordedRequest &request);
    // The hosts the sign-in is asked at, all over https.
    static QStringList hosts();
    // A QR code of `text` as the login draws it: a PNG, three pixels a module, dark on white,
    // with the quiet zone.
    static QByteArray codePicture(const QByteArray &text);

private:
    FakeResponse code();
    FakeResponse poll(const RecordedRequest &request);
    FakeResponse checkSig(const RecordedRequest &request);

    Ending m_ending;
    int m_codes = 0;
    QHash<QByteArray, int> m_polls; // by code: how often it was asked for
    QByteArray m_signature; // of the check_sig address handed out last
};
