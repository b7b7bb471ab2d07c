#pragma once

#include "fakeservices/demoanswers.h"
#include "fakeservices/fakeservices.h"

#include <QByteArray>
#include <QObject>
#include <QSet>
#include <QString>

class QUrl;

// The offline trial: the fake services play every service Mirelo calls, with answers shaped
// like the real ones, for a few demo numbers and a made-up but steady account for any other.
namespace OfflineDemo {

enum class Space {
    Public, // every count is there
    Restricted, // the visitor and moods services answer without their counts
};

struct Account
{
    DemoAccount values;
    Space space = Space::Public;
    bool portraits = true; // false: both portrait services answer with no picture
    bool hdPortrait = true; // the 640-pixel QQ portrait
};

inline constexpr char publicNumber[] = "10001";
inline constexpr char restrictedNumber[] = "10002";
inline constexpr char noPortraitNumber[] = "10003";

// The demo account of `qq`, or an account derived from the number itself (the same number
// always gets the same values).
Account accountFor(const QString &qq);
// The QQ number a service address carries ("uin", "uins" or "qq" in the query, or the
// portrait store's "/qzone/<number>/"); empty when there is none.
QString numberIn(const QUrl &url);

enum class AvatarStyle {
    Face, // the QQ portrait: a face on a plain background
    Garden, // the QZone portrait: a flower in a small landscape
};
// A square PNG avatar `side` pixels wide; `seed` picks the colours.
QByteArray avatarPng(AvatarStyle style, int side, quint32 seed);
quint32 seedOf(const QString &qq);

// Answers of a space whose owner lets only friends in.
QByteArray restrictedVisitors();
QByteArray restrictedMoods(const DemoAccount &account);
QByteArray restrictedBlog();

} // namespace OfflineDemo

// FakeServices listening on 127.0.0.1 with the demo routes; numbers other than the demo ones
// are routed the first time a request carries them.
class OfflineServer : public QObject
{
    Q_OBJECT
public:
    explicit OfflineServer(QObject *parent = nullptr);

    // 0: a port the system picks.
    bool listen(quint16 port);
    quint16 port() const { return m_services.port(); }

signals:
    // One line per request, as received: time, method, absolute address.
    void requestLogged(const QString &line);

private:
    void onRequest(const RecordedRequest &request);
    void routeProbePage();
    void routeNumber(const QString &qq);

    FakeServices m_services;
    QSet<QString> m_routedNumbers;
    FakeResponse m_sitePage;
    FakeResponse m_notFound;
};
