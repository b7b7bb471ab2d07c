#pragma once

#include "fakeservices/demoanswers.h"

#include <QByteArray>
#include <QString>

class QUrl;

// The accounts of the offline trial: a few demo numbers with values chosen to show each kind of
// answer, and a made-up but steady account for any other number.
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
// The QQ number a service address carries ("hostUin", "uin", "uins", "qq" or "nk" in the query,
// or the portrait store's "/qzone/<number>/"); empty when there is none.
QString numberIn(const QUrl &url);
// A steady seed of the number, for its made-up values and pictures.
quint32 seedOf(const QString &qq);

// Answers of a space whose owner lets only friends in.
QByteArray restrictedVisitors();
QByteArray restrictedMoods(const DemoAccount &account);
QByteArray restrictedBlog();
// Today's visitor and mood services for such a space.
QByteArray restrictedCurrent();

} // namespace OfflineDemo
