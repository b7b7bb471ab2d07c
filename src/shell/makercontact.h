#pragma once

#include <QString>

// How users reach the program's maker, shown in the About window.
// VALUES TO SET: these are placeholders until the maker's real numbers and address are known.
namespace MakerContact {

inline QString qq()
{
    return QStringLiteral("10000");
}

inline QString yy()
{
    return QStringLiteral("10000");
}

inline QString email()
{
    return QStringLiteral("maker@mirelo.invalid");
}

} // namespace MakerContact
